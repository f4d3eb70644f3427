#include "support/recording_surface.h"

namespace tarnwick::test {

RecordingSurface::RecordingSurface() = default;

void RecordingSurface::SetStatusLine(const std::string& text, bool error) {
  std::lock_guard l(m_);
  status_.push_back(text);
  statusError_ = error;
}
void RecordingSurface::Beep() {
  std::lock_guard l(m_);
  ++beeps_;
}
void RecordingSurface::WritePaneLine(const std::string& line, bool replaceLast) {
  std::lock_guard l(m_);
  if (replaceLast) {
    auto pos = pane_.rfind("\r\n");
    pane_.erase(pos == std::string::npos ? 0 : pos + 2);
  }
  pane_ += line;
}
void RecordingSurface::ClearPane() {
  std::lock_guard l(m_);
  pane_.clear();
}
void RecordingSurface::ShowProgress(bool visible) {
  std::lock_guard l(m_);
  progressVisible_ = visible;
}
void RecordingSurface::SetProgress(int, const std::string& text) {
  std::lock_guard l(m_);
  progress_.push_back(text);
}
void RecordingSurface::SetCommandEnabled(int id, bool enabled) { state_.SetEnabled(id, enabled); }
bool RecordingSurface::IsCommandEnabled(int id) { return state_.IsEnabled(id); }
void RecordingSurface::SetMenuChecked(int id, bool checked) { state_.SetMenuChecked(id, checked); }
bool RecordingSurface::IsMenuChecked(int id) { return state_.IsMenuChecked(id); }
void RecordingSurface::SetControlText(int id, const std::string& text) { state_.SetText(id, text); }
std::string RecordingSurface::ControlText(int id) { return state_.Text(id); }
void RecordingSurface::SetControlVisible(int id, bool visible) {
  std::lock_guard l(m_);
  visible_[id] = visible;
}
void RecordingSurface::SetCheckBox(int id, bool checked) { state_.SetCheckBox(id, checked); }
bool RecordingSurface::IsCheckBoxChecked(int id) { return state_.IsCheckBoxChecked(id); }
void RecordingSurface::SetListItems(int id, const std::vector<std::string>& items) {
  state_.SetListItems(id, items);
}
void RecordingSurface::SetListSelection(int id, int index) { state_.SetListSelection(id, index); }
void RecordingSurface::SetPicture(int id, int iconResource) {
  std::lock_guard l(m_);
  pictures_[id] = iconResource;
}
void RecordingSurface::HexViewChanged() {
  std::lock_guard l(m_);
  ++hexChanges_;
}
BoxAnswer RecordingSurface::Ask(const std::string& text, const std::string& caption, BoxIcon icon,
                                BoxButtons buttons) {
  std::lock_guard l(m_);
  boxes_.push_back({text, caption, icon, buttons});
  if (!answers_.empty()) {
    BoxAnswer a = answers_.front();
    answers_.pop_front();
    return a;
  }
  return buttons == BoxButtons::Ok || buttons == BoxButtons::OkCancel ? BoxAnswer::Ok
                                                                      : BoxAnswer::Yes;
}
void RecordingSurface::PlaySound(const std::string& absolutePath) {
  std::lock_guard l(m_);
  sounds_.push_back(absolutePath);
}
void RecordingSurface::QueueAnswer(BoxAnswer a) {
  std::lock_guard l(m_);
  answers_.push_back(a);
}
std::vector<std::string> RecordingSurface::StatusLines() const {
  std::lock_guard l(m_);
  return status_;
}
std::string RecordingSurface::LastStatus() const {
  std::lock_guard l(m_);
  return status_.empty() ? std::string() : status_.back();
}
bool RecordingSurface::LastStatusIsError() const {
  std::lock_guard l(m_);
  return statusError_;
}
std::vector<std::string> RecordingSurface::PaneLines() const {
  std::lock_guard l(m_);
  std::vector<std::string> out;
  if (pane_.empty()) return out;
  std::string::size_type start = 0;
  for (;;) {
    auto pos = pane_.find("\r\n", start);
    out.push_back(pane_.substr(start, pos == std::string::npos ? std::string::npos : pos - start));
    if (pos == std::string::npos) break;
    start = pos + 2;
  }
  return out;
}
std::vector<RecordedBox> RecordingSurface::Boxes() const {
  std::lock_guard l(m_);
  return boxes_;
}
std::vector<std::string> RecordingSurface::ProgressTexts() const {
  std::lock_guard l(m_);
  return progress_;
}
std::vector<std::string> RecordingSurface::Sounds() const {
  std::lock_guard l(m_);
  return sounds_;
}
int RecordingSurface::Beeps() const {
  std::lock_guard l(m_);
  return beeps_;
}
bool RecordingSurface::ProgressVisible() const {
  std::lock_guard l(m_);
  return progressVisible_;
}
std::vector<std::string> RecordingSurface::ListItems(int id) const { return state_.ListItems(id); }
int RecordingSurface::ListSelection(int id) const { return state_.ListSelection(id); }
int RecordingSurface::Picture(int id) const {
  std::lock_guard l(m_);
  auto it = pictures_.find(id);
  return it == pictures_.end() ? 0 : it->second;
}
bool RecordingSurface::Visible(int id) const {
  std::lock_guard l(m_);
  auto it = visible_.find(id);
  return it == visible_.end() || it->second;
}
int RecordingSurface::HexViewChanges() const {
  std::lock_guard l(m_);
  return hexChanges_;
}
bool RecordingSurface::Enabled(int id) const { return state_.IsEnabled(id); }

}  // namespace tarnwick::test
