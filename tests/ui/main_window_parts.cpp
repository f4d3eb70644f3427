// The window's smaller parts: the text progress bar, file filters, the
// command line, dialog units, the instance lock and the skin.
#include <sys/stat.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "resources/ids.h"
#include "ui/app/app_options.h"
#include "ui/app/file_dialogs.h"
#include "ui/app/key_routing.h"
#include "ui/app/main_window_layout.h"
#include "ui/app/single_instance.h"
#include "ui/app/skin.h"
#include "ui/app/text_progress_bar.h"

using namespace tarnwick;

class MainWindowPartsTest : public QObject {
  Q_OBJECT

 private slots:
  void progressBarFillsAndCarriesText();
  void progressBarSurvivesAnEmptyRange();
  void filtersBecomeQtFilters();
  void commandLineOptions();
  void displayHint();
  void dialogUnitsScaleWithTheFont();
  void instanceLockHeldUntilReleased();
  void instanceLockThatCannotBeMadeIsNotAnotherInstance();
  void skinIsOptional();
  void secondWindowBoxSpeaksTheLanguageOfTheTables();
  void windowNamesTheMenuEntryItIsStartedFrom();
};

void MainWindowPartsTest::progressBarFillsAndCarriesText() {
  TextProgressBar bar;
  bar.resize(200, 20);
  QCOMPARE(bar.barColour(), QColor(0, 204, 0));
  QCOMPARE(bar.alignment(), int(TextProgressBar::kCentre));
  bar.SetBarColour(QColor(0, 255, 0));
  bar.SetTextFont("Sans", 14, QColor(255, 0, 255), true, false, false, false);
  QVERIFY(bar.font().weight() >= QFont::Black);
  bar.SetPosText(25, "25%", TextProgressBar::kLeft);
  QCOMPARE(bar.text(), QStringLiteral("25%"));
  QCOMPARE(bar.alignment(), int(TextProgressBar::kLeft));
  QCOMPARE(bar.FilledWidth(), 50);

  const QImage img = bar.grab().toImage();
  const QColor face = bar.palette().color(QPalette::Button);
  QCOMPARE(QColor(img.pixel(2, 1)), QColor(0, 255, 0));
  QCOMPARE(QColor(img.pixel(196, 1)), face);
  // The text sits at the left, over the bar, in its own colour.
  bool magentaLeft = false, magentaRight = false;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) {
      const QColor c(img.pixel(x, y));
      if (c.red() > 200 && c.blue() > 200 && c.green() < 80)
        (x < 100 ? magentaLeft : magentaRight) = true;
    }
  QVERIFY(magentaLeft);
  QVERIFY(!magentaRight);

  bar.SetPosText(100, QString());
  QCOMPARE(bar.FilledWidth(), 200);
  QCOMPARE(QColor(bar.grab().toImage().pixel(196, 10)), QColor(0, 255, 0));
}

void MainWindowPartsTest::progressBarSurvivesAnEmptyRange() {
  TextProgressBar bar;
  bar.resize(100, 10);
  bar.SetRange(0, 0);
  bar.SetPos(5);
  QCOMPARE(bar.FilledWidth(), 0);
  bar.SetRange(0, 100);
  bar.SetPos(250);  // beyond the range: full, never wider than the bar
  QCOMPARE(bar.FilledWidth(), 100);
  QVERIFY(!bar.grab().isNull());
}

void MainWindowPartsTest::filtersBecomeQtFilters() {
  QCOMPARE(QtFilterFromPairs(kBrowseFilter),
           QStringLiteral("*.* (*);;*.bin;*.rom (*.bin *.rom);;*.cap (*.cap)"));
  QCOMPARE(QtFilterFromPairs("bin文件(*.bin)|*.bin|rom文件(*.rom)|*.rom|其他文件(*.*)|*.*||"),
           QStringLiteral("bin文件 (*.bin);;rom文件 (*.rom);;其他文件 (*)"));
  QCOMPARE(QtFilterFromPairs("all files|*.*|(*.bin;*.rom)|*.bin;*.rom||"),
           QStringLiteral("all files (*);;*.bin;*.rom (*.bin *.rom)"));
}

