#include "ui/app/qt_language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "core/app/text_ids.h"
#include "core/app/text_languages.h"
#include "core/app/text_table.h"

namespace tarnwick {

namespace {
constexpr const char* kChinese = "zh_CN";
}

bool UsesChineseTexts(const QString& lang, const TextTable& inUse, const QString& programDir) {
  if (!lang.isEmpty()) return lang == QLatin1String(kChinese);
  QString dir = programDir;
  if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
  TextTable shipped;
  if (!shipped.LoadFtext(TextLanguageDir(dir.toStdString(), kChinese) + "ftext.ini")) return false;
  return inUse.ftext(ftext::kMenuFile) == shipped.ftext(ftext::kMenuFile);
}

bool InstallQtChinese(QCoreApplication& app) {
  auto* translator = new QTranslator(&app);
  if (!translator->load(QStringLiteral("qtbase_zh_CN"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  QCoreApplication::installTranslator(translator);
  return true;
}

}  // namespace tarnwick
