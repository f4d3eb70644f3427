// otp detect|blank|read FILE|verify FILE|program FILE [--lock]: the OTP
// dialog's operations, each one job on the worker. The dialog's log goes to
// standard error line by line; detect's finding goes to standard output.
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <string>

#include "cli/command_table.h"
#include "cli/json_report.h"
#include "cli/target_file.h"
#include "cli/terminal_surface.h"
#include "core/app/text_ids.h"
#include "core/operations/otp/otp_programmer.h"
#include "core/session/session.h"

namespace tarnwick::cli {
namespace {

namespace fs = std::filesystem;

// The dialog on a terminal: the log as lines, the file and the lock box from
// the command's words, the boxes through the terminal's questions.
class TerminalOtpView : public OtpView {
 public:
  TerminalOtpView(TerminalSurface& surface, std::string file, bool lock)
      : surface_(surface), file_(std::move(file)), lock_(lock) {}
  ~TerminalOtpView() override {
    std::lock_guard l(m_);
    EndLine();
  }

  void SetLogText(const std::string& text) override {
    std::lock_guard l(m_);
    EndLine();
    // "NULL" only marks the dialog's log as cleared.
    if (text != "NULL") Write(text);
  }
  void AppendLogText(const std::string& text) override {
    std::lock_guard l(m_);
    Write(text);
  }
  void SetControlEnabled(int, bool) override {}
  void SetLockTicked(bool) override {}
  void ShowBusy(bool) override {}
  void Beep(OtpBeep) override {}
  std::string ChosenFile() override { return file_; }
  bool LockTicked() override { return lock_; }
  BoxAnswer Ask(const std::string& text, BoxIcon icon, BoxButtons buttons) override {
    {
      std::lock_guard l(m_);
      EndLine();
    }
    return surface_.Ask(text, "OTP", icon, buttons);
  }
  std::optional<std::string> AskSaveFile() override { return file_; }

  // The log's last line that says something: how the operation ended.
  std::string LastLine() {
    std::lock_guard l(m_);
    return line_.empty() ? last_ : line_;
  }

 private:
  // Whole lines only: the terminal's status lines go to the same stream.
  void Write(const std::string& text) {
    for (char ch : text) {
      if (ch == '\r') continue;
      if (ch == '\n') {
        EndLine(true);
      } else {
        line_ += ch;
      }
    }
  }
  void EndLine(bool always = false) {
    if (line_.empty() && !always) return;
    std::fprintf(stderr, "%s\n", line_.c_str());
    std::fflush(stderr);
    if (line_.find_first_not_of(" .") != std::string::npos) last_ = line_;
    line_.clear();
  }

  TerminalSurface& surface_;
  std::string file_;
  bool lock_;
  std::mutex m_;
  std::string line_;  // the log's line not yet ended
  std::string last_;  // the last ended line with words in it
};

struct OtpWords {
  std::string action;
  std::string file;
  bool lock = false;
};

// The words after "otp"; false (and the reason) when they do not fit.
bool ParseWords(const std::vector<std::string>& args, OtpWords& words, std::string& error) {
  words.action = args.empty() ? "" : args[0];
  const bool needsFile =
      words.action == "read" || words.action == "verify" || words.action == "program";
  if (!needsFile && words.action != "detect" && words.action != "blank") {
    error = "otp needs detect, blank, read FILE, verify FILE or program FILE [--lock]";
    return false;
  }
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--lock" && words.action == "program") {
      words.lock = true;
    } else if (needsFile && words.file.empty() && !args[i].empty() && args[i][0] != '-') {
      words.file = args[i];
    } else {
      error = "otp " + words.action + ": unexpected " + args[i];
      return false;
    }
  }
  if (needsFile && words.file.empty()) {
    error = "otp " + words.action + " needs a FILE";
    return false;
  }
  return true;
}

const char* AreaState(int result) {
  switch (result) {
    case kOtpLocked:
      return "locked";
    case kOtpWritable:
      return "writable";
    case kOtpNotFound:
      return "not found";
    default:
      return "not answered";
  }
}

