// "芯片数据填充": chip fill. Start address, length and a fill value (a byte,
// or a word for 16-bit chips), or in fill-file mode a file whose units are
// written instead; OK hands the fields to the chip fill job on the worker.
//
// Modeless and long-lived, like the firmware dialog, so that the main window
// can still be closed while a fill runs; the dialog itself keeps Cancel
// disabled and refuses to close while the passes run. The ChipFillView calls
// come on the worker thread and only post to the GUI thread.
#pragma once

#include <QDialog>
#include <string>

#include "core/operations/chip_fill/chip_fill_view.h"
#include "ui/app/dialog_builder.h"
#include "ui/app/gui_poster.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace tarnwick {

class Session;

class ChipFillDialog : public QDialog, public ChipFillView {
  Q_OBJECT

 public:
  ChipFillDialog(Session& session, QWidget* parent);
  ~ChipFillDialog() override;

  // The menu item: shows the dialog with the byte or the word box, as the
  // selected chip is organised, or brings a visible one to the front.
  void ShowFromMenu();
  // No report reaches the dialog from now on and it hides, even while a
  // fill runs (the window is going). Safe to call twice.
  void Detach();

  QWidget* Control(int id) const { return builder_.Control(id); }
  // Between the fill's Cancel-off and Cancel-on reports.
  bool running() const { return running_; }

  // OK: true when the fields were complete and the fill was asked for.
  bool OkClicked();
  // Shows the byte or the word box as the chip now selected is organised
  // (the dialog does so by itself while open): true when it changed.
  bool FollowSelection();
  void BrowseClicked();

  // ChipFillView: on the worker thread; each one posts.
  void ShowFillStatus(const std::string& text) override;
  void EnableCancel(bool enabled) override;

  void done(int result) override;

 signals:
  // The state field was set (GUI thread), in the order the fill set it.
  void stateShown(const QString& text);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void FileModeToggled(bool ticked);
  void Refuse(int text);
  QLineEdit* DataBox() const;
  void ShowOrganisation(bool word);
  bool MayClose() const { return detached_ || !running_; }

  Session& session_;
  DialogBuilder builder_;
  QLineEdit* address_ = nullptr;
  QLineEdit* length_ = nullptr;
  QLineEdit* byteData_ = nullptr;
  QLineEdit* wordData_ = nullptr;
  QLineEdit* file_ = nullptr;
  QPushButton* browse_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QCheckBox* fileMode_ = nullptr;
  QLabel* state_ = nullptr;
  QTimer* followTimer_ = nullptr;
  bool word_ = false;  // the chip counts in 16-bit words
  bool running_ = false;
  bool detached_ = false;
  GuiPoster poster_;
};

}  // namespace tarnwick
