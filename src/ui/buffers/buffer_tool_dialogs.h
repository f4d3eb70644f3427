// The buffer tools' dialogs of the main window: go to, data view, file fill,
// find, and the file merge and split utilities. Made once, hidden until their menu items open them;
// the window detaches them when it goes, before the session ends.
#pragma once

#include <QObject>

namespace tarnwick {

class CommandRouter;
class DataViewDialog;
class FileFillDialog;
class FindDialog;
class GoToDialog;
class HexViewPanel;
class MergeDialog;
class SplitDialog;
class Session;

class BufferToolDialogs : public QObject {
  Q_OBJECT

 public:
  BufferToolDialogs(Session& session, HexViewPanel& panel, QWidget* window);

  // The menu items that open the dialogs; find's is the core's, through its opener.
  void Register(CommandRouter& windowCommands);
  // No report reaches a dialog any more, a running search is abandoned and
  // every dialog hides.
  void Detach();

  GoToDialog& goTo() { return *goTo_; }
  DataViewDialog& dataView() { return *dataView_; }
  FileFillDialog& fileFill() { return *fileFill_; }
  FindDialog& find() { return *find_; }
  MergeDialog& merge() { return *merge_; }
  SplitDialog& split() { return *split_; }

 private:
  Session& session_;
  GoToDialog* goTo_;  // children of the window
  DataViewDialog* dataView_;
  FileFillDialog* fileFill_;
  FindDialog* find_;
  MergeDialog* merge_;
  SplitDialog* split_;
};

}  // namespace tarnwick
