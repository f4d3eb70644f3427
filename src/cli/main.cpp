// tarnwick-cli: the production line's front end. It only translates words
// into calls on the same session the window uses; status lines go to
// standard error, results to standard output. The commands themselves are
// rows of the command table (cli/command_table.h).
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <variant>

#include "cli/box_choice.h"
#include "cli/chip_choice.h"
#include "cli/cli_options.h"
#include "cli/command_table.h"
#include "cli/json_report.h"
#include "cli/man_page.h"
#include "cli/run_work_dir.h"
#include "cli/terminal_surface.h"
#include "core/app/base_directory.h"
#include "core/app/text_ids.h"
#include "core/buffers/program_files.h"
#include "core/catalogue/catalogue.h"
#include "core/catalogue/chip_selection.h"
#include "core/device/box_selector.h"
#include "core/device/libusb_api.h"
#include "core/operations/chip/detection.h"
#include "core/session/session.h"
#include "resources/ids.h"
#include "sim/box_bus.h"
#include "sim/virtual_box.h"

namespace fs = std::filesystem;
using namespace tarnwick;

namespace {

std::string ExecutableDir() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? std::string(".") : exe.parent_path().string();
}

// The box the command talks to: the virtual one with --simulate, else USB.
// `simulatedTable` gets the virtual box's own boot table.
std::unique_ptr<UsbApi> MakeBox(const cli::CliOptions& o, const BaseDirectory& where,
                                std::string& error, std::vector<std::string>& ownFiles,
                                std::string& simulatedTable) {
  const DataLayout& layout = where.layout;
  if (!o.simulate) return std::make_unique<LibUsbApi>();
  // Several description files stand for several boxes on the bus.
  if (const std::vector<std::string> files = sim::SimulateFiles(o.simulateFile); files.size() > 1) {
    return sim::MakeVirtualBoxes(
        files, where.dataDir, error, ownFiles, simulatedTable,
        [&layout](const std::string& file) { return BoxContentFolder(layout, file); });
  }
  sim::BoxDescription description = sim::DefaultBoxDescription(layout.simDir);
  if (!o.simulateFile.empty()) {
    std::optional<sim::BoxDescription> loaded =
        sim::LoadBoxDescription(o.simulateFile, error, BoxContentFolder(layout, o.simulateFile));
    if (!loaded) return nullptr;
    description = *loaded;
  }
  sim::UseShippedBootTable(description, layout.dataDir);
  simulatedTable = description.bootTablePath;
  if (!o.simulateFile.empty()) ownFiles.push_back(o.simulateFile);
  if (description.chip && !description.chip->contentPath.empty()) {
    ownFiles.push_back(description.chip->contentPath);
  }
  std::unique_ptr<UsbApi> box = sim::VirtualBox::Create(description, error);
  if (!box) error = "virtual box: " + error;
  return box;
}

