// The services every part of the program reports through: status line, log
// file and pane, sounds, command enabling and the operation captions. They
// sit on a WindowSurface, so the same rules serve the window, the terminal
// and the tests.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <mutex>
#include <string>

#include "core/app/text_table.h"
#include "core/app/window_surface.h"

namespace tarnwick {

class WindowServices {
 public:
  using Clock = std::function<std::tm()>;

  WindowServices(WindowSurface& surface, const TextTable& texts);

  // Where "log.txt" lives; empty until initialisation remembers it.
  void SetLogPath(const std::string& path) { logPath_ = path; }
  const std::string& LogPath() const { return logPath_; }
  // A log of `bytes` or more becomes "log.txt.1" before the next line (0:
  // never).
  void SetLogLimit(std::uint64_t bytes) { logLimit_ = bytes; }
  // Base directory (with trailing separator): the user's own files that
  // features look for there (boot-table.bin).
  void SetBaseDir(const std::string& dir) { baseDir_ = dir; }
  const std::string& BaseDir() const { return baseDir_; }
  // The folder the relative sound paths start from (empty: the base directory).
  void SetSoundDir(const std::string& dir) { soundDir_ = dir; }
  // Local time source; tests pin it.
  void SetClock(Clock clock) { clock_ = std::move(clock); }
  std::tm Now() const;

  void ShowStatus(const std::string& text, bool error = false, bool beep = false);
  void AppendLog(const std::string& text);
  void ClearLogPane();
  // `relativePath` is relative to the base directory ("sound/del.wav").
  void PlaySoundIfOn(const std::string& relativePath);
  bool SoundOn();
  bool AutoDetectOn();
  void DisableCommand(int id);
  void EnableCommand(int id);
  void SetOperationCaption(int id, bool running);

  // Message boxes; the caption defaults to itext::kNoticeCaption.
  BoxAnswer Box(const std::string& text, BoxIcon icon, BoxButtons buttons = BoxButtons::Ok);
  BoxAnswer Box(const std::string& text, const std::string& caption, BoxIcon icon,
                BoxButtons buttons = BoxButtons::Ok);

  WindowSurface& surface() { return surface_; }
  const TextTable& texts() const { return texts_; }

 private:
  // Appends one dated line to log.txt; the caller holds logMutex_.
  void WriteLogFile(const std::tm& t, const std::string& text);

  WindowSurface& surface_;
  const TextTable& texts_;
  std::string logPath_;
  std::uint64_t logLimit_ = 0;
  std::string baseDir_;
  std::string soundDir_;
  Clock clock_;
  // Both threads report; the previous-text memory and pane state are shared.
  std::mutex logMutex_;
  std::string previousText_;
  bool paneEmpty_ = true;
};

// "%d:%2d:%2d**" with blanks turned to '0' and '*' to blanks: "9:05:03  ".
std::string PanePrefix(const std::tm& t);
// "\r\n%04d\\%02d\\%02d %02d:%02d:%02d\t" + text, the line written to log.txt.
std::string LogFileLine(const std::tm& t, const std::string& text);

}  // namespace tarnwick
