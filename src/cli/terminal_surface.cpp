#include "cli/terminal_surface.h"

namespace tarnwick::cli {

TerminalSurface::TerminalSurface(std::FILE* err, bool assumeYes, bool isTerminal)
    : err_(err), assumeYes_(assumeYes), tty_(isTerminal) {}

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
  if (quiet_) return;
  EndProgressLine();
  std::fprintf(err_, "%s%s\n", error ? "error: " : "", text.c_str());
  std::fflush(err_);
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
    std::fprintf(err_, "\r[%s] %s\x1b[K", bar.c_str(), text.c_str());
    progressShown_ = true;
  } else {
    // A log file wants a few lines, not a hundred.
    if (position % 10 != 0 || position == lastPlainPercent_) return;
    lastPlainPercent_ = position;
    std::fprintf(err_, "%s\n", text.c_str());
  }
  std::fflush(err_);
}

void TerminalSurface::SetCommandEnabled(int id, bool enabled) {
  std::lock_guard l(m_);
  enabled_[id] = enabled;
}

bool TerminalSurface::IsCommandEnabled(int id) {
  std::lock_guard l(m_);
  auto it = enabled_.find(id);
  return it == enabled_.end() || it->second;
}

void TerminalSurface::SetMenuChecked(int id, bool checked) {
  std::lock_guard l(m_);
  checked_[id] = checked;
}

bool TerminalSurface::IsMenuChecked(int id) {
  std::lock_guard l(m_);
  auto it = checked_.find(id);
  return it != checked_.end() && it->second;
}

void TerminalSurface::SetControlText(int id, const std::string& text) {
  std::lock_guard l(m_);
  texts_[id] = text;
}

std::string TerminalSurface::ControlText(int id) {
  std::lock_guard l(m_);
  auto it = texts_.find(id);
  return it == texts_.end() ? std::string() : it->second;
}

void TerminalSurface::SetCheckBox(int id, bool checked) {
  std::lock_guard l(m_);
  checkBoxes_[id] = checked;
}

bool TerminalSurface::IsCheckBoxChecked(int id) {
  std::lock_guard l(m_);
  auto it = checkBoxes_.find(id);
  return it != checkBoxes_.end() && it->second;
}

void TerminalSurface::SetListItems(int id, const std::vector<std::string>& items) {
  std::lock_guard l(m_);
  lists_[id] = items;
  listSel_[id] = -1;
}

void TerminalSurface::SetListSelection(int id, int index) {
  std::lock_guard l(m_);
  listSel_[id] = index;
}

BoxAnswer TerminalSurface::Ask(const std::string& text, const std::string& caption, BoxIcon,
                               BoxButtons buttons) {
  std::lock_guard l(m_);
  EndProgressLine();
  if (buttons == BoxButtons::Ok) {
    if (!quiet_) std::fprintf(err_, "[%s] %s\n", caption.c_str(), text.c_str());
    return BoxAnswer::Ok;
  }
  if (assumeYes_) {
    // The three-way question is the verify mismatch: "No" keeps counting
    // without asking again, which is what an unattended run wants.
    if (buttons == BoxButtons::YesNoCancel) {
      if (!quiet_) std::fprintf(err_, "[%s] %s -> no more questions\n", caption.c_str(), text.c_str());
      return BoxAnswer::No;
    }
    if (!quiet_) std::fprintf(err_, "[%s] %s -> yes\n", caption.c_str(), text.c_str());
    return buttons == BoxButtons::OkCancel ? BoxAnswer::Ok : BoxAnswer::Yes;
  }
  std::fprintf(err_, "[%s] %s\nerror: this needs an answer; run again with --yes to answer yes\n",
               caption.c_str(), text.c_str());
  questionRefused_.store(true);
  return buttons == BoxButtons::YesNoCancel || buttons == BoxButtons::OkCancel ? BoxAnswer::Cancel
                                                                              : BoxAnswer::No;
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

std::vector<std::string> TerminalSurface::ListItems(int id) const {
  std::lock_guard l(m_);
  auto it = lists_.find(id);
  return it == lists_.end() ? std::vector<std::string>() : it->second;
}

int TerminalSurface::ListSelection(int id) const {
  std::lock_guard l(m_);
  auto it = listSel_.find(id);
  return it == listSel_.end() ? -1 : it->second;
}

}  // namespace tarnwick::cli
