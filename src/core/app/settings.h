// The five on/off settings of the settings menu. Their check marks are the
// only in-memory state; every toggle is written at once to the five-byte file
// (the layout's `settingsFile`: "hven2.dll" in the base directory, or
// "settings" in the user's config folder when installed; offset 0 sounds, 1 automatic
// identification, 2-4 the batch steps erase, program, verify; 1 means on).
#pragma once

#include <array>
#include <string>

#include "core/app/command_router.h"
#include "core/app/window_surface.h"

namespace tarnwick {

// What the start-up read found wrong with the settings file. A clean read
// and a file created empty both leave it clean.
struct SettingsLoadReport {
  static constexpr int kBytes = 5;
  bool opened = true;
  bool notRegularFile = false;  // a FIFO or device in the file's place
  int cause = 0;                // errno when it could not be opened
  // The bytes read that are neither 0 nor 1, by offset; -1 where fine.
  std::array<int, kBytes> odd{-1, -1, -1, -1, -1};

  bool Clean() const;
};

class Settings {
 public:
  static constexpr int kByteCount = SettingsLoadReport::kBytes;

  // `filePath`: the settings file, from the data layout.
  Settings(WindowSurface& surface, std::string filePath);

  // Sets the five check marks from the file, creating it (empty) when it is
  // missing. When it cannot be opened the sound item is toggled once.
  void LoadSettings();
  const SettingsLoadReport& LastLoad() const { return lastLoad_; }

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

  const std::string& FilePath() const { return filePath_; }

 private:
  // The value a toggle writes: 0 when checked, 1 when unchecked and enabled,
  // -1 (do nothing) otherwise.
  int NewValue(int commandId);
  void ToggleSound();
  void ToggleAutoDetect();
  void ToggleBatchStep(int commandId, int offset);

  WindowSurface& surface_;
  std::string filePath_;
  SettingsLoadReport lastLoad_;
};

}  // namespace tarnwick
