#include "ui/operations/otp_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <array>

#include "core/app/text_ids.h"
#include "core/app/text_table.h"
#include "core/operations/otp/otp_programmer.h"
#include "resources/ids.h"
#include "ui/app/file_dialogs.h"
#include "ui/app/message_box.h"
#include "ui/app/qt_text.h"
#include "ui/operations/otp_dialog_layout.h"

namespace tarnwick {

namespace {

constexpr const char* kOpenFilter = "*.bin;*.rom(*.bin;*.rom)|*.bin;*.rom|all files(*.*)|*.*||";
constexpr const char* kSaveFilter = "bin(*.bin)|*.bin|rom(*.rom)|*.rom|(*.*)|*.*||";

// What a running job greys: every button and the lock box.
constexpr std::array kButtons = {
    ids::kOtpOpenButton,    ids::kOtpLockCheck,    ids::kOtpDetectButton, ids::kOtpBlankCheckButton,
    ids::kOtpProgramButton, ids::kOtpVerifyButton, ids::kOtpReadButton,   ids::kOtpSaveButton};

// Nothing is known of the area before a detection.
constexpr std::array kOffAtStart = {ids::kOtpLockCheck,        ids::kOtpProgramButton,
                                    ids::kOtpReadButton,       ids::kOtpVerifyButton,
                                    ids::kOtpBlankCheckButton, ids::kOtpSaveButton};

// The core writes Windows line ends; the edit wants plain ones.
QString LogLines(const std::string& text) {
  QString s = Q(text);
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  s.remove(QLatin1Char('\r'));
  return s;
}

}  // namespace

OtpDialog::OtpDialog(OtpProgrammer& otp, const TextTable& texts, QWidget* parent)
    : QDialog(parent), otp_(otp), texts_(texts), builder_(DialogUnits(font())), poster_(this) {
  setObjectName("otpDialog");
  setModal(false);
  builder_.Build(OtpDialogTemplate(), this);
  builder_.ApplyTexts(texts);
  file_ = builder_.Get<QLineEdit>(ids::kOtpFileEdit);
  lock_ = builder_.Get<QCheckBox>(ids::kOtpLockCheck);
  log_ = builder_.Get<QPlainTextEdit>(ids::kOtpLogEdit);

  for (int id : kButtons) wanted_[id] = true;
  for (int id : kOffAtStart) ApplyEnabled(id, false);
  ConnectControls();
  otp_.SetView(this);
}

OtpDialog::~OtpDialog() { Detach(); }

void OtpDialog::Detach() {
  if (detached_) return;
  detached_ = true;
  // The poster first: a report already on its way is dropped from now on,
  // and a job waiting for an answer gets the cancelling one.
  poster_.Shutdown();
  otp_.SetView(nullptr);
  // A box or chooser still open has nobody left to answer.
  for (QDialog* d : findChildren<QDialog*>()) {
    if (d->isVisible()) d->reject();
  }
}

void OtpDialog::ConnectControls() {
  auto button = [this](int id) { return builder_.Get<QPushButton>(id); };
  auto request = [this](Job job) { return [this, job] { otp_.Request(job); }; };
  connect(button(ids::kOtpDetectButton), &QPushButton::clicked, this, request(Job::OtpDetect));
  connect(button(ids::kOtpBlankCheckButton), &QPushButton::clicked, this,
          request(Job::OtpBlankCheck));
  connect(button(ids::kOtpReadButton), &QPushButton::clicked, this, request(Job::OtpRead));
  connect(button(ids::kOtpSaveButton), &QPushButton::clicked, this, request(Job::OtpSave));
  connect(button(ids::kOtpProgramButton), &QPushButton::clicked, this, &OtpDialog::ProgramClicked);
  connect(button(ids::kOtpVerifyButton), &QPushButton::clicked, this, &OtpDialog::VerifyClicked);
  connect(button(ids::kOtpOpenButton), &QPushButton::clicked, this, &OtpDialog::OpenClicked);
}

void OtpDialog::ShowFromMenu() {
  show();
  raise();
  activateWindow();
}

QString OtpDialog::logText() const { return log_->toPlainText(); }

bool OtpDialog::ProgramClicked() {
  return StartWithFile(Job::OtpProgram, itext::kOtpNoProgramFile);
}

bool OtpDialog::VerifyClicked() { return StartWithFile(Job::OtpVerify, itext::kOtpNoVerifyFile); }

bool OtpDialog::StartWithFile(Job job, int noFileText) {
  if (file_->text().isEmpty()) {
    ShowBox(Q(texts_.itext(noFileText)), BoxIcon::Information, BoxButtons::Ok);
    return false;
  }
  otp_.Request(job);
  return true;
}

void OtpDialog::OpenClicked() {
  const QString path = ChooseFileToOpen(this, kOpenFilter);
  if (!path.isEmpty()) file_->setText(path);
}

void OtpDialog::ApplyEnabled(int id, bool enabled) {
  wanted_[id] = enabled;
  if (QWidget* w = Control(id); w != nullptr && !busy_) w->setEnabled(enabled);
}

void OtpDialog::ApplyBusy(bool busy) {
  busy_ = busy;
  for (const auto& [id, enabled] : wanted_) {
    if (QWidget* w = Control(id)) w->setEnabled(enabled && !busy);
  }
}

void OtpDialog::ShowLog(const std::string& text, bool append) {
  if (!append) log_->clear();
  QTextCursor c(log_->document());
  c.movePosition(QTextCursor::End);
  c.insertText(LogLines(text));
  log_->verticalScrollBar()->setValue(log_->verticalScrollBar()->maximum());
}

BoxAnswer OtpDialog::ShowBox(const QString& text, BoxIcon icon, BoxButtons buttons) {
  return RunMessageBox(this, text, Q(texts_.itext(itext::kNoticeCaption)), icon, buttons);
}

std::optional<std::string> OtpDialog::ChooseSaveFile() {
  QFileDialog chooser(this, QString(), QString(), QtFilterFromPairs(kSaveFilter));
  chooser.setAcceptMode(QFileDialog::AcceptSave);
  chooser.setFileMode(QFileDialog::AnyFile);
  chooser.setDefaultSuffix(QStringLiteral("bin"));
  // Qt asks before an existing file is replaced (no DontConfirmOverwrite).
  if (chooser.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList files = chooser.selectedFiles();
  if (files.isEmpty() || files.front().isEmpty()) return std::nullopt;
  return files.front().toStdString();
}

// ---- OtpView: the worker thread ---------------------------------------------

void OtpDialog::SetLogText(const std::string& text) {
  poster_.Post([this, text] { ShowLog(text, false); });
}

void OtpDialog::AppendLogText(const std::string& text) {
  poster_.Post([this, text] { ShowLog(text, true); });
}

void OtpDialog::SetControlEnabled(int id, bool enabled) {
  poster_.Post([this, id, enabled] { ApplyEnabled(id, enabled); });
}

void OtpDialog::SetLockTicked(bool ticked) {
  poster_.Post([this, ticked] { lock_->setChecked(ticked); });
}

void OtpDialog::ShowBusy(bool busy) {
  poster_.Post([this, busy] { ApplyBusy(busy); });
}

void OtpDialog::Beep(OtpBeep /*kind*/) {
  // The information and error sounds are the system's one beep here.
  poster_.Post([] { QApplication::beep(); });
}

std::string OtpDialog::ChosenFile() {
  return poster_.Ask<std::string>([this] { return file_->text().toStdString(); }, std::string());
}

bool OtpDialog::LockTicked() {
  // Unanswered, the area stays unlocked: a lock cannot be taken back.
  return poster_.Ask<bool>([this] { return lock_->isChecked(); }, false);
}

BoxAnswer OtpDialog::Ask(const std::string& text, BoxIcon icon, BoxButtons buttons) {
  return poster_.Ask<BoxAnswer>(
      [this, t = Q(text), icon, buttons] { return ShowBox(t, icon, buttons); },
      CancellingAnswer(buttons));
}

std::optional<std::string> OtpDialog::AskSaveFile() {
  return poster_.Ask<std::optional<std::string>>([this] { return ChooseSaveFile(); }, std::nullopt);
}

}  // namespace tarnwick
