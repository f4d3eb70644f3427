// settings: the five settings as this run reads them from hven2.dll, by the
// same start-up code the window uses, so a script sees what the menu shows.
#include <cstdio>

#include "cli/command_table.h"
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
  for (const SettingWord& w : kWords) {
    std::printf("%s %s\n", w.word, c.surface.IsMenuChecked(w.commandId) ? "on" : "off");
  }
  return kExitOk;
}

constexpr CliCommand kCommands[] = {
    {"settings", "", 0, 0, "show the five settings as read from hven2.dll", ShowSettings,
     CliCommand::Needs::Nothing},
};

}  // namespace

std::span<const CliCommand> SettingsCommands() { return kCommands; }

}  // namespace tarnwick::cli
