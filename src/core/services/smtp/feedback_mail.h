// The feedback mail: the three texts of "快速反馈" sent as one plain-text
// mail to the support mailbox, with the sender account of services.ini.
// Both front ends (the dialog and `tarnwick-cli feedback`) go through here;
// SendFeedback blocks, so the window runs it beside its GUI thread.
#pragma once

#include <string>

#include "core/app/window_surface.h"
#include "core/services/services_config.h"

namespace tarnwick {

class TextTable;

namespace smtp {
class SmtpClient;
}

struct FeedbackFields {
  std::string subject;
  std::string content;
  std::string contact;
};

enum class FeedbackStatus : std::uint8_t {
  EmptyContent,       // nothing was sent
  ClientUnavailable,  // the mail could not be prepared
  Sent,
  Failed,  // `error` says why
};

struct FeedbackOutcome {
  FeedbackStatus status = FeedbackStatus::Failed;
  int error = 0;  // the client's error id when Failed
};

// What the technician is shown for an outcome.
struct FeedbackMessage {
  std::string text;
  std::string caption;
  BoxIcon icon = BoxIcon::Information;
};

inline constexpr const char* kFeedbackSenderName = "Tarnwick 问题反馈";
inline constexpr const char* kFeedbackSubjectPrefix = "Tarnwick 反馈主题:";
inline constexpr int kFeedbackPriority = 3;

// An empty subject or contact becomes `notGiven` (the text for "not given").
FeedbackFields CompleteFeedback(FeedbackFields fields, const std::string& notGiven);
// "Tarnwick:", the content, the contact line and the contact.
std::string FeedbackBody(const std::string& content, const std::string& contact);
// Sets up `client` for completed fields: the account, the sender, the one
// recipient, the subject and the body.
void ConfigureFeedbackMail(smtp::SmtpClient& client, const ServicesConfig::Mail& mail,
                           const FeedbackFields& completed);
// A one-line field's text with every line break (CR LF, CR or LF) and every
// other control character turned into a blank.
std::string OneLine(const std::string& text);
// The whole send for completed fields; each connect and reply waits at most
// `timeoutMs`. An empty content sends nothing.
FeedbackOutcome SendFeedback(const ServicesConfig::Mail& mail, const FeedbackFields& completed,
                             int timeoutMs);
FeedbackMessage FeedbackMessageFor(const FeedbackOutcome& outcome, const TextTable& texts);

}  // namespace tarnwick