// --json: what the operation worked on and how it ended.
void ReportOtp(const OtpWords& words, const std::string& file, OtpProgrammer& otp,
               TerminalOtpView& view) {
  nlohmann::json& f = JsonFields();
  f["operation"] = words.action;
  if (!file.empty()) f["file"] = file;
  if (words.action == "program") f["lock"] = words.lock;
  const OtpAreaInfo area = otp.LastArea();
  f["area"] = {{"start", area.start}, {"size", area.size}, {"state", AreaState(area.result)}};
  f["bytes"] = otp.SaveableLength();
  f["outcome"] = view.LastLine();
}

int Finish(bool ok, const CliContext& c) {
  return ok && !c.surface.QuestionRefused() ? kExitOk : kExitFailed;
}

int Detect(CliContext& c, OtpProgrammer& otp) {
  c.session.RunJobAndWait(Job::OtpDetect);
  const OtpAreaInfo area = otp.LastArea();
  if (area.result != kOtpLocked && area.result != kOtpWritable) return kExitFailed;
  std::printf("OTP area: %u bytes at 0x%04X, %s\n", static_cast<unsigned>(area.size),
              static_cast<unsigned>(area.start), area.result == kOtpLocked ? "locked" : "writable");
  return kExitOk;
}

// The dialog's read and save: FILE.part first, renamed once it holds the area.
int Read(CliContext& c, OtpProgrammer& otp, const std::string& file) {
  if (!c.session.RunJobAndWait(Job::OtpRead)) return kExitFailed;
  const std::size_t length = otp.SaveableLength();
  if (!c.session.RunJobAndWait(Job::OtpSave)) {
    std::fprintf(stderr, "error: could not write %s\n", file.c_str());
    return kExitFailed;
  }
  std::error_code ec;
  if (fs::file_size(file, ec) != length || ec) {
    std::fprintf(stderr, "error: %s does not hold the %zu bytes read\n", file.c_str(), length);
    return kExitFailed;
  }
  return kExitOk;
}

bool CheckWords(const std::vector<std::string>& args, std::string& error) {
  OtpWords words;
  return ParseWords(args, words, error);
}

int Otp(CliContext& c) {
  OtpWords words;
  std::string error;
  if (!ParseWords(c.options.args, words, error)) {
    std::fprintf(stderr, "tarnwick-cli: %s\n", error.c_str());
    return kExitUsage;
  }
  std::string file;
  if (!words.file.empty()) {
    std::error_code ec;
    file = fs::absolute(words.file, ec).string();
    if (ec) file = words.file;
  }
  if (words.action == "read") {
    if (const std::string why = TargetProblem(c, file); !why.empty()) {
      std::fprintf(stderr, "tarnwick-cli: cannot write %s: %s\n", file.c_str(), why.c_str());
      return kExitFailed;
    }
  }
  TerminalOtpView view(c.surface, file, words.lock);
  OtpProgrammer& otp = c.session.otp();
  otp.SetView(&view);
  int status = kExitFailed;
  if (words.action == "detect") {
    status = Detect(c, otp);
  } else if (words.action == "blank") {
    status = Finish(c.session.RunJobAndWait(Job::OtpBlankCheck), c);
  } else if (words.action == "read") {
    status = Read(c, otp, file);
  } else if (words.action == "verify") {
    status = Finish(c.session.RunJobAndWait(Job::OtpVerify), c);
  } else {
    status = Finish(c.session.RunJobAndWait(Job::OtpProgram), c);
  }
  otp.SetView(nullptr);
  if (c.options.json) ReportOtp(words, file, otp, view);
  if (status != kExitOk) JsonFailure(view.LastLine());
  return status;
}

constexpr CliCommand kCommands[] = {
    {"otp", "detect|blank|read FILE|verify FILE|program FILE [--lock]", 1, 3,
     "the chip's OTP area: find it, check it is blank, read it into FILE, compare it with "
     "FILE, or program FILE into it (--lock locks it for ever afterwards)",
     Otp, CliCommand::Needs::CatalogueChip, CheckWords},
};

}  // namespace

std::span<const CliCommand> OtpCommands() { return kCommands; }

}  // namespace tarnwick::cli
