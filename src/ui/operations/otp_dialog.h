// "OTP烧录": the OTP dialog. Its buttons start the OTP feature's jobs on the
// worker; the feature reports back through the OtpView side (the log, which
// buttons are on, the lock box) and asks for the file, the lock and its
// questions.
//
// Modeless and long-lived: the window makes it hidden at start-up and the
// menu shows it. Every OtpView call comes on the worker thread and only
// posts to the GUI thread (the questions wait there for their answer);
// after Detach() nothing posted reaches the dialog and every question gets
// its cancelling answer. The owner detaches it and lets the worker end
// before the dialog is deleted.
#pragma once

#include <QDialog>
#include <QString>
#include <map>
#include <optional>
#include <string>

#include "core/device/job.h"
#include "core/operations/otp/otp_view.h"
#include "ui/app/dialog_builder.h"
#include "ui/app/gui_poster.h"

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;

namespace tarnwick {

class OtpProgrammer;
class TextTable;

class OtpDialog : public QDialog, public OtpView {
  Q_OBJECT

 public:
  OtpDialog(OtpProgrammer& otp, const TextTable& texts, QWidget* parent = nullptr);
  ~OtpDialog() override;

  // The menu item: shows the dialog, or brings it to the front.
  void ShowFromMenu();
  // No report reaches the dialog from now on, and a box or chooser a job
  // waits on closes. Safe to call twice.
  void Detach();

  QWidget* Control(int id) const { return builder_.Control(id); }
  QString logText() const;
  // Between a job's start and end reports.
  bool busy() const { return busy_; }

  // The buttons that need the file: false when the file box is empty (the
  // notice was shown and no job asked for).
  bool ProgramClicked();
  bool VerifyClicked();
  void OpenClicked();

  // OtpView: on the worker thread; each one posts.
  void SetLogText(const std::string& text) override;
  void AppendLogText(const std::string& text) override;
  void SetControlEnabled(int id, bool enabled) override;
  void SetLockTicked(bool ticked) override;
  void ShowBusy(bool busy) override;
  void Beep(OtpBeep kind) override;
  std::string ChosenFile() override;
  bool LockTicked() override;
  BoxAnswer Ask(const std::string& text, BoxIcon icon, BoxButtons buttons) override;
  std::optional<std::string> AskSaveFile() override;

 private:
  void ConnectControls();
  bool StartWithFile(Job job, int noFileText);
  // The enabling the core asked for, shown unless a job runs.
  void ApplyEnabled(int id, bool enabled);
  void ApplyBusy(bool busy);
  void ShowLog(const std::string& text, bool append);
  BoxAnswer ShowBox(const QString& text, BoxIcon icon, BoxButtons buttons);
  std::optional<std::string> ChooseSaveFile();

  OtpProgrammer& otp_;
  const TextTable& texts_;
  DialogBuilder builder_;
  QLineEdit* file_ = nullptr;
  QCheckBox* lock_ = nullptr;
  QPlainTextEdit* log_ = nullptr;
  std::map<int, bool> wanted_;  // by control id: the core's last word
  bool busy_ = false;
  bool detached_ = false;
  GuiPoster poster_;
};

}  // namespace tarnwick
