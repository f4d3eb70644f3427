// The `tarnwick` program: one window, one instance at a time.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>

#include "core/app/text_languages.h"
#include "ui/app/app_options.h"
#include "ui/app/box_factory.h"
#include "ui/app/icons.h"
#include "ui/app/message_box.h"
#include "ui/app/programmer_dlg.h"
#include "ui/app/qt_language.h"
#include "ui/app/single_instance.h"
#include "ui/app/skin.h"

int main(int argc, char* argv[]) {
  using namespace tarnwick;
  QStringList rawArgs;
  for (int i = 0; i < argc; ++i) rawArgs.append(QString::fromLocal8Bit(argv[i]));
  // The usage and a wrong option of ours need no display.
  const AppOptions early = ParseAppOptions(rawArgs);
  if (early.help) {
    std::printf("%s", AppUsageText().toLocal8Bit().constData());
    return 0;
  }
  if (!early.error.isEmpty() && !early.strayArgument) {
    std::fprintf(stderr, "tarnwick: %s\n%s", early.error.toLocal8Bit().constData(),
                 AppUsageText().toLocal8Bit().constData());
    return 2;
  }
  // Qt's own message for a missing display is cryptic; say what to do first.
  const QString hint = MissingDisplayHint(rawArgs);
  if (!hint.isEmpty()) std::fprintf(stderr, "%s\n", hint.toLocal8Bit().constData());

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tarnwick"));
  QApplication::setWindowIcon(AppIcon());

  const AppOptions options = ParseAppOptions(QApplication::arguments());
  if (!options.error.isEmpty()) {
    std::fprintf(stderr, "tarnwick: %s\n%s", options.error.toLocal8Bit().constData(),
                 AppUsageText().toLocal8Bit().constData());
    return 2;
  }
  const QString programDir = WithTrailingSlash(QApplication::applicationDirPath());
  QString textDir;
  if (!options.lang.isEmpty()) {
    textDir = QString::fromStdString(
        TextLanguageDir(programDir.toStdString(), options.lang.toStdString()));
    for (const char* name : {"ftext.ini", "itext.ini"}) {
      if (!QFileInfo(textDir + QLatin1String(name)).isFile()) {
        std::fprintf(stderr, "tarnwick: --lang %s: text table %s%s is missing\n",
                     options.lang.toLocal8Bit().constData(), textDir.toLocal8Bit().constData(),
                     name);
        return 2;
      }
    }
  }

  SingleInstance instance;
  if (!instance.Acquire()) {
    RunMessageBox(nullptr, QString::fromUtf8(kAlreadyRunningText),
                  QString::fromUtf8(kAlreadyRunningCaption), BoxIcon::Warning, BoxButtons::Ok);
    return 0;
  }

  const QString baseDir = WithTrailingSlash(
      options.baseDir.isEmpty() ? QApplication::applicationDirPath() : options.baseDir);
  if (!QDir(baseDir).exists()) {
    std::fprintf(stderr, "tarnwick: base directory %s does not exist\n",
                 baseDir.toLocal8Bit().constData());
    return 2;
  }
  ApplySkin(app, baseDir);

  QString error;
  auto box = MakeBox(options, baseDir, error);
  if (!box) {
    std::fprintf(stderr, "tarnwick: %s\n", error.toLocal8Bit().constData());
    return 2;
  }

  ProgrammerDlg window({baseDir.toStdString(), true, textDir.toStdString()}, *box);
  // Qt's own buttons and dialogs speak the language of the tables in use.
  if (UsesChineseTexts(options.lang, window.session().texts(), programDir)) {
    InstallQtChinese(app);
  }
  window.show();
  // The rest of the start-up may ask questions; it runs once the window shows.
  QTimer::singleShot(0, &window, [&window] { window.Start(); });
  return app.exec();
}
