#include "cli/terminal_surface.h"

#include <cctype>
#include <cstdlib>
#include <utility>

namespace tarnwick::cli {

namespace {

// The locale as the C library would take it from the environment, without
// changing the program's own: LC_ALL, then LC_CTYPE, then LANG.
bool EnvironmentIsUtf8() {
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') continue;
    std::string v;
    for (const char* p = value; *p != '\0'; ++p) {
      if (*p != '-') v += static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
    }
    return v.find("utf8") != std::string::npos;
  }
  return false;
}

}  // namespace

std::string PlainText(const std::string& text, bool utf8) {
  if (utf8) return text;
  static const std::string kCheckMark = "\xE2\x88\x9A";  // U+221A
  std::string out = text;
  for (std::size_t at = out.find(kCheckMark); at != std::string::npos;
       at = out.find(kCheckMark, at)) {
    out.replace(at, kCheckMark.size(), " OK");
  }
  return out;
}

TerminalSurface::TerminalSurface(std::FILE* err, bool assumeYes, bool isTerminal)
    : err_(err), assumeYes_(assumeYes), tty_(isTerminal), utf8_(EnvironmentIsUtf8()) {}

void TerminalSurface::EndProgressLine() {
  if (tty_ && progressShown_) {
    std::fputc('\n', err_);
    progressShown_ = false;
  }
}

void TerminalSurface::SetStatusLine(const std::string& text, bool error) {
  std::lock_guard l(m_);
  lastStatus_ = text;
  lastError_ = error;
  if (quiet_ || passedOver_.count(text) != 0) return;
  // A failure the session meets at each of its steps (no box) is said once.
  if (error && !saidErrors_.insert(text).second) return;
  EndProgressLine();
  std::fprintf(err_, "%s%s\n", error ? "error: " : "", PlainText(text, utf8_).c_str());
  std::fflush(err_);
}

void TerminalSurface::PassOver(const std::string& text) {
  std::lock_guard l(m_);
  passedOver_.insert(text);
}

void TerminalSurface::WritePaneLine(const std::string& line, bool replaceLast) {
  std::lock_guard l(m_);
  std::string text = line;
  if (text.rfind("\r\n", 0) == 0) text.erase(0, 2);
  if (replaceLast && !pane_.empty()) {
    pane_.back() = text;
  } else {
    pane_.push_back(text);
  }
}

void TerminalSurface::ShowProgress(bool visible) {
  std::lock_guard l(m_);
  lastPlainPercent_ = -1;
  lastProgress_.clear();
  if (!visible) EndProgressLine();
}

void TerminalSurface::SetProgress(int position, const std::string& text) {
  std::lock_guard l(m_);
  if (quiet_ || text == lastProgress_) return;
  lastProgress_ = text;
  if (tty_) {
    constexpr int kWidth = 30;
    const int filled = position < 0 ? 0 : (position > 100 ? kWidth : position * kWidth / 100);
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.append(static_cast<std::size_t>(kWidth - filled), '.');
    std::fprintf(err_, "\r[%s] %s\x1b[K", bar.c_str(), PlainText(text, utf8_).c_str());
    progressShown_ = true;
  } else {
    // A log file wants a few lines, not a hundred.
    if (position % 10 != 0 || position == lastPlainPercent_) return;
    lastPlainPercent_ = position;
    std::fprintf(err_, "%s\n", PlainText(text, utf8_).c_str());
  }
  std::fflush(err_);
}

void TerminalSurface::SetCommandEnabled(int id, bool enabled) { state_.SetEnabled(id, enabled); }

bool TerminalSurface::IsCommandEnabled(int id) { return state_.IsEnabled(id); }

void TerminalSurface::SetMenuChecked(int id, bool checked) { state_.SetMenuChecked(id, checked); }

bool TerminalSurface::IsMenuChecked(int id) { return state_.IsMenuChecked(id); }

void TerminalSurface::SetControlText(int id, const std::string& text) { state_.SetText(id, text); }

std::string TerminalSurface::ControlText(int id) { return state_.Text(id); }

void TerminalSurface::SetCheckBox(int id, bool checked) { state_.SetCheckBox(id, checked); }

bool TerminalSurface::IsCheckBoxChecked(int id) { return state_.IsCheckBoxChecked(id); }

void TerminalSurface::SetListItems(int id, const std::vector<std::string>& items) {
  state_.SetListItems(id, items);
}

void TerminalSurface::SetListSelection(int id, int index) { state_.SetListSelection(id, index); }

BoxAnswer TerminalSurface::Ask(const std::string& text, const std::string& caption, BoxIcon,
                               BoxButtons buttons) {
  std::lock_guard l(m_);
  if (buttons == BoxButtons::YesNoCancel && parseDifference_) {
    // Yes shows the next difference, No counts the rest without asking.
    const std::optional<Difference> d = parseDifference_(text);
    if (d && differences_.size() < keepDifferences_) differences_.push_back(*d);
    return d && differences_.size() < keepDifferences_ ? BoxAnswer::Yes : BoxAnswer::No;
  }
  EndProgressLine();
  if (buttons == BoxButtons::Ok) {
    if (!quiet_ && saidErrors_.count(text) == 0)
      std::fprintf(err_, "[%s] %s\n", caption.c_str(), PlainText(text, utf8_).c_str());
    return BoxAnswer::Ok;
  }
  if (assumeYes_) {
    // The three-way question is the verify mismatch: "No" keeps counting
    // without asking again, which is what an unattended run wants.
    if (buttons == BoxButtons::YesNoCancel) {
      if (!quiet_)
        std::fprintf(err_, "[%s] %s -> no more questions\n", caption.c_str(),
                     PlainText(text, utf8_).c_str());
      return BoxAnswer::No;
    }
    if (!quiet_)
      std::fprintf(err_, "[%s] %s -> yes\n", caption.c_str(), PlainText(text, utf8_).c_str());
    return buttons == BoxButtons::OkCancel ? BoxAnswer::Ok : BoxAnswer::Yes;
  }
  std::fprintf(err_, "[%s] %s\nerror: this needs an answer; run again with --yes to answer yes\n",
               caption.c_str(), PlainText(text, utf8_).c_str());
  questionRefused_.store(true);
  return buttons == BoxButtons::YesNoCancel || buttons == BoxButtons::OkCancel ? BoxAnswer::Cancel
                                                                               : BoxAnswer::No;
}

void TerminalSurface::CollectDifferences(DifferenceParser parse, std::size_t keep) {
  std::lock_guard l(m_);
  parseDifference_ = std::move(parse);
  keepDifferences_ = keep;
  differences_.clear();
}

std::vector<Difference> TerminalSurface::Differences() const {
  std::lock_guard l(m_);
  return differences_;
}

std::string TerminalSurface::LastStatus() const {
  std::lock_guard l(m_);
  return lastStatus_;
}

bool TerminalSurface::LastStatusWasError() const {
  std::lock_guard l(m_);
  return lastError_;
}

std::vector<std::string> TerminalSurface::PaneLines() const {
  std::lock_guard l(m_);
  return pane_;
}

std::vector<std::string> TerminalSurface::ListItems(int id) const { return state_.ListItems(id); }

int TerminalSurface::ListSelection(int id) const { return state_.ListSelection(id); }

}  // namespace tarnwick::cli
