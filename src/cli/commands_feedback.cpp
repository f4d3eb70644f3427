// feedback --subject TEXT --contact TEXT --content-file FILE: the quick
// feedback mail, sent as the dialog sends it, with the account and the
// support mailbox of services.ini in the base directory. A subject or contact
// holding a line break or another control character, and a services.ini that
// cannot be read whole, are bad input (exit 2).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "cli/command_table.h"
#include "cli/json_report.h"
#include "core/app/text_ids.h"
#include "core/app/text_table.h"
#include "core/services/services_config.h"
#include "core/services/smtp/feedback_mail.h"
#include "core/services/smtp/smtp_client.h"
#include "core/services/smtp/smtp_message.h"
#include "core/session/session.h"

namespace tarnwick::cli {
namespace {

// A report longer than this is not a report.
constexpr std::uintmax_t kContentLimit = 16u * 1024 * 1024;

constexpr const char* kWords[] = {"--subject", "--contact", "--content-file"};

// The words as option -> value; false with the reason for anything else.
bool ReadWords(const std::vector<std::string>& a, std::map<std::string, std::string>& values,
               std::string& error) {
  for (std::size_t i = 0; i < a.size(); i += 2) {
    bool known = false;
    for (const char* w : kWords) known = known || a[i] == w;
    if (!known) {
      error = "feedback takes --subject TEXT, --contact TEXT and --content-file FILE, not " + a[i];
      return false;
    }
    if (i + 1 >= a.size()) {
      error = a[i] + " needs a value";
      return false;
    }
    if (!values.emplace(a[i], a[i + 1]).second) {
      error = a[i] + " is given twice";
      return false;
    }
  }
  if (values.count("--content-file") == 0) {
    error = "feedback needs --content-file FILE";
    return false;
  }
  // One-line fields: a line break would end the mail's header line early.
  for (const char* field : {"--subject", "--contact"}) {
    const auto it = values.find(field);
    if (it != values.end() && smtp::HasControlCharacter(it->second)) {
      error = std::string(field) + " holds a line break or another control character";
      return false;
    }
  }
  return true;
}

bool CheckWords(const std::vector<std::string>& a, std::string& error) {
  std::map<std::string, std::string> values;
  return ReadWords(a, values, error);
}

// The report's text; false with the reason when FILE cannot be it.
bool ReadContent(const std::string& path, std::string& content, std::string& error) {
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (ec || !std::filesystem::exists(status)) {
    error = path + ": no such file";
    return false;
  }
  if (!std::filesystem::is_regular_file(status)) {
    error = path + ": not a regular file";
    return false;
  }
  if (std::filesystem::file_size(path, ec) > kContentLimit) {
    error = path + ": larger than 16 MiB";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = path + ": cannot be read";
    return false;
  }
  content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.bad()) {
    error = path + ": cannot be read";
    return false;
  }
  return true;
}

int Feedback(CliContext& c) {
  std::map<std::string, std::string> values;
  std::string error;
  if (!ReadWords(c.options.args, values, error)) {
    std::fprintf(stderr, "tarnwick-cli: %s\n", error.c_str());
    return kExitUsage;
  }
  FeedbackFields fields{values["--subject"], {}, values["--contact"]};
  if (!ReadContent(values["--content-file"], fields.content, error)) {
    std::fprintf(stderr, "tarnwick-cli: %s\n", error.c_str());
    return kExitFailed;
  }
  const TextTable& t = c.session.texts();
  std::string problem;
  const std::string path = c.session.baseDir() + kServicesFileName;
  const ServicesConfig config = LoadServicesConfig(path, problem);
  if (!problem.empty()) {
    // Half a file is not sent with: the account may be the part not read.
    std::fprintf(stderr, "tarnwick-cli: %s\n", problem.c_str());
    return kExitUsage;
  }
  if (const std::string warning = ServicesPasswordWarning(path, config); !warning.empty()) {
    c.session.services().AppendLog(warning);
    std::fprintf(stderr, "tarnwick-cli: warning: %s\n", warning.c_str());
  }
  const FeedbackOutcome outcome =
      SendFeedback(config.mail, CompleteFeedback(fields, t.itext(itext::kFeedbackNotGiven)),
                   smtp::SmtpClient::kDefaultTimeoutMs);
  const FeedbackMessage message = FeedbackMessageFor(outcome, t);
  const bool sent = outcome.status == FeedbackStatus::Sent;
  if (c.options.json) {
    JsonFields()["sent"] = sent;
    JsonFields()["server"] = config.mail.server;
    JsonFields()["subject"] = fields.subject;
    JsonFields()["message"] = message.text;
  }
  std::fprintf(sent ? stdout : stderr, "%s\n", message.text.c_str());
  return sent ? kExitOk : kExitFailed;
}

constexpr CliCommand kCommands[] = {
    {"feedback", "--subject TEXT --contact TEXT --content-file FILE", 2, 6,
     "send FILE's text to the maker as the quick feedback mail (services.ini's [mail])", Feedback,
     CliCommand::Needs::Nothing, CheckWords},
};

}  // namespace

std::span<const CliCommand> FeedbackCommands() { return kCommands; }

}  // namespace tarnwick::cli
