// batch: a series of chips, each erased, programmed and verified as the
// batch dialog does it with auto start, one line per chip on standard output.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <system_error>

#include "cli/command_table.h"
#include "cli/json_report.h"
#include "cli/target_file.h"
#include "cli/terminal_surface.h"
#include "core/app/settings.h"
#include "core/buffers/file_image.h"
#include "core/operations/batch/batch_record.h"
#include "core/operations/batch/batch_runner.h"
#include "core/operations/batch/batch_texts.h"
#include "core/session/session.h"
#include "resources/ids.h"

namespace tarnwick::cli {
namespace {

namespace fs = std::filesystem;

volatile std::sig_atomic_t gInterrupted = 0;
extern "C" void OnInterrupt(int /*signal*/) { gInterrupted = 1; }

struct BatchArgs {
  batch::Fields fields;
  std::optional<std::uint32_t> fillAddress;
  std::optional<int> from;
  std::optional<BatchSteps> steps;
  std::optional<int> chips;
  std::string report;
  bool allowRepeatId = false;
  int waitTimeout = 0;  // seconds; 0: wait until interrupted
};

// The longest --wait-timeout: a day.
constexpr std::uint64_t kMaxWaitTimeoutS = 86400;

// The record names every file so that it can be found again later.
std::string Absolute(const std::string& path) {
  std::error_code ec;
  const fs::path p = fs::absolute(path, ec);
  return ec ? path : p.lexically_normal().string();
}

bool ParseNumber(const std::string& text, int base, std::uint64_t max, std::uint64_t& value) {
  std::string digits = text;
  if (base == 16 && (digits.rfind("0x", 0) == 0 || digits.rfind("0X", 0) == 0)) {
    digits = digits.substr(2);
  }
  if (digits.empty() || digits.size() > 20) return false;
  std::uint64_t v = 0;
  for (char ch : digits) {
    int d;
    if (ch >= '0' && ch <= '9') {
      d = ch - '0';
    } else if (base == 16 && ch >= 'a' && ch <= 'f') {
      d = ch - 'a' + 10;
    } else if (base == 16 && ch >= 'A' && ch <= 'F') {
      d = ch - 'A' + 10;
    } else {
      return false;
    }
    if (d >= base) return false;
    v = v * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
    if (v > max) return false;
  }
  value = v;
  return true;
}

bool ParseSteps(const std::string& text, BatchSteps& steps) {
  steps = {};
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t comma = text.find(',', start);
    const std::string word =
        text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    if (word == "erase") {
      steps.erase = true;
    } else if (word == "program") {
      steps.program = true;
    } else if (word == "verify") {
      steps.verify = true;
    } else {
      return false;
    }
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return steps.erase || steps.program || steps.verify;
}

// Reads the command's words into `a`; the message of the first mistake.
std::string ParseBatchArgs(const std::vector<std::string>& args, BatchArgs& a) {
  bool modeGiven = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::string value;
    if (name == "--allow-repeat-id") {
      a.allowRepeatId = true;
      continue;
    }
    if (const std::size_t eq = name.find('=');
        name.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = name.substr(eq + 1);
      name = name.substr(0, eq);
    } else {
      if (name.rfind("--", 0) != 0) return "unexpected word " + name;
      if (i + 1 >= args.size()) return name + " needs a value";
      value = args[++i];
    }
    std::uint64_t n = 0;
    auto number = [&](int base, std::uint64_t min, std::uint64_t max) {
      return ParseNumber(value, base, max, n) && n >= min;
    };
    if (name == "--mode") {
      const char* modes[] = {"repeat", "list", "serial", "append"};
      modeGiven = false;
      for (int m = 0; m < batch::kModeCount; ++m) {
        if (value == modes[m]) {
          a.fields.mode = static_cast<batch::Mode>(m);
          modeGiven = true;
        }
      }
      if (!modeGiven) return "--mode takes repeat, list, serial or append, not " + value;
    } else if (name == "--master") {
      if (value.empty()) return "--master needs a file";
      a.fields.masterFile = Absolute(value);
    } else if (name == "--file") {
      if (value.empty()) return "--file needs a file";
      a.fields.files.push_back(Absolute(value));
    } else if (name == "--from") {
      if (!number(10, 1, 1000000)) return "--from takes a list position from 1, not " + value;
      a.from = static_cast<int>(n);
    } else if (name == "--fill-address") {
      if (!number(16, 0, 0xFFFFFFFFu)) return "--fill-address takes a hex address, not " + value;
      a.fillAddress = static_cast<std::uint32_t>(n);
    } else if (name == "--start-id") {
      if (!number(10, 0, 0xFFFFFFFFu)) return "--start-id takes 0..4294967295, not " + value;
      a.fields.startId = static_cast<std::uint32_t>(n);
    } else if (name == "--id-bytes") {
      if (value != "1" && value != "2" && value != "4") return "--id-bytes takes 1, 2 or 4";
      a.fields.idLength = value[0] - '0';
    } else if (name == "--byte-order") {
      if (value == "little") {
        a.fields.byteOrder = batch::ByteOrder::Little;
      } else if (value == "big") {
        a.fields.byteOrder = batch::ByteOrder::Big;
      } else {
        return "--byte-order takes little or big, not " + value;
      }
    } else if (name == "--increment") {
      if (!number(10, 1, 0xFFFFFFFFu)) return "--increment takes 1..4294967295, not " + value;
      a.fields.increment = static_cast<std::uint32_t>(n);
    } else if (name == "--count") {
      if (!number(10, 0, 0xFFFFFFFFu)) return "--count takes 0..4294967295, not " + value;
      a.fields.count = static_cast<std::uint32_t>(n);
    } else if (name == "--steps") {
      BatchSteps steps;
      if (!ParseSteps(value, steps)) return "--steps takes a list of erase, program, verify";
      a.steps = steps;
    } else if (name == "--chips") {
      if (!number(10, 1, 1000000000)) return "--chips takes a number of chips from 1, not " + value;
      a.chips = static_cast<int>(n);
    } else if (name == "--wait-timeout") {
      if (!number(10, 1, kMaxWaitTimeoutS)) {
        return "--wait-timeout takes seconds from 1 to " + std::to_string(kMaxWaitTimeoutS) +
               ", not " + value;
      }
      a.waitTimeout = static_cast<int>(n);
    } else if (name == "--report") {
      if (value.empty()) return "--report needs a file";
      a.report = value;
    } else {
      return "unknown batch option " + name;
    }
  }
  if (!modeGiven) return "batch needs --mode repeat|list|serial|append";
  const batch::Mode mode = a.fields.mode;
  const bool usesMaster = mode != batch::Mode::List;
  const bool usesList = mode == batch::Mode::List || mode == batch::Mode::Append;
  if (usesMaster && a.fields.masterFile.empty()) return "this mode needs --master FILE";
  if (!usesMaster && !a.fields.masterFile.empty()) return "--master is not used by --mode list";
  if (usesList && a.fields.files.empty()) return "this mode needs --file FILE (one per chip)";
  if (!usesList && !a.fields.files.empty()) return "--file is used by --mode list and append";
  if (a.from) {
    if (!usesList) return "--from is used by --mode list and append";
    if (*a.from > static_cast<int>(a.fields.files.size())) return "--from is past the list's end";
    a.fields.selected = *a.from - 1;
  }
  if (a.fillAddress) {
    if (mode != batch::Mode::Serial && mode != batch::Mode::Append) {
      return "--fill-address is used by --mode serial and append";
    }
    a.fields.fillAddress = *a.fillAddress;
  } else if (usesMaster) {
    // As the dialog's master button does: the fill address is the master's end.
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(a.fields.masterFile, ec);
    if (!ec && size <= 0xFFFFFFFFu) a.fields.fillAddress = static_cast<std::uint32_t>(size);
  }
  return {};
}

// Prints a line per chip and remembers what the batch said.
class CliBatchView : public BatchView {
 public:
  void ShowRunning(bool /*running*/) override {}
  void ShowProgress(std::uint32_t /*count*/, int /*selected*/) override {}
  void ShowFieldProblem(batch::Field field) override {
    std::lock_guard lock(m_);
    problem_ = field;
  }
  void ShowChipEnded(const BatchChipLine& line) override {
    std::lock_guard lock(m_);
    std::printf("chip %d: %s, %s%s, checksum %s, %s, %.1f s\n", line.chip,
                BatchResultText(line.result), line.file.c_str(),
                line.id ? (", ID " + std::to_string(*line.id)).c_str() : "",
                line.checksum.empty() ? "-" : line.checksum.c_str(),
                line.steps.empty() ? "no steps" : line.steps.c_str(), line.seconds);
    std::fflush(stdout);
    ++ended_;
    // --json: a line of its own per chip, as the report holds it.
    nlohmann::json chip = nlohmann::json::object();
    chip["chip"] = line.chip;
    chip["time"] = line.time;
    chip["result"] = BatchResultText(line.result);
    chip["file"] = line.file;
    chip["checksum"] = line.checksum;
    chip["steps"] = line.steps;
    chip["seconds"] = line.seconds;
    if (line.id) chip["id"] = *line.id;
    JsonLines().push_back(chip);
  }
  int ended() {
    std::lock_guard lock(m_);
    return ended_;
  }
  batch::Field problem() {
    std::lock_guard lock(m_);
    return problem_;
  }

