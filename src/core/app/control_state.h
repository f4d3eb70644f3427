// What the core last set on the window's controls, readable from any thread
// without asking the widgets: every front end (window, terminal, test
// recorder) keeps its control state here.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace tarnwick {

class ControlState {
 public:
  // A control nobody has disabled counts as enabled.
  void SetEnabled(int id, bool enabled);
  bool IsEnabled(int id) const;

  // Menu check marks; unknown items are unchecked.
  void SetMenuChecked(int id, bool checked);
  bool IsMenuChecked(int id) const;

  // Captions, static texts, edit contents; unknown ids read "".
  void SetText(int id, const std::string& text);
  std::string Text(int id) const;

  // Check boxes; unknown ones are unchecked.
  void SetCheckBox(int id, bool checked);
  bool IsCheckBoxChecked(int id) const;

  // List entries and the selected index. Filling a list drops its selection
  // (-1), as a refilled combo box shows nothing selected.
  void SetListItems(int id, const std::vector<std::string>& items);
  std::vector<std::string> ListItems(int id) const;
  void SetListSelection(int id, int index);
  int ListSelection(int id) const;

 private:
  mutable std::mutex m_;
  std::map<int, bool> enabled_;
  std::map<int, bool> menuChecked_;
  std::map<int, std::string> texts_;
  std::map<int, bool> checkBoxes_;
  std::map<int, std::vector<std::string>> lists_;
  std::map<int, int> listSelection_;
};

}  // namespace tarnwick