// The whole run of one command; main() adds the guard.
int Run(int argc, char** argv) {
  std::string error;
  std::optional<cli::CliOptions> parsed = cli::ParseCommandLine(argc, argv, error);
  if (!parsed) {
    std::fprintf(stderr, "tarnwick-cli: %s\n%s", error.c_str(), cli::UsageText().c_str());
    return cli::kExitUsage;
  }
  const cli::CliOptions& o = *parsed;
  if (o.version) {
    std::printf("%s", cli::VersionText().c_str());
    return cli::kExitOk;
  }
  const cli::CliCommand* command = cli::FindCommand(o.command);
  if (command->run == nullptr && command->runAlone != nullptr) return command->runAlone(o);
  if (command->run == nullptr) {
    std::printf("%s", (o.man ? cli::ManPageText() : cli::UsageText()).c_str());
    return cli::kExitOk;
  }
  const std::variant<BaseDirectory, BaseDirectoryError> chosen =
      ChooseBaseDirectory(BaseDirectoryInputsFromEnvironment(ExecutableDir(), o.baseDir, o.lang));
  if (const auto* failed = std::get_if<BaseDirectoryError>(&chosen)) {
    std::fprintf(stderr, "tarnwick-cli: %s\n", BaseDirectoryErrorMessage(*failed).c_str());
    return cli::kExitUsage;
  }
  const BaseDirectory& where = std::get<BaseDirectory>(chosen);
  std::error_code ec;
  if (!o.lang.empty()) {
    for (const std::string& table : {where.layout.ftextFile, where.layout.itextFile}) {
      if (!fs::is_regular_file(table, ec)) {
        std::fprintf(stderr, "tarnwick-cli: --lang %s: text table %s is missing\n",
                     o.lang.c_str(), table.c_str());
        return cli::kExitUsage;
      }
    }
  }
  // The run's own work files; made before the session, so removed after it.
  const cli::RunWorkDir work(where.layout.workDir);
  DataLayout layout = where.layout;
  if (!work.path().empty()) layout.workDir = work.path();
  // The files of the layout and the work files of the window beside them.
  std::vector<std::string> ownFiles = buffers::ProgramFiles(where.layout);
  for (const std::string& file : buffers::ProgramFiles(layout)) ownFiles.push_back(file);
  std::string simulatedTable;
  std::unique_ptr<UsbApi> usb = MakeBox(o, where, error, ownFiles, simulatedTable);
  if (!usb) {
    std::fprintf(stderr, "tarnwick-cli: %s\n", error.c_str());
    return cli::kExitUsage;
  }

  BoxSelector boxes(*usb);
  cli::TerminalSurface surface(stderr, o.yes, isatty(STDERR_FILENO) != 0);
  Session session(Session::Options{layout, false, simulatedTable}, surface, boxes);
  session.LoadTexts();
  // The record named with --chip settles which of the records sharing the
  // socket's ID is meant, so that warning is not the command line's to say.
  if (!o.chip.empty()) surface.PassOver(session.texts().itext(itext::kSeveralMatches));
  session.Start();
  if (o.noDetect) surface.SetMenuChecked(ids::kAutoDetectSetting, false);

  using Needs = cli::CliCommand::Needs;
  const bool usesBox = command->usesBoxFor != nullptr ? command->usesBoxFor(o.args)
                                                      : command->needs != Needs::Nothing;
  if (usesBox) {
    cli::CliContext chooser{session, surface, o, ownFiles, &boxes};
    if (const int status = cli::ChooseBox(chooser); status != cli::kExitOk) return status;
    if (o.noDetect) {
      // Without the identification the catalogue's first record would be
      // used for whatever sits in the socket.
      if (o.chip.empty()) {
        std::fprintf(stderr, "tarnwick-cli: --no-detect needs --chip TYPE/MAKER/MODEL\n");
        return cli::kExitUsage;
      }
    } else {
      session.RunJobAndWait(Job::DetectQuiet);
      // Without a box nothing can follow; its status line has said so once.
      if (session.LastDetectResult() == kDetectNoDevice) return cli::kExitNoBox;
      if (command->needs == Needs::CatalogueChip && o.chip.empty() &&
          session.LastDetectResult() == kDetectNoAnswer) {
        return cli::kExitChipSilent;
      }
      // The box answered, but with nothing the catalogue knows: the selected
      // record is not the chip in the socket, and its size would be wrong.
      // (With no record at all the operations refuse by themselves.)
      if (command->needs == Needs::CatalogueChip && o.chip.empty() &&
          session.LastDetectResult() == 0 && session.selection().SelectedRecord() != kNoRecord) {
        std::fprintf(stderr,
                     "tarnwick-cli: the chip in the socket matches no catalogue record; name it "
                     "with --chip TYPE/MAKER/MODEL (see: tarnwick-cli chips)\n");
        return cli::kExitChipNotNamed;
      }
    }
  }
  if (!o.chip.empty()) {
    const int status = cli::SelectNamedChip(session, o.chip, !o.noDetect && usesBox);
    if (status != cli::kExitOk) return status;
  }

  cli::CliContext context{session, surface, o, ownFiles, &boxes};
  return command->run(context);
}

}  // namespace

// No exception ends the program with an abort: whatever a library throws at
// a word it cannot take is said and ends the command with a failure.
int main(int argc, char** argv) {
  try {
    return cli::RunReported(argc, argv, Run);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tarnwick-cli: %s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "tarnwick-cli: the command ended with an unknown error\n");
  }
  return cli::kExitFailed;
}
