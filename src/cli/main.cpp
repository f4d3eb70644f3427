// tarnwick-cli: the production line's front end. It only translates words
// into calls on the same session the window uses; status lines go to
// standard error, results to standard output.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "cli/cli_options.h"
#include "cli/terminal_surface.h"
#include "core/device/libusb_api.h"
#include "core/operations/detection.h"
#include "core/session/session.h"
#include "core/session/session_impl.h"
#include "resources/ids.h"
#include "sim/virtual_box.h"

namespace fs = std::filesystem;
using namespace tarnwick;

namespace {

// Exit statuses.
constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;
constexpr int kDetectFamilyOrUnknown = 2;
constexpr int kDetectSilent = 3;
constexpr int kBoxMissing = 4;

std::string ExecutableDir() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? std::string(".") : exe.parent_path().string();
}

std::string WithSlash(std::string dir) {
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

int ListChips(Session& session, const std::vector<std::string>& args) {
  const Catalogue& cat = session.impl().catalogue;
  std::vector<std::string> out;
  if (args.empty()) {
    cat.ListTypes(out);
  } else if (args.size() == 1) {
    cat.ListMakers(args[0], out);
  } else {
    cat.ListModels(args[0], args[1], out);
  }
  for (const std::string& s : out) std::printf("%s\n", s.c_str());
  if (out.empty()) {
    std::fprintf(stderr, "error: nothing in the catalogue matches\n");
    return kFailed;
  }
  return kOk;
}

}  // namespace

int main(int argc, char** argv) {
  std::string error;
  std::optional<cli::CliOptions> parsed = cli::ParseCommandLine(argc, argv, error);
  if (!parsed) {
    std::fprintf(stderr, "tarnwick-cli: %s\n%s", error.c_str(), cli::UsageText().c_str());
    return kUsage;
  }
  const cli::CliOptions& o = *parsed;
  if (o.command == "help") {
    std::printf("%s", cli::UsageText().c_str());
    return kOk;
  }
  const std::string baseDir = WithSlash(o.baseDir.empty() ? ExecutableDir() : o.baseDir);
  if (!fs::is_directory(baseDir)) {
    std::fprintf(stderr, "tarnwick-cli: base directory %s does not exist\n", baseDir.c_str());
    return kUsage;
  }

  std::unique_ptr<UsbApi> usb;
  if (o.simulate) {
    sim::BoxDescription description = sim::DefaultBoxDescription(baseDir);
    if (!o.simulateFile.empty()) {
      std::optional<sim::BoxDescription> loaded = sim::LoadBoxDescription(o.simulateFile, error);
      if (!loaded) {
        std::fprintf(stderr, "tarnwick-cli: %s\n", error.c_str());
        return kUsage;
      }
      description = *loaded;
    }
    usb = sim::VirtualBox::Create(description, error);
    if (!usb) {
      std::fprintf(stderr, "tarnwick-cli: virtual box: %s\n", error.c_str());
      return kUsage;
    }
  } else {
    usb = std::make_unique<LibUsbApi>();
  }

  cli::TerminalSurface surface(stderr, o.yes, isatty(STDERR_FILENO) != 0);
  Session session(Session::Options{baseDir, false}, surface, *usb);
  session.LoadTexts();
  session.Start();
  if (o.noDetect) surface.SetMenuChecked(ids::kAutoDetectSetting, false);

  if (o.command == "chips") return ListChips(session, o.args);

  Session::Impl& d = session.impl();
  if (!o.chip.empty()) {
    std::string type, maker, model;
    const std::int32_t index = cli::SplitChipName(o.chip, type, maker, model)
                                   ? d.catalogue.FindRecord(type, maker, model)
                                   : kNoRecord;
    if (index < 0) {
      std::fprintf(stderr, "tarnwick-cli: no chip %s in the catalogue (see: tarnwick-cli chips)\n",
                   o.chip.c_str());
      return kUsage;
    }
    d.selection.SelectRecord(index);
  }

  if (o.command == "detect") {
    session.RunJobAndWait(23);
    const int r = session.LastDetectResult();
    if (r == kDetectFound || r == kDetectFamilyOnly) {
      std::printf("%s : %s : %s : %s\n", d.selection.TypeText().c_str(), d.selection.MakerText().c_str(),
                  d.selection.ModelText().c_str(), d.selection.CapacityText().c_str());
    }
    if (r == kDetectFound) return kOk;
    if (r == kDetectFamilyOnly) return kDetectFamilyOrUnknown;
    if (r == kDetectNoDevice) return kBoxMissing;
    return kDetectSilent;
  }

  if (o.command == "program" || o.command == "verify" || o.command == "auto") {
    if (!session.LoadUserFile(o.args[0])) {
      std::fprintf(stderr, "tarnwick-cli: cannot load %s\n", o.args[0].c_str());
      return kFailed;
    }
  }
  static const std::pair<const char*, std::uint8_t> kJobs[] = {{"read", 13},   {"erase", 5},   {"blank", 15},
                                                               {"program", 1}, {"verify", 8}, {"auto", 14}};
  std::uint8_t job = 0;
  for (const auto& [name, code] : kJobs) {
    if (o.command == name) job = code;
  }
  const bool ok = session.RunJobAndWait(job);
  if (!ok || surface.QuestionRefused()) {
    if (!surface.LastStatus().empty() && surface.LastStatusWasError()) {
      // already shown as an error line
    } else if (!surface.LastStatus().empty()) {
      std::fprintf(stderr, "error: %s\n", surface.LastStatus().c_str());
    }
    return kFailed;
  }
  if (o.command == "read") {
    d.image.SetSaveNameChooser([&](const buffers::SaveDialogRequest&) { return std::optional<std::string>(o.args[0]); });
    d.image.SaveFileAs();
    if (!fs::exists(o.args[0])) {
      std::fprintf(stderr, "error: could not write %s\n", o.args[0].c_str());
      return kFailed;
    }
  }
  return kOk;
}
