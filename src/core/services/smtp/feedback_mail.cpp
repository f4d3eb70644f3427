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
  // A value services.ini leaves out stays unset, so that the client fails
  // with its own error before connecting instead of sending it empty.
  const auto setIfGiven = [&client](void (smtp::SmtpClient::*set)(const std::string&),
                                    const std::string& value) {
    if (!value.empty()) (client.*set)(value);
  };
  client.SetSmtpServer(mail.server, mail.port);
  client.SetTls(mail.tls);
  client.SetCaFile(mail.caFile);
  setIfGiven(&smtp::SmtpClient::SetLogin, mail.login);
  setIfGiven(&smtp::SmtpClient::SetPassword, mail.password);
  client.SetSenderName(kFeedbackSenderName);
  setIfGiven(&smtp::SmtpClient::SetSenderMail, mail.login);
  setIfGiven(&smtp::SmtpClient::SetReplyTo, mail.login);
  client.SetSubject(kFeedbackSubjectPrefix + completed.subject);
  if (!mail.support.empty()) client.AddRecipient(mail.support.c_str(), "");
  client.SetPriority(kFeedbackPriority);
  setIfGiven(&smtp::SmtpClient::SetXMailer, mail.xMailer);
  client.SetMessageBody(FeedbackBody(completed.content, completed.contact));
}

std::string OneLine(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;  // one blank for CR LF
    out += c < 0x20 || c == 0x7f ? ' ' : text[i];
  }
  return out;
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
