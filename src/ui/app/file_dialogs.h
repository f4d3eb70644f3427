// File choosers. Filters are written as the program's literals
// ("desc|patterns|desc|patterns||") and translated to Qt's form here.
#pragma once

#include <QString>

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

}  // namespace tarnwick
