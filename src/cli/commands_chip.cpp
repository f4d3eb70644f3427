// read, erase, blank, program, verify, auto: the chip operations, each one
// job on the worker, with the file loaded first where the job needs one.
#include <cstdio>
#include <filesystem>
#include <optional>

#include "cli/command_table.h"
#include "cli/terminal_surface.h"
#include "core/buffers/file_image.h"
#include "core/session/session.h"

namespace tarnwick::cli {
namespace {

namespace fs = std::filesystem;

// Runs `job`; the status line already said what went wrong when it fails.
int RunJob(CliContext& c, Job job) {
  const bool ok = c.session.RunJobAndWait(job);
  if (ok && !c.surface.QuestionRefused()) return kExitOk;
  if (!c.surface.LastStatus().empty() && !c.surface.LastStatusWasError()) {
    std::fprintf(stderr, "error: %s\n", c.surface.LastStatus().c_str());
  }
  return kExitFailed;
}

int LoadThenRun(CliContext& c, Job job) {
  const std::string& file = c.options.args[0];
  if (!c.session.LoadUserFile(file)) {
    std::fprintf(stderr, "tarnwick-cli: cannot load %s\n", file.c_str());
    return kExitFailed;
  }
  return RunJob(c, job);
}

int Read(CliContext& c) {
  const int status = RunJob(c, Job::Read);
  if (status != kExitOk) return status;
  const std::string& file = c.options.args[0];
  buffers::FileImage& image = c.session.image();
  image.SetSaveNameChooser(
      [&file](const buffers::SaveDialogRequest&) { return std::optional<std::string>(file); });
  image.SaveFileAs();
  if (!fs::exists(file)) {
    std::fprintf(stderr, "error: could not write %s\n", file.c_str());
    return kExitFailed;
  }
  return kExitOk;
}

int Erase(CliContext& c) { return RunJob(c, Job::Erase); }
int Blank(CliContext& c) { return RunJob(c, Job::BlankCheck); }
int Program(CliContext& c) { return LoadThenRun(c, Job::Program); }
int Verify(CliContext& c) { return LoadThenRun(c, Job::Verify); }
int Auto(CliContext& c) { return LoadThenRun(c, Job::AutoProgram); }

constexpr CliCommand kCommands[] = {
    {"read", "FILE", 1, 1, "read the chip into FILE", Read},
    {"erase", "", 0, 0, "erase the chip", Erase},
    {"blank", "", 0, 0, "check that the chip is blank", Blank},
    {"program", "FILE", 1, 1, "program FILE into the chip", Program},
    {"verify", "FILE", 1, 1, "compare the chip with FILE", Verify},
    {"auto", "FILE", 1, 1, "erase, program and verify FILE", Auto},
};

}  // namespace

std::span<const CliCommand> ChipCommands() { return kCommands; }

}  // namespace tarnwick::cli