void MainWindowPartsTest::commandLineOptions() {
  AppOptions o = ParseAppOptions({"tarnwick"});
  QVERIFY(o.error.isEmpty());
  QVERIFY(o.baseDir.isEmpty());
  QVERIFY(!o.simulate);

  o = ParseAppOptions({"tarnwick", "--base-dir", "/x/y", "--simulate"});
  QCOMPARE(o.baseDir, QStringLiteral("/x/y"));
  QVERIFY(o.simulate);
  QVERIFY(o.simulationFile.isEmpty());

  o = ParseAppOptions({"tarnwick", "--simulate=/d/box.txt", "--base-dir=/b", "-platform", "xcb"});
  QVERIFY(o.error.isEmpty());
  QCOMPARE(o.simulationFile, QStringLiteral("/d/box.txt"));
  QCOMPARE(o.baseDir, QStringLiteral("/b"));

  QVERIFY(!ParseAppOptions({"tarnwick", "--base-dir"}).error.isEmpty());
  QVERIFY(!ParseAppOptions({"tarnwick", "stray"}).error.isEmpty());

  // --version stops like --help; an option nobody knows is an error, while
  // Qt's own, with one dash or two and their values, pass.
  QVERIFY(ParseAppOptions({"tarnwick", "--version"}).version);
  o = ParseAppOptions({"tarnwick", "--verbose"});
  QVERIFY(o.error.contains("--verbose"));
  QVERIFY(!o.strayArgument);
  QVERIFY(!ParseAppOptions({"tarnwick", "-x"}).error.isEmpty());
  o = ParseAppOptions({"tarnwick", "-reverse", "--style", "fusion", "-qwindowgeometry", "640x480",
                       "-stylesheet=a.qss", "--simulate"});
  QVERIFY2(o.error.isEmpty(), qPrintable(o.error));
  QVERIFY(o.simulate);
  QCOMPARE(WithTrailingSlash("/a/b"), QStringLiteral("/a/b/"));
  QCOMPARE(WithTrailingSlash("/a/b/"), QStringLiteral("/a/b/"));
}

void MainWindowPartsTest::displayHint() {
  const QByteArray display = qgetenv("DISPLAY"), wayland = qgetenv("WAYLAND_DISPLAY"),
                   platform = qgetenv("QT_QPA_PLATFORM");
  qunsetenv("DISPLAY");
  qunsetenv("WAYLAND_DISPLAY");
  qunsetenv("QT_QPA_PLATFORM");
  QVERIFY(!MissingDisplayHint({"tarnwick"}).isEmpty());
  QVERIFY(MissingDisplayHint({"tarnwick", "-platform", "offscreen"}).isEmpty());
  QVERIFY(MissingDisplayHint({"tarnwick", "-platform", "linuxfb"}).isEmpty());
  QVERIFY(!MissingDisplayHint({"tarnwick", "-platform", "xcb"}).isEmpty());
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QVERIFY(MissingDisplayHint({"tarnwick"}).isEmpty());
  qunsetenv("QT_QPA_PLATFORM");
  qputenv("DISPLAY", ":5");
  QVERIFY(MissingDisplayHint({"tarnwick"}).isEmpty());
  qputenv("DISPLAY", display);
  if (display.isEmpty()) qunsetenv("DISPLAY");
  if (!wayland.isEmpty()) qputenv("WAYLAND_DISPLAY", wayland);
  qputenv("QT_QPA_PLATFORM", platform);
}

void MainWindowPartsTest::dialogUnitsScaleWithTheFont() {
  const DialogUnits du(6, 13);  // a typical 8-point dialog font
  QCOMPARE(du.X(4), 6);
  QCOMPARE(du.Y(8), 13);
  QCOMPARE(du.ToPixels(QRect(9, 89, 95, 31)), QRect(14, 145, 143, 50));
  // Both the status line and the progress bar share one rectangle.
  QCOMPARE(FindControlSpec(ids::kStatusLine)->dialogUnits,
           FindControlSpec(ids::kProgressBar)->dialogUnits);
  QVERIFY(FindControlSpec(4242) == nullptr);
}

void MainWindowPartsTest::instanceLockThatCannotBeMadeIsNotAnotherInstance() {
  using Outcome = SingleInstance::Outcome;
  QTemporaryDir dir;
  // A folder, or a FIFO (which must not block the start), in the lock's place.
  const QString lock = dir.filePath("Tarnwick.exe.lock");
  QVERIFY(QDir(dir.path()).mkdir("Tarnwick.exe.lock"));
  SingleInstance folderInPlace(dir.path());
  QVERIFY(folderInPlace.Acquire() == Outcome::Failed);
  QVERIFY2(folderInPlace.failureText().contains(lock + " is in the place of its lock file"),
           qPrintable(folderInPlace.failureText()));
  QVERIFY(QDir(dir.path()).rmdir("Tarnwick.exe.lock"));
  QCOMPARE(::mkfifo(QFile::encodeName(lock).constData(), 0600), 0);
  SingleInstance fifoInPlace(dir.path());
  QVERIFY(fifoInPlace.Acquire() == Outcome::Failed);
  QVERIFY(QFile::remove(lock));

  // A folder that is not there.
  SingleInstance nowhere(dir.filePath("missing"));
  QVERIFY(nowhere.Acquire() == Outcome::Failed);
  QVERIFY2(nowhere.failureText().contains(dir.filePath("missing/Tarnwick.exe.lock")),
           qPrintable(nowhere.failureText()));
}

