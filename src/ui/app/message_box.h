// Message boxes of the program. With TARNWICK_BOX_LOG=1 in the environment
// every box text goes to stderr and the box answers itself with its first
// button instead of waiting for a user (used by the whole-process tests).
#pragma once

#include <QString>

#include "core/app/window_surface.h"

class QWidget;

namespace tarnwick {

class TextTable;

bool BoxLogEnabled();

// Runs a modal box on the GUI thread; `parent` may be null (no owner window).
BoxAnswer RunMessageBox(QWidget* parent, const QString& text, const QString& caption, BoxIcon icon,
                        BoxButtons buttons);

// The program's notice: itext `number` in an OK box with the notice caption
// (itext 9), as the dialogs and the window tell a refusal or an outcome.
void ShowNoticeBox(QWidget* parent, const TextTable& texts, int number,
                   BoxIcon icon = BoxIcon::Warning);

// The answer a box gives when nobody can answer it: the first button.
BoxAnswer DefaultAnswer(BoxButtons buttons);

// What the user means by closing a box without a button (Esc, the title
// bar), and what a question nobody will see gets: its cancelling button.
BoxAnswer CancellingAnswer(BoxButtons buttons);

}  // namespace tarnwick
