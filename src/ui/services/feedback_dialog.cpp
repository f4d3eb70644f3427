#include "ui/services/feedback_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <array>
#include <thread>

#include "core/app/text_ids.h"
#include "core/app/text_table.h"
#include "core/app/window_services.h"
#include "core/services/services_config.h"
#include "core/services/smtp/feedback_mail.h"
#include "core/services/smtp/smtp_client.h"
#include "core/session/session.h"
#include "resources/ids.h"
#include "ui/app/gui_poster.h"
#include "ui/app/message_box.h"
#include "ui/app/qt_text.h"

namespace tarnwick {

namespace {

using K = ControlKind;

constexpr std::array kControls = {
    ControlSpec{ids::kFeedbackSubjectLabel, K::Label, QRect(7, 9, 40, 8), ftext::kFeedbackSubject,
                "主题:", 0},
    ControlSpec{ids::kFeedbackSubjectEdit, K::Edit, QRect(50, 7, 200, 12), kNoText, "", 0},
    ControlSpec{ids::kFeedbackContentLabel, K::Label, QRect(7, 25, 40, 8), ftext::kFeedbackContent,
                "内容:", 0},
    ControlSpec{ids::kFeedbackContentEdit, K::TextPane, QRect(50, 23, 200, 90), kNoText, "", 0},
    ControlSpec{ids::kFeedbackContactLabel, K::Label, QRect(7, 121, 40, 8), ftext::kFeedbackContact,
                "联系方式:", 0},
    ControlSpec{ids::kFeedbackContactEdit, K::Edit, QRect(50, 119, 200, 12), kNoText, "", 0},
    ControlSpec{ids::kFeedbackNote, K::Label, QRect(7, 137, 243, 18), ftext::kFeedbackNote, "", 0},
    ControlSpec{ids::kFeedbackSubmitButton, K::DefaultButton, QRect(144, 160, 50, 14),
                ftext::kFeedbackSubmit, "提交", 0},
    ControlSpec{ids::kDialogCancel, K::PushButton, QRect(200, 160, 50, 14), ftext::kClose, "取消",
                0},
};

constexpr DialogTemplate kTemplate{QSize(257, 181), ftext::kFeedbackTitle, "快速反馈", kControls};

}  // namespace

FeedbackDialog::FeedbackDialog(Session& session, QWidget* parent)
    : QDialog(parent),
      session_(session),
      builder_(DialogUnits(font())),
      poster_(std::make_shared<GuiPoster>(this)) {
  setObjectName("feedbackDialog");
  setModal(true);
  builder_.Build(kTemplate, this);
  builder_.ApplyTexts(session_.texts());
  subject_ = builder_.Get<QLineEdit>(ids::kFeedbackSubjectEdit);
  content_ = builder_.Get<QPlainTextEdit>(ids::kFeedbackContentEdit);
  content_->setReadOnly(false);  // Enter starts a new line here
  contact_ = builder_.Get<QLineEdit>(ids::kFeedbackContactEdit);
  submit_ = builder_.Get<QPushButton>(ids::kFeedbackSubmitButton);
  if (auto* note = builder_.Get<QLabel>(ids::kFeedbackNote)) note->setWordWrap(true);
  connect(submit_, &QPushButton::clicked, this, &FeedbackDialog::SubmitClicked);
  connect(builder_.Get<QPushButton>(ids::kDialogCancel), &QPushButton::clicked, this,
          &QDialog::reject);
}

FeedbackDialog::~FeedbackDialog() { Detach(); }

void FeedbackDialog::Detach() {
  poster_->Shutdown();
  hide();
}

void FeedbackDialog::ShowFromMenu() {
  if (poster_->IsShutDown()) return;
  open();
  subject_->setFocus();
}

bool FeedbackDialog::SubmitClicked() {
  if (sending_) return false;
  const TextTable& t = session_.texts();
  // Lines pasted into a one-line field become one line: a line break must
  // never reach the mail's header.
  for (QLineEdit* oneLine : {subject_, contact_}) {
    const QString flat = Q(OneLine(oneLine->text().toStdString()));
    if (flat != oneLine->text()) oneLine->setText(flat);
  }
  FeedbackFields fields{subject_->text().toStdString(), content_->toPlainText().toStdString(),
                        contact_->text().toStdString()};
  if (fields.content.empty()) {
    ShowOutcome(FeedbackMessageFor({FeedbackStatus::EmptyContent, 0}, t));
    return false;
  }
  fields = CompleteFeedback(std::move(fields), t.itext(itext::kFeedbackNotGiven));
  std::string problem;
  const std::string path = session_.baseDir() + kServicesFileName;
  const ServicesConfig config = LoadServicesConfig(path, problem);
  if (!problem.empty()) {
    // Half a file is not sent with: the account may be the part not read.
    session_.services().AppendLog(problem);
    ShowOutcome({problem, t.itext(itext::kError), BoxIcon::Warning});
    return false;
  }
  if (const std::string warning = ServicesPasswordWarning(path, config);
      !warning.empty() && !passwordWarned_) {
    passwordWarned_ = true;
    session_.services().AppendLog(warning);
  }
  sending_ = true;
  submit_->setEnabled(false);
  // The thread owns copies of all it needs; what it reports is dropped
  // once the dialog has gone.
  std::thread([this, poster = poster_, mail = config.mail, fields = std::move(fields)] {
    const FeedbackOutcome outcome = SendFeedback(mail, fields, smtp::SmtpClient::kDefaultTimeoutMs);
    // Runs on the GUI thread, and only while the dialog is there: its
    // destructor shuts the poster down first.
    poster->Post([this, outcome] { ShowOutcome(FeedbackMessageFor(outcome, session_.texts())); });
  }).detach();
  return true;
}

void FeedbackDialog::ShowOutcome(const FeedbackMessage& message) {
  sending_ = false;
  submit_->setEnabled(true);
  const QString text = Q(message.text);
  emit outcomeShown(text);
  RunMessageBox(isVisible() ? static_cast<QWidget*>(this) : parentWidget(), text,
                Q(message.caption), message.icon, BoxButtons::Ok);
}

}  // namespace tarnwick
