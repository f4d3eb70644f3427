// Menu 154 of the main window: seven menus, their items with command ids,
// the submenu of batch steps, start states, check marks and pictures.
#pragma once

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <map>
#include <span>
#include <vector>

namespace tarnwick {

class TextTable;

struct MenuItemSpec {
  int id;                       // command id; 0 opens the batch-steps submenu
  int ftext;                    // text entry that replaces the caption
  const char* templateCaption;  // caption before the texts are applied
  bool checkable;
  bool startsGreyed;
};

struct MenuSpec {
  int ftext;
  const char* templateTitle;
  std::span<const MenuItemSpec> items;
};

std::span<const MenuSpec> MainMenuSpec();
// Items of the batch-steps submenu (position 2 of the settings menu).
std::span<const MenuItemSpec> BatchStepsMenuSpec();
inline constexpr const char* kBatchStepsTemplate = "批量过程";

// The built menu; actions carry their command id as data.
class MainMenu {
 public:
  explicit MainMenu(QMenuBar* bar);

  QAction* Action(int id) const;  // null for an id the menu does not have
  const std::map<int, QAction*>& actions() const { return actions_; }
  QMenu* Menu(int position) const { return menus_.at(static_cast<size_t>(position)); }
  QMenu* BatchSteps() const { return batchSteps_; }

  void ApplyTexts(const TextTable& texts);

 private:
  QAction* AddItem(QMenu* menu, const MenuItemSpec& spec);

  std::vector<QMenu*> menus_;
  QMenu* batchSteps_ = nullptr;
  std::map<int, QAction*> actions_;
};

}  // namespace tarnwick
