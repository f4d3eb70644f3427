// Which keys the main window takes before any control sees them.
#pragma once

#include <Qt>

namespace tarnwick {

struct KeyRoute {
  enum class Kind {
    PassOn,      // not ours: normal key handling
    Command,     // send `command` when `button` is enabled (or always); consume
    CommitEdit,  // Enter: commit the hex view's cell edit; consume
    Swallow,     // Esc: consume, nothing else
    Close,       // Alt+F4: the close sequence, as the title bar's button
    MenuBar,     // F10: the menu bar takes the keyboard
  };
  Kind kind = Kind::PassOn;
  int command = 0;
  int button = 0;  // 0: the command is sent whatever the button's state
};

// Only the bare function keys start operations: with Alt, Ctrl, Shift or
// Meta held they are someone else's (Alt+F4 closes the window).
KeyRoute RouteKey(int key, Qt::KeyboardModifiers modifiers);

}  // namespace tarnwick
