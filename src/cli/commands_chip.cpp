// read, erase, blank, program, verify, auto: the chip operations, each one
// job on the worker, with the file loaded first where the job needs one.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "cli/chip_stream.h"
#include "cli/command_table.h"
#include "cli/json_report.h"
#include "cli/target_file.h"
#include "cli/terminal_surface.h"
#include "cli/verify_differences.h"
#include "core/app/text_ids.h"
#include "core/buffers/file_image.h"
#include "core/catalogue/chip_names.h"
#include "core/catalogue/chip_selection.h"
#include "core/session/session.h"

namespace tarnwick::cli {
namespace {

namespace fs = std::filesystem;

std::string FormatSum(std::uint64_t sum) {
  char text[24];
  std::snprintf(text, sizeof text, "%08llX", static_cast<unsigned long long>(sum));
  return text;
}

// --json: what the chip operation worked on and how it went.
void ReportFigures(CliContext& c, double seconds) {
  if (!c.options.json) return;
  nlohmann::json& f = JsonFields();
  if (const ChipRecord* r = c.session.catalogue().Record(c.session.selection().SelectedRecord())) {
    f["chip"] = ChipFullName(*r);
  }
  const buffers::FileImage& image = c.session.image();
  f["bytes"] = c.session.selection().ChipSize();
  if (image.loaded()) {
    f["file_bytes"] = image.size();
    f["file_checksum"] = FormatSum(image.fileSum());
  }
  f["chip_checksum"] = FormatSum(image.chipSum());
  f["seconds"] = seconds;
  f["status"] = c.surface.LastStatus();
}

// Runs `job`; the status line already said what went wrong when it fails.
int RunJob(CliContext& c, Job job) {
  const auto started = std::chrono::steady_clock::now();
  const bool ok = c.session.RunJobAndWait(job);
  ReportFigures(c,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
  if (ok && !c.surface.QuestionRefused()) return kExitOk;
  if (c.surface.LastStatus() == c.session.texts().itext(itext::kBoxNotFound)) return kExitNoBox;
  if (!c.surface.LastStatus().empty() && !c.surface.LastStatusWasError()) {
    std::fprintf(stderr, "error: %s\n", c.surface.LastStatus().c_str());
  }
  return kExitFailed;
}

// The image file the command works with: FILE, or standard input kept in
// the run's work folder for "-". Empty after saying why it cannot be had.
std::string ImageFile(CliContext& c) {
  const std::string& file = c.options.args[0];
  if (file != kStandardStream) return file;
  std::string error;
  std::string kept = StdinToWorkFile(c, error);
  if (kept.empty()) std::fprintf(stderr, "tarnwick-cli: %s\n", error.c_str());
  return kept;
}

// Prints the differences verify met: the first --max-diffs of them as lines,
// then their count.
void PrintDifferences(CliContext& c) {
  const std::vector<Difference> kept = c.surface.Differences();
  const std::optional<std::uint64_t> count =
      DifferenceCount(c.surface.LastStatus(), c.session.texts().itext(itext::kVerifyFailed));
  if (kept.empty() && !count) return;
  if (c.options.json) {
    nlohmann::json list = nlohmann::json::array();
    for (const Difference& d : kept) {
      list.push_back({{"address", d.address}, {"file", d.file}, {"chip", d.chip}});
    }
    JsonFields()["differences"] = list;
    JsonFields()["difference_count"] = count.value_or(kept.size());
  }
  for (const Difference& d : kept) std::printf("%s\n", DifferenceLine(d).c_str());
  std::printf("%llu differences\n", static_cast<unsigned long long>(count.value_or(kept.size())));
}

int LoadThenRun(CliContext& c, Job job, const std::string& file) {
  if (!c.session.LoadUserFile(file)) {
    std::fprintf(stderr, "tarnwick-cli: cannot load %s\n", c.options.args[0].c_str());
    return kExitFailed;
  }
  if (job == Job::Program) return RunJob(c, job);
  const std::string fileLabel = c.session.texts().itext(itext::kDifferenceFile);
  const std::string chipLabel = c.session.texts().itext(itext::kDifferenceChip);
  c.surface.CollectDifferences(
      [fileLabel, chipLabel](const std::string& text) {
        return ParseDifference(text, fileLabel, chipLabel);
      },
      static_cast<std::size_t>(c.options.maxDiffs));
  const int status = RunJob(c, job);
  PrintDifferences(c);
  return status;
}

// The chip's data goes to FILE.part and is renamed into place only once the
// part holds the whole chip, so an existing FILE is never left half-written.
int Read(CliContext& c) {
  const std::string& file = c.options.args[0];
  if (file == kStandardStream) {
    if (c.options.json) {
      std::fprintf(stderr,
                   "tarnwick-cli: read - sends the chip's data, --json a report: name a "
                   "file with --json\n");
      return kExitUsage;
    }
    const int status = RunJob(c, Job::Read);
    return status != kExitOk ? status : WriteChipToStdout(c);
  }
  if (const std::string why = TargetProblem(c, file); !why.empty()) {
    std::fprintf(stderr, "tarnwick-cli: cannot write %s: %s\n", file.c_str(), why.c_str());
    return kExitFailed;
  }
  const int status = RunJob(c, Job::Read);
  if (status != kExitOk) return status;
  const std::string part = file + ".part";
  std::error_code ec;
  fs::remove(part, ec);
  buffers::FileImage& image = c.session.image();
  image.SetSaveNameChooser(
      [&part](const buffers::SaveDialogRequest&) { return std::optional<std::string>(part); });
  image.SaveFileAs();
  const std::uintmax_t written = fs::file_size(part, ec);
  const std::uint64_t chipSize = c.session.selection().ChipSize();
  if (ec || written != chipSize) {
    fs::remove(part, ec);
    std::fprintf(stderr, "error: could not write the whole chip (%llu bytes) to %s\n",
                 static_cast<unsigned long long>(chipSize), file.c_str());
    return kExitFailed;
  }
  fs::rename(part, file, ec);
  if (ec) {
    fs::remove(part, ec);
    std::fprintf(stderr, "error: could not write %s: %s\n", file.c_str(), ec.message().c_str());
    return kExitFailed;
  }
  return kExitOk;
}

int Erase(CliContext& c) { return RunJob(c, Job::Erase); }
int Blank(CliContext& c) { return RunJob(c, Job::BlankCheck); }
int LoadThenRun(CliContext& c, Job job) {
  const std::string file = ImageFile(c);
  return file.empty() ? kExitFailed : LoadThenRun(c, job, file);
}

int Program(CliContext& c) { return LoadThenRun(c, Job::Program); }
int Verify(CliContext& c) { return LoadThenRun(c, Job::Verify); }
// The automatic sequence asks about a file larger than the chip only after
// it has erased; a script cannot answer then, so the question's condition is
// checked before the chip is touched.
int Auto(CliContext& c) {
  const std::string file = ImageFile(c);
  if (file.empty()) return kExitFailed;
  std::error_code ec;
  const std::uintmax_t size = fs::file_size(file, ec);
  if (!ec && size > c.session.selection().ChipSize() && !c.options.yes) {
    std::fprintf(stderr, "error: %s (answer with --yes)\n",
                 c.session.texts().itext(itext::kFileLargerAsk).c_str());
    return kExitFailed;
  }
  return LoadThenRun(c, Job::AutoProgram, file);
}

constexpr auto kChip = CliCommand::Needs::CatalogueChip;

constexpr CliCommand kCommands[] = {
    {"read", "FILE|-", 1, 1, "read the chip into FILE, or to standard output", Read, kChip},
    {"erase", "", 0, 0, "erase the chip", Erase, kChip},
    {"blank", "", 0, 0, "check that the chip is blank", Blank, kChip},
    {"program", "FILE|-", 1, 1, "program FILE (- standard input) into the chip", Program, kChip},
    {"verify", "FILE|-", 1, 1,
     "compare the chip with FILE (- standard input); prints the first differences and their "
     "count",
     Verify, kChip},
    {"auto", "FILE|-", 1, 1, "erase, program and verify FILE (- standard input)", Auto, kChip},
};

}  // namespace

std::span<const CliCommand> ChipCommands() { return kCommands; }

}  // namespace tarnwick::cli
