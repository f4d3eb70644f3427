// firmware version|upgrade FILE.tfw|pack IMAGE OUT.tfw|check FILE.tfw: the
// box's own firmware. version and upgrade talk to the box; pack and check
// only work on files, so they start without the box's detection. check and
// upgrade judge a file with the same reader and the same verdict.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/command_table.h"
#include "cli/json_report.h"
#include "cli/target_file.h"
#include "cli/terminal_surface.h"
#include "cli/upgrade_interrupt.h"
#include "core/app/text_ids.h"
#include "core/buffers/replacing_file.h"
#include "core/operations/firmware/firmware_file.h"
#include "core/operations/firmware/firmware_image.h"
#include "core/operations/firmware/firmware_texts.h"
#include "core/operations/firmware/firmware_updater.h"
#include "core/session/session.h"

namespace tarnwick::cli {
namespace {

namespace fs = std::filesystem;

// The upgrade dialog on a terminal: the bar through the terminal's progress
// lines, the boxes as its notices, the file from the command's words.
class TerminalFirmwareView : public FirmwareView {
 public:
  TerminalFirmwareView(TerminalSurface& surface, std::string file)
      : surface_(surface), file_(std::move(file)) {}

  void SetProgress(int position, const std::string& text) override {
    // The dialog's bar without text starts a step: nothing to print. A new
    // step's lines must not be taken for repeats of the last step's.
    if (text.empty()) return;
    const std::string label = text.substr(0, text.find_last_not_of("0123456789%") + 1);
    if (label != label_) surface_.ShowProgress(true);
    label_ = label;
    surface_.SetProgress(position, text);
  }
  void ShowRunning(bool running) override { surface_.ShowProgress(running); }
  void ShowBox(const std::string& text, BoxIcon icon) override {
    surface_.Ask(text, "firmware", icon, BoxButtons::Ok);
  }
  void Beep() override {}
  std::string ChosenFile() override { return file_; }

 private:
  TerminalSurface& surface_;
  std::string file_;
  std::string label_;  // the progress text without its percentage (worker only)
};

std::string Absolute(const std::string& path) {
  std::error_code ec;
  const fs::path p = fs::absolute(path, ec);
  return ec ? path : p.string();
}

bool CheckWords(const std::vector<std::string>& args, std::string& error) {
  const std::string action = args.empty() ? "" : args[0];
  std::size_t files = 0;
  if (action == "version") {
    files = 0;
  } else if (action == "upgrade" || action == "check") {
    files = 1;
  } else if (action == "pack") {
    files = 2;
  } else {
    error = "firmware needs version, upgrade FILE.tfw, pack IMAGE OUT.tfw or check FILE.tfw";
    return false;
  }
  if (args.size() != files + 1) {
    error = "firmware " + action +
            (files == 0   ? " takes no FILE"
             : files == 1 ? " needs one FILE"
                          : " needs IMAGE and OUT.tfw");
    return false;
  }
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i].empty() || args[i][0] == '-') {
      error = "firmware " + action + ": unexpected " + args[i];
      return false;
    }
  }
  return true;
}

bool NeedsBox(const std::vector<std::string>& args) {
  return !args.empty() && (args[0] == "version" || args[0] == "upgrade");
}

// --json: the figures of one firmware command.
nlohmann::json& Figures(CliContext& c, const char* action) {
  nlohmann::json& f = JsonFields();
  if (c.options.json) f["action"] = action;
  return f;
}

// --json: the box's serial number and firmware version as it gave them.
void ReportBox(CliContext& c, const FirmwareInfo& info) {
  if (!c.options.json) return;
  if (info.serial) JsonFields()["serial"] = firmware::SerialText(*info.serial);
  if (info.version) JsonFields()["box_version"] = firmware::VersionText(*info.version);
}

// --json: the version a .tfw file gives the box.
void ReportFileVersion(CliContext& c, const std::vector<std::uint8_t>& file) {
  if (c.options.json)
    JsonFields()["file_version"] = firmware::VersionText(firmware::FinishByte(file));
}

int Version(CliContext& c) {
  Figures(c, "version");
  const bool shown = c.session.RunJobAndWait(Job::FirmwareVersion);
  const FirmwareInfo info = c.session.firmware().LastInfo();
  if (shown) ReportBox(c, info);
  if (!shown || !info.serial) return kExitFailed;
  const TextTable& texts = c.session.services().texts();
  std::printf("%s: %s\n", texts.itext(itext::kFwSerialWord).c_str(),
              firmware::SerialText(*info.serial).c_str());
  if (info.version) {
    std::printf("%s: %s\n", texts.itext(itext::kFwFirmwareWord).c_str(),
                firmware::VersionText(*info.version).c_str());
  }
  return kExitOk;
}