void MainWindowPartsTest::instanceLockHeldUntilReleased() {
  QTemporaryDir dir;
  using Outcome = SingleInstance::Outcome;
  auto first = std::make_unique<SingleInstance>(dir.path());
  QVERIFY(first->Acquire() == Outcome::Acquired);
  QVERIFY(first->lockPath().endsWith("/Tarnwick.exe.lock"));
  SingleInstance second(dir.path());
  QVERIFY(second.Acquire() == Outcome::HeldByAnother);
  first.reset();
  SingleInstance third(dir.path());
  QVERIFY(third.Acquire() == Outcome::Acquired);

  // The key table routes only the function keys, Ctrl+O, Enter and Esc.
  QCOMPARE(RouteKey(Qt::Key_F2, Qt::NoModifier).button, 0);
  QCOMPARE(RouteKey(Qt::Key_F1, Qt::NoModifier).command, ids::kHelp);
  QVERIFY(RouteKey(Qt::Key_F1, Qt::ShiftModifier).kind == KeyRoute::Kind::PassOn);
  QCOMPARE(RouteKey(Qt::Key_F9, Qt::NoModifier).command, ids::kAutoProgramButton);
  QCOMPARE(RouteKey(Qt::Key_O, Qt::ControlModifier).command, ids::kBrowseButton);
  QVERIFY(RouteKey(Qt::Key_O, Qt::NoModifier).kind == KeyRoute::Kind::PassOn);
  QVERIFY(RouteKey(Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier).kind ==
          KeyRoute::Kind::PassOn);
  // F10 hands the keyboard to the menu bar; a held modifier takes an F-key
  // away from the operations, and Alt+F4 closes.
  QVERIFY(RouteKey(Qt::Key_F10, Qt::NoModifier).kind == KeyRoute::Kind::MenuBar);
  for (Qt::KeyboardModifiers m :
       {Qt::KeyboardModifiers(Qt::AltModifier), Qt::KeyboardModifiers(Qt::ControlModifier),
        Qt::KeyboardModifiers(Qt::ShiftModifier), Qt::KeyboardModifiers(Qt::MetaModifier)}) {
    for (int key = Qt::Key_F2; key <= Qt::Key_F9; ++key) {
      const KeyRoute r = RouteKey(key, m);
      QVERIFY(r.kind != KeyRoute::Kind::Command);
      QCOMPARE(r.kind == KeyRoute::Kind::Close, key == Qt::Key_F4 && m == Qt::AltModifier);
    }
  }
  QVERIFY(RouteKey(Qt::Key_F4, Qt::KeypadModifier).kind == KeyRoute::Kind::Command);
}

void MainWindowPartsTest::secondWindowBoxSpeaksTheLanguageOfTheTables() {
  const QString lang = QStringLiteral(TARNWICK_SOURCE_DIR "/resources/lang/");
  QTemporaryDir empty;
  // A folder without tables gives way to the next one.
  AlreadyRunningBox box = AlreadyRunningTexts({empty.path() + "/", lang + "en/"});
  QCOMPARE(box.text, QStringLiteral("Tarnwick is already running on this base directory."));
  QCOMPARE(box.caption, QStringLiteral("Notice"));
  box = AlreadyRunningTexts({lang + "zh_CN/"});
  QCOMPARE(box.caption, QStringLiteral("提示"));
  QVERIFY(!box.text.contains("exist"));
  QVERIFY(!box.text.isEmpty());
  // A table from before the entry existed: the English words.
  QFile old(empty.path() + "/itext.ini");
  QVERIFY(old.open(QIODevice::WriteOnly));
  old.write("[itext]\r\n0=x\r\n");
  old.close();
  box = AlreadyRunningTexts({empty.path() + "/"});
  QCOMPARE(box.text, QString::fromUtf8(kAlreadyRunningFallbackText));
}

void MainWindowPartsTest::windowNamesTheMenuEntryItIsStartedFrom() {
  // Docks find the entry by the window's app id (Wayland) or its WM_CLASS,
  // whose class is the application name (X11).
  QFile entry(QStringLiteral(TARNWICK_SOURCE_DIR "/packaging/desktop/") +
              QString::fromLatin1(kDesktopFileName) + QStringLiteral(".desktop"));
  QVERIFY2(entry.open(QIODevice::ReadOnly), qPrintable(entry.fileName()));
  const QStringList lines = QString::fromUtf8(entry.readAll()).split('\n');
  QVERIFY(lines.contains(QStringLiteral("StartupWMClass=Tarnwick")));
  QVERIFY(lines.contains(QStringLiteral("Exec=tarnwick")));
}

void MainWindowPartsTest::skinIsOptional() {
  QTemporaryDir dir;
  auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
  app->setStyleSheet(QString());
  QVERIFY(!ApplySkin(*app, dir.path()));
  QVERIFY(app->styleSheet().isEmpty());
  QVERIFY(QDir(dir.path()).mkdir("CODE"));
  QVERIFY(QFile::copy(TARNWICK_SOURCE_DIR "/resources/CODE/Office2007.cjstyles",
                      dir.path() + "/CODE/Office2007.cjstyles"));
  QVERIFY(ApplySkin(*app, dir.path()));
  QVERIFY(app->styleSheet().contains("QPushButton"));
  app->setStyleSheet(QString());
}

QTEST_MAIN(MainWindowPartsTest)
#include "main_window_parts.moc"
