// The window skin: a Qt style sheet in "CODE/Office2007.cjstyles" of the base
// directory. A missing or unreadable file is not reported.
#pragma once

#include <QString>

class QApplication;

namespace tarnwick {

inline constexpr const char* kSkinFile = "CODE/Office2007.cjstyles";

// True when a style sheet was applied.
bool ApplySkin(QApplication& app, const QString& baseDir);

}  // namespace tarnwick
