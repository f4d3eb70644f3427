#include "core/app/control_state.h"

namespace tarnwick {

namespace {

template <typename Map, typename Value>
Value Find(const Map& map, int id, Value fallback) {
  const auto it = map.find(id);
  return it == map.end() ? fallback : it->second;
}

}  // namespace

void ControlState::SetEnabled(int id, bool enabled) {
  std::lock_guard lock(m_);
  enabled_[id] = enabled;
}

bool ControlState::IsEnabled(int id) const {
  std::lock_guard lock(m_);
  return Find(enabled_, id, true);
}

void ControlState::SetMenuChecked(int id, bool checked) {
  std::lock_guard lock(m_);
  menuChecked_[id] = checked;
}

bool ControlState::IsMenuChecked(int id) const {
  std::lock_guard lock(m_);
  return Find(menuChecked_, id, false);
}

void ControlState::SetText(int id, const std::string& text) {
  std::lock_guard lock(m_);
  texts_[id] = text;
}

std::string ControlState::Text(int id) const {
  std::lock_guard lock(m_);
  return Find(texts_, id, std::string());
}

void ControlState::SetCheckBox(int id, bool checked) {
  std::lock_guard lock(m_);
  checkBoxes_[id] = checked;
}

bool ControlState::IsCheckBoxChecked(int id) const {
  std::lock_guard lock(m_);
  return Find(checkBoxes_, id, false);
}

void ControlState::SetListItems(int id, const std::vector<std::string>& items) {
  std::lock_guard lock(m_);
  lists_[id] = items;
  listSelection_[id] = -1;
}

std::vector<std::string> ControlState::ListItems(int id) const {
  std::lock_guard lock(m_);
  return Find(lists_, id, std::vector<std::string>());
}

void ControlState::SetListSelection(int id, int index) {
  std::lock_guard lock(m_);
  listSelection_[id] = index;
}

int ControlState::ListSelection(int id) const {
  std::lock_guard lock(m_);
  return Find(listSelection_, id, -1);
}

}  // namespace tarnwick
