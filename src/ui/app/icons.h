// The program's pictures: menu icons by command, socket and adapter pictures
// by resource id, the web button and the application icon. All are SVG files
// compiled in from resources/icons.
#pragma once

#include <QIcon>
#include <QString>

namespace tarnwick {

// Resource path (":/icons/...svg") of an icon resource id; empty when unknown.
QString IconPathForResource(int resourceId);
QIcon IconForResource(int resourceId);

// The menu picture of a command (same for checked and unchecked), null when
// the command has none. Edit mode (32783) has its own pair.
QIcon MenuIconForCommand(int commandId);
QIcon EditModeMenuIcon();  // unchecked picture 188, checked picture 189

QIcon AppIcon();

}  // namespace tarnwick
