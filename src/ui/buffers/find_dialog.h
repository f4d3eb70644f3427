// "数据查找": find in the file image. OK starts the search (job 24 on the
// worker) and becomes "find next"; each hit is shown in the hex view in the
// search-hit colours while the search waits there. Find next goes on, a new
// pattern abandons the running search first (without waiting on this
// thread), and cancel abandons it and closes the dialog.
#pragma once

#include <QDialog>
#include <QTimer>
#include <atomic>
#include <string>

#include "core/operations/find/find_view.h"
#include "ui/app/dialog_builder.h"
#include "ui/app/gui_poster.h"

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tarnwick {

class HexViewPanel;
class ImageFinder;
class Session;

class FindDialog : public QDialog, public FindView {
  Q_OBJECT

 public:
  FindDialog(Session& session, HexViewPanel& panel, QWidget* parent);
  ~FindDialog() override;

  // The menu item: shows the dialog (modal to the window).
  void ShowFromMenu();
  // No report reaches the dialog from now on, and a search waiting at a hit
  // is abandoned. Safe to call twice.
  void Detach();
  QWidget* Control(int id) const { return builder_.Control(id); }
  // OK / find next: false when the pattern was refused.
  bool FindClicked();
  // Hits shown since the last search started.
  int hitsShown() const { return hits_; }

  // FindView: on the worker thread; each one posts.
  void ShowHit(std::uint64_t offset, std::size_t length) override;
  void SearchEnded(int hits) override;

 protected:
  void done(int result) override;

 private:
  // The pattern as typed, with the mode: what tells two searches apart.
  std::string TypedKey() const;
  bool StartSearch();
  // A running search with another pattern is abandoned; once the worker is
  // at rest the new search starts.
  void RestartWhenIdle();
  void Warn(int text);

  Session& session_;
  ImageFinder& finder_;
  HexViewPanel& panel_;
  DialogBuilder builder_;
  QLineEdit* pattern_ = nullptr;
  QRadioButton* hexMode_ = nullptr;
  QPushButton* ok_ = nullptr;
  QString okCaption_;
  bool findNext_ = false;  // the button shows "find next"
  std::string previous_;
  int hits_ = 0;
  QTimer restart_;
  // Read on the worker: a hit reported while the dialog is closed is
  // abandoned at once.
  std::atomic<bool> closed_{true};
  bool detached_ = false;
  GuiPoster poster_;
};

}  // namespace tarnwick
