// The five on/off settings of the settings menu. Their check marks are the
// only in-memory state; every toggle is written at once to the five-byte file
// "hven2.dll" in the base directory (offset 0 sounds, 1 automatic
// identification, 2-4 the batch steps erase, program, verify; 1 means on).
#pragma once

#include <string>

#include "core/app/command_router.h"
#include "core/app/window_surface.h"

namespace tarnwick {

class Settings {
 public:
  static constexpr const char* kFileName = "hven2.dll";
  static constexpr int kByteCount = 5;

  // `baseDir` ends with a separator, as the program keeps it.
  Settings(WindowSurface& surface, std::string baseDir);

  // Sets the five check marks from the file, creating it (empty) when it is
  // missing. When it cannot be opened the sound item is toggled once.
  void LoadSettings();

  // Menu commands 32809, 32811, 32821, 32822, 32823. False for other ids.
  bool Toggle(int commandId);
  static bool OwnsCommand(int commandId);
  // Registers the five menu commands, each toggling its setting.
  void AddCommands(CommandRouter& router);

  bool SoundOn();
  bool AutoDetectOn();
  bool BatchEraseOn();
  bool BatchProgramOn();
  bool BatchVerifyOn();

  std::string FilePath() const { return baseDir_ + kFileName; }

 private:
  // The value a toggle writes: 0 when checked, 1 when unchecked and enabled,
  // -1 (do nothing) otherwise.
  int NewValue(int commandId);
  void ToggleSound();
  void ToggleAutoDetect();
  void ToggleBatchStep(int commandId, int offset);

  WindowSurface& surface_;
  std::string baseDir_;
};

}  // namespace tarnwick