 private:
  std::mutex m_;
  int ended_ = 0;
  batch::Field problem_ = batch::Field::None;
};

// The serial numbers a batch of `chips` chips (1 when not given) would
// write: refused before any chip when one would not fit, or when the
// production record has one as done for the same master. The message, or "".
std::string SeriesProblem(const BatchArgs& a, const std::string& report) {
  if (a.fields.mode != batch::Mode::Serial) return {};
  batch::Fields f = a.fields;
  // The first ID as the batch takes it: the count, or the start ID above it.
  if (batch::Plan::CheckFields(f) == batch::Field::MasterFile) return {};
  const std::uint32_t first = std::max(f.count, f.startId);
  const std::uint64_t chips = a.chips ? static_cast<std::uint64_t>(*a.chips) : 1;
  if (!batch::SeriesFits(first, f.increment, chips, f.idLength)) {
    const std::uint64_t last = std::uint64_t{first} + (chips - 1) * f.increment;
    return "the IDs " + std::to_string(first) + " to " + std::to_string(last) + " do not fit in " +
           std::to_string(f.idLength) + (f.idLength == 1 ? " byte" : " bytes") + " (largest " +
           std::to_string(batch::MaxId(f.idLength)) + "); an ID is never cut or wrapped round";
  }
  if (a.allowRepeatId) return {};
  const std::set<std::uint32_t> done =
      batch::RecordedIds(report, batch::DescribeMaster(f.masterFile, f.fillAddress, f.idLength));
  for (std::uint32_t id : done) {
    if (id < first || (id - first) % f.increment != 0 || (id - first) / f.increment >= chips) {
      continue;
    }
    return "ID " + std::to_string(id) + " is already in " + report +
           " as programmed from this master file; --allow-repeat-id programs it again";
  }
  return {};
}

int Batch(CliContext& c) {
  BatchArgs a;
  if (const std::string error = ParseBatchArgs(c.options.args, a); !error.empty()) {
    std::fprintf(stderr, "tarnwick-cli: batch: %s\n", error.c_str());
    return kExitUsage;
  }
  if (c.options.noDetect) {
    std::fprintf(stderr,
                 "tarnwick-cli: batch: waits for each chip through the identification; "
                 "--no-detect cannot be used\n");
    return kExitUsage;
  }
  for (const std::string& f : a.fields.files) {
    std::error_code ec;
    if (!fs::is_regular_file(f, ec)) {
      std::fprintf(stderr, "tarnwick-cli: batch: %s is not a readable file\n", f.c_str());
      return kExitFailed;
    }
  }
  Session& session = c.session;
  const bool anyMenuStep = c.surface.IsMenuChecked(ids::kBatchEraseSetting) ||
                           c.surface.IsMenuChecked(ids::kBatchProgramSetting) ||
                           c.surface.IsMenuChecked(ids::kBatchVerifySetting);
  if (!a.steps && !anyMenuStep) {
    std::fprintf(stderr,
                 "tarnwick-cli: batch: no batch step is ticked in the settings; give --steps\n");
    return kExitUsage;
  }

  // A record that cannot be written is found out before any chip is touched;
  // a named one is guarded as read's output is (not the catalogue, not a FIFO).
  const std::string report =
      a.report.empty() ? session.layout().stateDir + kBatchReportName : a.report;
  if (!a.report.empty()) {
    if (const std::string problem = TargetProblem(c, a.report); !problem.empty()) {
      std::fprintf(stderr, "tarnwick-cli: batch: --report %s: %s\n", a.report.c_str(),
                   problem.c_str());
      return kExitUsage;
    }
  }
  {
    std::error_code ec;
    const bool existed = fs::exists(report, ec);
    // Never waits on a FIFO in the record's place, and takes only a plain file.
    const int fd =
        ::open(report.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0644);
    struct stat st {};
    const bool plain = fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (fd >= 0) ::close(fd);
    if (!plain) {
      std::fprintf(stderr, "tarnwick-cli: batch: cannot write the production record %s\n",
                   report.c_str());
      return kExitFailed;
    }
    if (!existed) fs::remove(report, ec);  // the first chip's line creates it
  }
  if (const std::string problem = SeriesProblem(a, report); !problem.empty()) {
    std::fprintf(stderr, "tarnwick-cli: batch: %s\n", problem.c_str());
    return kExitUsage;
  }
  BatchRunner& runner = session.batch();
  CliBatchView view;
  runner.SetView(&view);
  if (!a.report.empty()) runner.SetReportPath(a.report);
  runner.SetStepsOverride(a.steps);
  runner.SetAllowRepeatId(a.allowRepeatId);
  runner.SetWaitTimeout(a.waitTimeout);
  a.fields.autoStart = true;

  gInterrupted = 0;
  struct sigaction action {};
  struct sigaction previous {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, &previous);

  runner.Start(a.fields);
  bool reachedChips = false;
  runner.WaitUntilIdle([&] {
    if (a.chips && view.ended() >= *a.chips) reachedChips = true;
    return gInterrupted != 0 || reachedChips;
  });
  sigaction(SIGINT, &previous, nullptr);
  runner.SetView(nullptr);
  runner.WaitUntilIdle();

  const int started = runner.ChipsStarted();
  const int done = runner.ChipsDone();
  if (c.options.json) {
    JsonFields()["chips_started"] = started;
    JsonFields()["chips_done"] = done;
    JsonFields()["count"] = runner.Count();
  }
  if (started == 0) {
    if (const batch::Field p = view.problem(); p != batch::Field::None) {
      std::fprintf(stderr, "tarnwick-cli: batch: %s\n", batch::FieldProblemText(p));
      return kExitUsage;
    }
    std::fprintf(stderr,
                 "tarnwick-cli: batch: the data file of the first chip could not be made\n");
    return kExitFailed;
  }
  std::fprintf(stderr, "batch: %d of %d chips done, count %u\n", done, started, runner.Count());
  if (runner.ReportFailed()) {
    std::fprintf(stderr, "tarnwick-cli: batch: the production record could not be written\n");
    return kExitFailed;
  }
  // Stopped before a chip whose ID was refused: the same mistake as before
  // the first chip.
  if (const batch::Field p = view.problem(); p != batch::Field::None) {
    std::fprintf(stderr, "tarnwick-cli: batch: %s %u: %s\n",
                 p == batch::Field::IdTooLarge ? "the ID after" : "ID", runner.Count(),
                 batch::FieldProblemText(p));
    return kExitUsage;
  }
  if (const BatchWaitEnd end = runner.WaitEnd(); end != BatchWaitEnd::None) {
    std::fprintf(stderr, "tarnwick-cli: batch: %s\n",
                 batch::WaitEndText(end, a.waitTimeout).c_str());
    return kExitFailed;
  }
  if (done != started) return kExitFailed;
  if (a.chips && done < *a.chips) {
    std::fprintf(stderr, "tarnwick-cli: batch: stopped after %d of %d chips\n", done, *a.chips);
    return kExitFailed;
  }
  return kExitOk;
}

constexpr CliCommand kCommands[] = {
    {"batch", "--mode repeat|list|serial|append [OPTIONS]", 2, 1000,
     "program a series of chips (options: --master FILE, --file FILE..., --from N, "
     "--fill-address HEX, --start-id N, --id-bytes 1|2|4, --byte-order little|big, "
     "--increment N, --count N, --steps erase,program,verify, --chips N, --report FILE, "
     "--wait-timeout SECONDS, --allow-repeat-id)",
     Batch},
};

}  // namespace

std::span<const CliCommand> BatchCommands() { return kCommands; }

}  // namespace tarnwick::cli
