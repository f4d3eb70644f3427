// settings: the five settings as this run reads them from hven2.dll, by the
// same start-up code the window uses, so a script sees what the menu shows.
#include <cstdio>

#include "cli/command_table.h"
#include "cli/json_report.h"
#include "cli/terminal_surface.h"
#include "resources/ids.h"

namespace tarnwick::cli {
namespace {

struct SettingWord {
  const char* word;
  int commandId;
};

// Fixed words, so scripts need not know the texts' language.
constexpr SettingWord kWords[] = {
    {"sounds", ids::kSoundSetting},
    {"auto-identify", ids::kAutoDetectSetting},
    {"batch-erase", ids::kBatchEraseSetting},
    {"batch-program", ids::kBatchProgramSetting},
    {"batch-verify", ids::kBatchVerifySetting},
};

int ShowSettings(CliContext& c) {
  nlohmann::json settings = nlohmann::json::object();
  for (const SettingWord& w : kWords) {
    const bool on = c.surface.IsMenuChecked(w.commandId);
    std::printf("%s %s\n", w.word, on ? "on" : "off");
    settings[w.word] = on;
  }
  if (c.options.json) JsonFields()["settings"] = settings;
  return kExitOk;
}

constexpr CliCommand kCommands[] = {
    {"settings", "", 0, 0,
     "show the five settings as read from hven2.dll (installed: ~/.config/tarnwick/settings)",
     ShowSettings, CliCommand::Needs::Nothing},
};

}  // namespace

std::span<const CliCommand> SettingsCommands() { return kCommands; }

}  // namespace tarnwick::cli