int Upgrade(CliContext& c, const std::string& file) {
  if (c.options.json) {
    Figures(c, "upgrade")["file"] = Absolute(file);
    const firmware::LoadedFile loaded = firmware::ReadFirmwareFile(file);
    if (loaded.verdict == firmware::Verdict::Good) ReportFileVersion(c, loaded.bytes);
    // The version the box has before the upgrade (none in upgrade mode).
    c.surface.SetQuiet(true);
    if (c.session.RunJobAndWait(Job::FirmwareVersion))
      ReportBox(c, c.session.firmware().LastInfo());
    c.surface.SetQuiet(false);
  }
  TerminalFirmwareView view(c.surface, Absolute(file));
  FirmwareUpdater& updater = c.session.firmware();
  updater.SetView(&view);
  bool ran = false;
  {
    const UpgradeInterruptGuard interrupts(updater);
    ran = c.session.RunJobAndWait(Job::FirmwareUpgrade);
  }
  updater.SetView(nullptr);
  if (c.options.json) JsonFields()["accepted"] = updater.LastUpgradeAccepted();
  return ran && updater.LastUpgradeAccepted() ? kExitOk : kExitFailed;
}

int Pack(CliContext& c, const std::string& imagePath, const std::string& outPath) {
  Figures(c, "pack");
  const firmware::LoadedFile image = firmware::ReadImageFile(imagePath);
  if (image.verdict != firmware::Verdict::Good) {
    std::fprintf(stderr, "tarnwick-cli: %s: %s\n", imagePath.c_str(),
                 firmware::VerdictText(image.verdict).c_str());
    return kExitFailed;
  }
  const std::string out = Absolute(outPath);
  std::error_code ec;
  if (fs::exists(out, ec) && fs::equivalent(out, Absolute(imagePath), ec)) {
    std::fprintf(stderr, "tarnwick-cli: OUT.tfw must not be the IMAGE itself\n");
    return kExitFailed;
  }
  if (const std::string why = TargetProblem(c, out); !why.empty()) {
    std::fprintf(stderr, "tarnwick-cli: cannot write %s: %s\n", out.c_str(), why.c_str());
    return kExitFailed;
  }
  const std::optional<std::vector<std::uint8_t>> packed = firmware::Pack(image.bytes);
  if (!packed) {
    std::fprintf(stderr, "tarnwick-cli: %s: its byte sum does not fit in 3 check bytes\n",
                 imagePath.c_str());
    return kExitFailed;
  }
  // Written beside OUT.tfw and renamed over it once whole: a full disk
  // leaves an earlier OUT.tfw as it was.
  buffers::ReplacingFile f;
  if (!f.Open(out) || !f.file().WriteAt(0, packed->data(), packed->size()) || !f.Commit()) {
    std::fprintf(stderr, "tarnwick-cli: cannot write %s\n", out.c_str());
    return kExitFailed;
  }
  if (c.options.json) {
    JsonFields()["file"] = out;
    JsonFields()["bytes"] = packed->size();
    ReportFileVersion(c, *packed);
  }
  return kExitOk;
}

int Check(CliContext& c, const std::string& path) {
  const firmware::LoadedFile file = firmware::ReadFirmwareFile(path);
  if (c.options.json) {
    Figures(c, "check")["file"] = path;
    JsonFields()["sum_correct"] = file.verdict == firmware::Verdict::Good;
    JsonFields()["verdict"] = firmware::VerdictText(file.verdict);
  }
  if (file.verdict == firmware::Verdict::Good) {
    ReportFileVersion(c, file.bytes);
    std::printf("%s: sum correct\n", path.c_str());
    return kExitOk;
  }
  // The check's answer goes to standard output; a path that names no file to
  // check at all (missing, a folder, a FIFO, unreadable) is an error.
  const bool noFile = file.verdict == firmware::Verdict::Missing ||
                      file.verdict == firmware::Verdict::NotRegular ||
                      file.verdict == firmware::Verdict::Unreadable;
  const std::string line = path + ": " + c.session.services().texts().itext(itext::kFwFileDamaged) +
                           " (" + firmware::VerdictText(file.verdict) + ")";
  std::fprintf(noFile ? stderr : stdout, "%s\n", line.c_str());
  JsonFailure(line);
  return kExitFailed;
}

int Firmware(CliContext& c) {
  const std::vector<std::string>& args = c.options.args;
  const std::string& action = args[0];
  try {
    if (action == "version") return Version(c);
    if (action == "upgrade") return Upgrade(c, args[1]);
    if (action == "pack") return Pack(c, args[1], args[2]);
    return Check(c, args[1]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tarnwick-cli: firmware %s: %s\n", action.c_str(), e.what());
    return kExitFailed;
  }
}

constexpr CliCommand kCommands[] = {
    {"firmware", "version|upgrade FILE.tfw|pack IMAGE OUT.tfw|check FILE.tfw", 1, 3,
     "the box's firmware: show its serial number and version, upgrade it from FILE.tfw, make "
     "OUT.tfw from a raw IMAGE, or check a .tfw file's sum",
     Firmware, CliCommand::Needs::Box, CheckWords, NeedsBox},
};

}  // namespace

std::span<const CliCommand> FirmwareCommands() { return kCommands; }

}  // namespace tarnwick::cli
