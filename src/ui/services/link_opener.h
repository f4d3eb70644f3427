// Opens a URL or a file outside the program: the desktop's opener first,
// then, for what it cannot open, the registered web browser. The result is
// a links:: code (above 32: opened).
#pragma once

#include <QString>
#include <functional>

class QUrl;

namespace tarnwick {

int OpenLinkTarget(const QString& target);

// The desktop's opener; a test may put another one in (an empty function
// restores the desktop's own).
using DesktopOpener = std::function<bool(const QUrl&)>;
void SetDesktopOpener(DesktopOpener opener);

}  // namespace tarnwick
