// The main window's controls as dialog 102 lays them out, with the form
// texts their captions come from. The window and its tests both read this
// one table.
#pragma once

#include <span>

#include "ui/app/dialog_builder.h"

namespace tarnwick {

// Client area of the main window in dialog units.
inline constexpr int kDialogWidthDu = 591;
inline constexpr int kDialogHeightDu = 369;

// Every control of the main window, in template order.
std::span<const ControlSpec> MainWindowControls();
const ControlSpec* FindControlSpec(int id);
DialogTemplate MainWindowTemplate();

}  // namespace tarnwick
