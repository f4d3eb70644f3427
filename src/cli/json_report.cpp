#include "cli/json_report.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/exit_codes.h"

namespace tarnwick::cli {
namespace {

// One of the standard streams, sent to an unnamed file until Restore().
class Captured {
 public:
  Captured(std::FILE* stream, int fd) : stream_(stream), fd_(fd) {
    file_ = std::tmpfile();
    saved_ = ::dup(fd_);
    if (file_ == nullptr || saved_ < 0) return;
    std::fflush(stream_);
    active_ = ::dup2(::fileno(file_), fd_) >= 0;
  }
  ~Captured() {
    Restore();
    if (file_ != nullptr) std::fclose(file_);
  }
  Captured(const Captured&) = delete;
  Captured& operator=(const Captured&) = delete;

  bool active() const { return active_; }

  // Gives the stream back and returns what was written to it.
  std::string Restore() {
    std::string text;
    if (!active_) return text;
    std::fflush(stream_);
    ::dup2(saved_, fd_);
    ::close(saved_);
    active_ = false;
    std::rewind(file_);
    char block[4096];
    for (std::size_t n; (n = std::fread(block, 1, sizeof block, file_)) > 0;) text.append(block, n);
    return text;
  }

 private:
  std::FILE* stream_;
  int fd_;
  std::FILE* file_ = nullptr;
  int saved_ = -1;
  bool active_ = false;
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    out.push_back(line);
  }
  return out;
}

// The reason the run gives last: its last "error: " or "tarnwick-cli: " line.
std::string LastError(const std::string& err) {
  std::string found;
  for (const std::string& line : Lines(err)) {
    for (const char* head : {"error: ", "tarnwick-cli: "}) {
      if (line.rfind(head, 0) == 0) found = line.substr(std::strlen(head));
    }
  }
  return found;
}

std::string CommandWord(int argc, char** argv) {
  std::string error;
  const std::optional<CliOptions> o = ParseCommandLine(argc, argv, error);
  return o ? o->command : std::string();
}

}  // namespace

bool JsonRequested(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    if (word == "--") return false;
    if (word == "--json") return true;
  }
  return false;
}

nlohmann::json& JsonFields() {
  static nlohmann::json fields = nlohmann::json::object();
  return fields;
}

namespace {
std::string& FailureReason() {
  static std::string reason;
  return reason;
}
}  // namespace

void JsonFailure(const std::string& reason) { FailureReason() = reason; }

nlohmann::json& JsonLines() {
  static nlohmann::json lines = nlohmann::json::array();
  return lines;
}

int RunReported(int argc, char** argv, int (*run)(int, char**)) {
  if (!JsonRequested(argc, argv)) return run(argc, argv);
  int status = kExitFailed;
  std::string out, err;
  {
    Captured capturedOut(stdout, STDOUT_FILENO);
    Captured capturedErr(stderr, STDERR_FILENO);
    try {
      status = run(argc, argv);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "tarnwick-cli: %s\n", e.what());
    }
    err = capturedErr.Restore();
    out = capturedOut.Restore();
  }
  // Status lines still reach whoever watches standard error.
  std::fwrite(err.data(), 1, err.size(), stderr);
  nlohmann::json report = nlohmann::json::object();
  const std::string command = CommandWord(argc, argv);
  if (!command.empty()) report["command"] = command;
  for (auto& [key, value] : JsonFields().items()) report[key] = value;
  if (!report.contains("output")) report["output"] = Lines(out);
  report["exit"] = status;
  report["result"] = status == kExitOk ? "ok" : "failed";
  if (status != kExitOk) {
    std::string reason = LastError(err);
    if (reason.empty()) reason = FailureReason();
    report["error"] = reason.empty() ? std::string("the command failed") : reason;
  }
  std::string text;
  for (const nlohmann::json& line : JsonLines()) {
    text += line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
  }
  text += report.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
  if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0) {
    std::fprintf(stderr, "tarnwick-cli: standard output did not take the JSON report: %s\n",
                 std::strerror(errno));
    return status == kExitOk ? kExitFailed : status;
  }
  return status;
}

}  // namespace tarnwick::cli
