// "Tarnwick 固件升级": the firmware upgrade dialog. "打开" picks the .tfw
// file, "升级" starts the upgrade job on the worker; the firmware feature
// reports back through the FirmwareView side (the progress bar, the running
// flag, its boxes and the closing beep) and asks for the chosen file.
//
// Modeless and long-lived, like the OTP dialog, so that the main window can
// still be closed while an upgrade runs. The dialog itself refuses to close
// while the upgrade talks to the box. Every FirmwareView call comes on the
// worker thread and only posts to the GUI thread; after Detach() nothing
// posted reaches the dialog and a box the job waits on closes.
#pragma once

#include <QDialog>
#include <QString>
#include <string>

#include "core/operations/firmware/firmware_view.h"
#include "ui/app/dialog_builder.h"
#include "ui/app/gui_poster.h"

class QLineEdit;
class QPushButton;

namespace tarnwick {

class FirmwareUpdater;
class TextProgressBar;
class TextTable;

class FirmwareDialog : public QDialog, public FirmwareView {
  Q_OBJECT

 public:
  FirmwareDialog(FirmwareUpdater& firmware, const TextTable& texts, QWidget* parent = nullptr);
  ~FirmwareDialog() override;

  // The menu item: shows the dialog with no file chosen yet, or brings a
  // visible one to the front.
  void ShowFromMenu();
  // No report reaches the dialog from now on; it hides even while an
  // upgrade runs (the window is going). Safe to call twice.
  void Detach();

  QWidget* Control(int id) const { return builder_.Control(id); }
  TextProgressBar& progressBar() const { return *progress_; }
  // Between the upgrade's start and end reports.
  bool running() const { return running_; }

  void OpenClicked();
  void UpgradeClicked();

  // FirmwareView: on the worker thread; each one posts.
  void SetProgress(int position, const std::string& text) override;
  void ShowRunning(bool running) override;
  void ShowBox(const std::string& text, BoxIcon icon) override;
  void Beep() override;
  std::string ChosenFile() override;

  void done(int result) override;

 signals:
  // The progress bar was set (GUI thread), in the order the upgrade set it.
  void progressShown(int position, const QString& text);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  bool MayClose() const;
  void ApplyRunning(bool running);

  FirmwareUpdater& firmware_;
  const TextTable& texts_;
  DialogBuilder builder_;
  QLineEdit* file_ = nullptr;
  QPushButton* open_ = nullptr;
  QPushButton* upgrade_ = nullptr;
  TextProgressBar* progress_ = nullptr;
  QString chosen_;  // the path the chooser gave; the upgrade reads this file
  bool running_ = false;
  bool detached_ = false;
  GuiPoster poster_;
};

}  // namespace tarnwick
