// The `tarnwick` program: one window, one instance at a time.
#include <QApplication>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>
#include <variant>

#include "core/app/base_directory.h"
#include "core/device/box_selector.h"
#include "ui/app/app_options.h"
#include "ui/app/box_factory.h"
#include "ui/app/box_startup.h"
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
  if (early.version && early.error.isEmpty()) {
    std::printf("%s", AppVersionText().toLocal8Bit().constData());
    return 0;
  }
  if (!early.error.isEmpty() && !early.strayArgument) {
    std::fprintf(stderr, "tarnwick: %s\n%s", early.error.toLocal8Bit().constData(),
                 AppUsageText().toLocal8Bit().constData());
    return 2;
  }
  // Qt aborts without a display after a cryptic message; say what to do
  // and end as a failed start.
  const QString hint = MissingDisplayHint(rawArgs);
  if (!hint.isEmpty()) {
    std::fprintf(stderr, "%s\n", hint.toLocal8Bit().constData());
    return 1;
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tarnwick"));
  QApplication::setWindowIcon(AppIcon());
  // Docks match the window to the menu entry's desktop file by this name.
  QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopFileName));

  const AppOptions options = ParseAppOptions(QApplication::arguments());
  if (!options.error.isEmpty()) {
    std::fprintf(stderr, "tarnwick: %s\n%s", options.error.toLocal8Bit().constData(),
                 AppUsageText().toLocal8Bit().constData());
    return 2;
  }
  const std::variant<BaseDirectory, BaseDirectoryError> chosen =
      ChooseBaseDirectory(BaseDirectoryInputsFromEnvironment(
          QApplication::applicationDirPath().toStdString(), options.baseDir.toStdString(),
          options.lang.toStdString()));
  if (const auto* failed = std::get_if<BaseDirectoryError>(&chosen)) {
    std::fprintf(stderr, "tarnwick: %s\n", BaseDirectoryErrorMessage(*failed).c_str());
    return 2;
  }
  const DataLayout& layout = std::get<BaseDirectory>(chosen).layout;
  // The text sets and the other read-only data: the program's folder when
  // portable, the installed share folder otherwise.
  const QString dataDir = QString::fromStdString(layout.dataDir);
  if (!options.lang.isEmpty()) {
    for (const std::string& table : {layout.ftextFile, layout.itextFile}) {
      if (!QFileInfo(QString::fromStdString(table)).isFile()) {
        std::fprintf(stderr, "tarnwick: --lang %s: text table %s is missing\n",
                     options.lang.toLocal8Bit().constData(), table.c_str());
        return 2;
      }
    }
  }

  // One window per base directory, or per user when installed: two folders
  // may run side by side.
  SingleInstance instance(QString::fromStdString(layout.lockDir));
  switch (instance.Acquire()) {
    case SingleInstance::Outcome::Acquired:
      break;
    case SingleInstance::Outcome::HeldByAnother: {
      const AlreadyRunningBox box = AlreadyRunningTexts(
          {QFileInfo(QString::fromStdString(layout.itextFile)).path() + QLatin1Char('/'), dataDir});
      RunMessageBox(nullptr, box.text, box.caption, BoxIcon::Warning, BoxButtons::Ok);
      return 0;
    }
    case SingleInstance::Outcome::Failed:
      std::fprintf(stderr, "tarnwick: %s\n", instance.failureText().toLocal8Bit().constData());
      RunMessageBox(nullptr, instance.failureText(), QString::fromUtf8(kLockFailedCaption),
                    BoxIcon::Error, BoxButtons::Ok);
      return 1;
  }
  ApplySkin(app, QString::fromStdString(layout.assetDir));

  QString error;
  std::string simulatedTable;
  auto box = MakeBox(options, layout, dataDir, error, simulatedTable);
  if (!box) {
    std::fprintf(stderr, "tarnwick: %s\n", error.toLocal8Bit().constData());
    return 2;
  }

  // With several boxes connected the window opens only the one --device names.
  BoxSelector boxes(*box);
  const StartBoxNotice boxNotice = ChooseStartBox(boxes, options.device.toStdString());

  ProgrammerDlg window({layout, true, simulatedTable}, boxes);
  // Qt's own buttons and dialogs speak the language of the tables in use.
  if (UsesChineseTexts(options.lang, window.session().texts(), dataDir)) {
    InstallQtChinese(app);
  }
  // A screen smaller than the template still holds the whole window.
  window.FitToScreen();
  window.show();
  // The rest of the start-up may ask questions; it runs once the window shows.
  QTimer::singleShot(0, &window, [&window, &boxNotice] {
    window.Start();
    ShowStartBoxNotice(window.session(), boxNotice);
  });
  return app.exec();
}
