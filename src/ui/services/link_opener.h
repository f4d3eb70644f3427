// Opens a link or a file outside the program: the desktop's opener first,
// then, for what it cannot open, the registered web browser. The result is
// a links:: code (above 32: opened).
#pragma once

#include <QString>
#include <functional>

class QUrl;
class QWidget;

namespace tarnwick {

class TextTable;

// A link from the configuration or a link control: http, https and mailto
// only; anything else is refused with links::kRefusedTarget.
int OpenWebLink(const QString& text);
// A file the program names itself (the manual, the log).
int OpenProgramFile(const QString& path);

// Tells in a notice that nothing on this desktop opens the file at `path`,
// which is there: no opener program (xdg-open) is installed for it.
void ShowNoOpenerBox(QWidget* parent, const TextTable& texts, const QString& path);

// The desktop's opener; a test may put another one in (an empty function
// restores the desktop's own).
using DesktopOpener = std::function<bool(const QUrl&)>;
void SetDesktopOpener(DesktopOpener opener);

}  // namespace tarnwick
