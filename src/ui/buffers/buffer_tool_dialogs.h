// The buffer tools' dialogs of the main window: go to, data view, file fill
// and find. Made once, hidden until their menu items open them; the window
// detaches them when it goes, before the session ends.
#pragma once

#include <QObject>

namespace tarnwick {

class CommandRouter;
class DataViewDialog;
class FileFillDialog;
class FindDialog;
class GoToDialog;
class HexViewPanel;
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

 private:
  Session& session_;
  GoToDialog* goTo_;  // children of the window
  DataViewDialog* dataView_;
  FileFillDialog* fileFill_;
  FindDialog* find_;
};

}  // namespace tarnwick
