// Qt's own texts (standard buttons, file and colour dialogs) follow the
// language of the program's text tables: Chinese tables, Chinese buttons.
#pragma once

#include <QString>

class QCoreApplication;

namespace tarnwick {

class TextTable;

// True when this run shows the Chinese texts: --lang zh_CN, or no --lang and
// the tables in use are the shipped zh_CN ones (their File menu caption is
// that set's).
bool UsesChineseTexts(const QString& lang, const TextTable& inUse, const QString& programDir);

// Loads Qt's Simplified Chinese translation (qtbase_zh_CN from Qt's
// translations folder) into `app`. False, and nothing changed, when it is not
// installed.
bool InstallQtChinese(QCoreApplication& app);

}  // namespace tarnwick
