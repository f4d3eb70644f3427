#include "core/app/window_services.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "core/app/log_rotation.h"
#include "core/app/text_format.h"
#include "core/app/text_ids.h"
#include "resources/ids.h"

namespace tarnwick {

WindowServices::WindowServices(WindowSurface& surface, const TextTable& texts)
    : surface_(surface), texts_(texts) {}

std::tm WindowServices::Now() const {
  if (clock_) return clock_();
  std::time_t t = std::time(nullptr);
  std::tm out{};
  localtime_r(&t, &out);
  return out;
}

std::string PanePrefix(const std::tm& t) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%d:%2d:%2d**", t.tm_hour, t.tm_min, t.tm_sec);
  std::string s = BlanksToZeros(buf);
  std::replace(s.begin(), s.end(), '*', ' ');
  return s;
}

std::string LogFileLine(const std::tm& t, const std::string& text) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "\r\n%04d\\%02d\\%02d %02d:%02d:%02d\t", t.tm_year + 1900,
                t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
  return std::string(buf) + text;
}

void WindowServices::ShowStatus(const std::string& text, bool error, bool beep) {
  surface_.SetStatusLine(text, error);
  AppendLog(text);
  if (beep) surface_.Beep();
}

void WindowServices::WriteLogFile(const std::tm& t, const std::string& text) {
  if (logPath_.empty()) return;
  RotateLogIfLarge(logPath_, logLimit_);
  // Opened and closed for every line so other programs can read it meanwhile;
  // a file that cannot be opened only loses this line. One write in append
  // mode: runs beside each other on the same base directory add whole lines.
  // A FIFO or a device in the log's place is not written to (nor waited on).
  const int fd =
      ::open(logPath_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0644);
  if (fd < 0) return;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    const std::string line = LogFileLine(t, text);
    // A short write (a full disk) loses the rest of this line only.
    [[maybe_unused]] const ssize_t n = ::write(fd, line.data(), line.size());
  }
  ::close(fd);
}

void WindowServices::AppendLog(const std::string& text) {
  const std::tm now = Now();
  std::lock_guard lock(logMutex_);
  WriteLogFile(now, text);
  // A repeated text refreshes the time of the pane's last line. A text of
  // several lines is appended again instead: replacing only its last line
  // would leave its first lines doubled in the pane.
  const bool multiLine = text.find_first_of("\r\n") != std::string::npos;
  const bool same = !paneEmpty_ && !multiLine && text == previousText_;
  std::string line;
  if (!paneEmpty_ && !same) line = "\r\n";
  line += PanePrefix(now) + text;
  surface_.WritePaneLine(line, same);
  previousText_ = text;
  paneEmpty_ = false;
}

void WindowServices::ClearLogPane() {
  const std::tm now = Now();
  // Under the same lock as AppendLog, so the empty line cannot land between
  // another thread's file line and its pane line.
  std::lock_guard lock(logMutex_);
  surface_.ClearPane();
  paneEmpty_ = true;
  WriteLogFile(now, "\r\n");
}

bool WindowServices::SoundOn() { return surface_.IsMenuChecked(ids::kSoundSetting); }

bool WindowServices::AutoDetectOn() { return surface_.IsMenuChecked(ids::kAutoDetectSetting); }

void WindowServices::PlaySoundIfOn(const std::string& relativePath) {
  if (SoundOn()) surface_.PlaySound((soundDir_.empty() ? baseDir_ : soundDir_) + relativePath);
}

void WindowServices::DisableCommand(int id) { surface_.SetCommandEnabled(id, false); }

void WindowServices::EnableCommand(int id) { surface_.SetCommandEnabled(id, true); }

void WindowServices::SetOperationCaption(int id, bool running) {
  struct Caption {
    int id;
    int runningItext;
    int idleFtext;
  };
  static constexpr Caption kCaptions[] = {
      {ids::kEraseButton, itext::kStopErase, ftext::kEraseButton},
      {ids::kProgramButton, itext::kStopProgram, ftext::kProgramButton},
      {ids::kVerifyButton, itext::kStopVerify, ftext::kVerifyButton},
      {ids::kReadButton, itext::kStopRead, ftext::kReadButton},
      {ids::kBlankCheckButton, itext::kStopBlankCheck, ftext::kBlankCheckButton},
  };
  for (const Caption& c : kCaptions) {
    if (c.id == id) {
      surface_.SetControlText(id,
                              running ? texts_.itext(c.runningItext) : texts_.ftext(c.idleFtext));
      return;
    }
  }
}

BoxAnswer WindowServices::Box(const std::string& text, BoxIcon icon, BoxButtons buttons) {
  return surface_.Ask(text, texts_.itext(itext::kNoticeCaption), icon, buttons);
}

BoxAnswer WindowServices::Box(const std::string& text, const std::string& caption, BoxIcon icon,
                              BoxButtons buttons) {
  return surface_.Ask(text, caption, icon, buttons);
}

}  // namespace tarnwick
