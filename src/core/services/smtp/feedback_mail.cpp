#include "core/services/smtp/feedback_mail.h"

#include "core/app/text_ids.h"
#include "core/app/text_table.h"
#include "core/services/smtp/smtp_client.h"

namespace tarnwick {

FeedbackFields CompleteFeedback(FeedbackFields fields, const std::string& notGiven) {
  if (fields.contact.empty()) fields.contact = notGiven;
  if (fields.subject.empty()) fields.subject = notGiven;
  return fields;
}

std::string FeedbackBody(const std::string& content, const std::string& contact) {
  return "Tarnwick:\r\n" + content + "\r\n------------------联系方式-------------------\r\n" +
         contact;
}

void ConfigureFeedbackMail(smtp::SmtpClient& client, const ServicesConfig::Mail& mail,
                           const FeedbackFields& completed) {
  client.SetSmtpServer(mail.server, mail.port);
  client.SetLogin(mail.login);
  client.SetPassword(mail.password);
  client.SetSenderName(kFeedbackSenderName);
  client.SetSenderMail(mail.login);
  client.SetReplyTo(mail.login);
  client.SetSubject(kFeedbackSubjectPrefix + completed.subject);
  client.AddRecipient(mail.support.c_str(), "");
  client.SetPriority(kFeedbackPriority);
  client.SetXMailer(mail.xMailer);
  client.SetMessageBody(FeedbackBody(completed.content, completed.contact));
}

FeedbackOutcome SendFeedback(const ServicesConfig::Mail& mail, const FeedbackFields& completed,
                             int timeoutMs) {
  if (completed.content.empty()) return {FeedbackStatus::EmptyContent, 0};
  smtp::SmtpClient client;
  if (client.GetError() != smtp::kNoError) return {FeedbackStatus::ClientUnavailable, 0};
  client.SetTimeout(timeoutMs);
  ConfigureFeedbackMail(client, mail, completed);
  if (client.Send()) return {FeedbackStatus::Sent, 0};
  return {FeedbackStatus::Failed, client.GetError()};
}

FeedbackMessage FeedbackMessageFor(const FeedbackOutcome& outcome, const TextTable& texts) {
  switch (outcome.status) {
    case FeedbackStatus::EmptyContent:
      return {texts.itext(itext::kFeedbackNoContent), texts.itext(itext::kNoticeCaption),
              BoxIcon::Information};
    case FeedbackStatus::ClientUnavailable:
      return {texts.itext(itext::kFeedbackNotPrepared), texts.itext(itext::kError),
              BoxIcon::Information};
    case FeedbackStatus::Sent:
      return {texts.itext(itext::kFeedbackSent), texts.itext(itext::kNoticeCaption),
              BoxIcon::Information};
    case FeedbackStatus::Failed:
      break;
  }
  const std::string error = texts.itext(itext::kError);
  return {error + ":" + smtp::SmtpClient::GetErrorText(outcome.error), error, BoxIcon::Warning};
}

}  // namespace tarnwick
