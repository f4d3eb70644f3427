// File choosers. Filters are written as the program's literals
// ("desc|patterns|desc|patterns||") and translated to Qt's form here.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace tarnwick {

// The browse button's and "打开文件(&O)"'s filter.
inline constexpr const char* kBrowseFilter =
    "*.*|*.*|*.bin;*.rom(*.bin;*.rom)|*.bin;*.rom|*.cap(*.cap)|*.cap||";

// "a|*.x;*.y|b|*.*||" -> "a (*.x *.y);;b (*)". A pattern "*.*" means every
// file, also those without a dot.
QString QtFilterFromPairs(const char* filter);

// Open dialog for one existing file; empty when cancelled.
QString ChooseFileToOpen(QWidget* parent, const char* filter);

// Open dialog for several existing files at once; empty when cancelled.
QStringList ChooseFilesToOpen(QWidget* parent, const char* filter);

// Folder chooser with `title` and an edit box for the path; empty when
// cancelled.
QString ChooseFolder(QWidget* parent, const QString& title);

}  // namespace tarnwick
