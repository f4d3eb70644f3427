// The window with its threads and processes: questions from the worker, the
// close questions while an operation runs, and the single-instance guard.
#include <unistd.h>

#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <thread>

#include "core/app/text_table.h"
#include "core/device/worker.h"
#include "core/session/session.h"
#include "main_window_fixture.h"
#include "resources/ids.h"
#include "ui/app/main_menu.h"

using namespace tarnwick;
using tarnwick::test::BoxWatcher;
using tarnwick::test::WindowHarness;

class MainWindowFlowsTest : public QObject {
  Q_OBJECT

 private slots:
  void workerQuestionKeepsTheGuiRunning();
  void questionsAfterShutdownGetTheirCancellingAnswer();
  void closeWhileReadingAsksAndHonoursCancel();
  void exitItemClosesWithoutQuestions();
  void secondWindowOnTheSameBaseDirectorySaysSoWhileAnotherBaseDirectoryRuns();
  void readOnlyBaseDirectoryIsSaidNotTakenForASecondWindow();
};

void MainWindowFlowsTest::workerQuestionKeepsTheGuiRunning() {
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  w.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w));
  auto* status = qobject_cast<QLabel*>(w.Control(ids::kStatusLine));

  int ticks = 0;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
  ticker.start(10);

  BoxWatcher boxes(QMessageBox::No);
  int ticksWhenShown = -1;
  QString statusWhenShown;
  boxes.onShown = [&] {
    ticksWhenShown = ticks;
    statusWhenShown = status->text();
  };
  std::atomic<bool> done{false};
  BoxAnswer answer = BoxAnswer::Ok;
  std::thread worker([&] {
    w.surface().SetStatusLine("about to ask", false);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    answer = w.surface().Ask("Really?", "Question", BoxIcon::Question, BoxButtons::YesNo);
    done = true;
  });
  QTRY_VERIFY_WITH_TIMEOUT(done.load(), 10000);
  worker.join();
  QCOMPARE(answer, BoxAnswer::No);
  QCOMPARE(boxes.texts().size(), size_t(1));
  QCOMPARE(boxes.texts()[0], QStringLiteral("Really?"));
  QCOMPARE(boxes.captions()[0], QStringLiteral("Question"));
  // The GUI thread kept running while the worker waited, and what the worker
  // reported before asking was on screen when the box came up.
  QVERIFY(ticksWhenShown > 3);
  QCOMPARE(statusWhenShown, QStringLiteral("about to ask"));
}

void MainWindowFlowsTest::questionsAfterShutdownGetTheirCancellingAnswer() {
  WindowHarness h;
  BoxWatcher boxes;
  h.window().surface().Shutdown();
  BoxAnswer a = BoxAnswer::Ok, b = BoxAnswer::Yes;
  std::thread worker([&] {
    a = h.window().surface().Ask("q", "c", BoxIcon::Question, BoxButtons::OkCancel);
    b = h.window().surface().Ask("q", "c", BoxIcon::Question, BoxButtons::YesNo);
  });
  worker.join();
  QCOMPARE(a, BoxAnswer::Cancel);
  QCOMPARE(b, BoxAnswer::No);
  QTest::qWait(60);
  QVERIFY(boxes.texts().empty());
}

void MainWindowFlowsTest::closeWhileReadingAsksAndHonoursCancel() {
  BoxWatcher boxes(QMessageBox::Cancel);
  WindowHarness h({}, sim::SpeedKind::Realistic);
  QVERIFY2(h.hasCatalogue(), "the portable folder lacks database.dat (build portable_data)");
  ProgrammerDlg& w = h.window();
  const TextTable& t = w.session().texts();
  w.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w));
  w.Start();
  // The start-up detection finds the chip in the virtual socket.
  QTRY_VERIFY_WITH_TIMEOUT(
      w.surface().ControlText(ids::kStatusLine) == t.itext(49) ||
          qobject_cast<QComboBox*>(w.Control(ids::kModelList))->currentIndex() >= 0,
      30000);
  // A click while the worker is busy is not queued: wait for it to be idle.
  const Worker& worker = w.session().worker();
  QTRY_VERIFY_WITH_TIMEOUT(worker.AtRest(), 30000);
  QTRY_VERIFY_WITH_TIMEOUT(w.Control(ids::kReadButton)->isEnabled(), 30000);

  qobject_cast<QPushButton*>(w.Control(ids::kReadButton))->click();
  QTRY_COMPARE_WITH_TIMEOUT(w.surface().ControlText(ids::kReadButton), t.itext(42), 30000);

  const auto asked = [&] {
    return std::count(boxes.texts().begin(), boxes.texts().end(),
                      QString::fromStdString(t.itext(33)));
  };
  w.close();
  QTRY_COMPARE(asked(), 1);
  QVERIFY(w.isVisible());
  QCOMPARE(w.surface().ControlText(ids::kReadButton), t.itext(42));  // still reading

  boxes.SetAnswer(QMessageBox::Ok);
  w.close();
  QTRY_COMPARE(asked(), 2);
  QTRY_VERIFY(!w.isVisible());
  h.Reset();
}

void MainWindowFlowsTest::exitItemClosesWithoutQuestions() {
  BoxWatcher boxes(QMessageBox::Cancel);
  WindowHarness h({}, sim::SpeedKind::Realistic);
  ProgrammerDlg& w = h.window();
  w.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w));
  w.Start();
  h.Settle(200);
  const size_t before = boxes.texts().size();
  w.menu().Action(ids::kExitCommand)->trigger();
  QTRY_VERIFY(!w.isVisible());
  QCOMPARE(boxes.texts().size(), before);
  h.Reset();
}

void MainWindowFlowsTest::secondWindowOnTheSameBaseDirectorySaysSoWhileAnotherBaseDirectoryRuns() {
  const QString program = QStringLiteral(TARNWICK_PORTABLE_DIR "/tarnwick");
  QVERIFY2(QFile::exists(program), "build the tarnwick target first");
  QTemporaryDir runtime, base1, base2;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("XDG_RUNTIME_DIR", runtime.path());
  env.insert("TARNWICK_BOX_LOG", "1");

  // The lock belongs to the base directory the window works in.
  QProcess first;
  first.setProcessEnvironment(env);
  first.start(program, {"--base-dir", base1.path(), "--simulate"});
  QVERIFY(first.waitForStarted());
  const QString lock = base1.path() + "/Tarnwick.exe.lock";
  QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(lock), 20000);

  QProcess second;
  second.setProcessEnvironment(env);
  second.start(program, {"--base-dir", base1.path(), "--simulate"});
  QVERIFY(second.waitForFinished(30000));
  const QString err = QString::fromUtf8(second.readAllStandardError());
  // The new folder has no tables yet: the program's own (English) speak.
  QVERIFY2(err.contains(
               QStringLiteral("BOX [Notice] Tarnwick is already running on this base directory.")),
           qPrintable(err));
  QCOMPARE(first.state(), QProcess::Running);
  QVERIFY(QFile::exists(lock));

  // Another base directory runs side by side with the first.
  QProcess other;
  other.setProcessEnvironment(env);
  other.start(program, {"--base-dir", base2.path(), "--simulate"});
  QVERIFY(other.waitForStarted());
  QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(base2.path() + "/Tarnwick.exe.lock"), 20000);
  QTest::qWait(500);
  QCOMPARE(other.state(), QProcess::Running);
  QVERIFY(!QString::fromUtf8(other.readAllStandardError()).contains(QStringLiteral("already")));
  QCOMPARE(first.state(), QProcess::Running);

  other.kill();
  other.waitForFinished(10000);
  first.kill();
  first.waitForFinished(10000);
}

void MainWindowFlowsTest::readOnlyBaseDirectoryIsSaidNotTakenForASecondWindow() {
  const QString program = QStringLiteral(TARNWICK_PORTABLE_DIR "/tarnwick");
  QVERIFY2(QFile::exists(program), "build the tarnwick target first");
  QTemporaryDir runtime, base;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("XDG_RUNTIME_DIR", runtime.path());
  env.insert("TARNWICK_BOX_LOG", "1");
  const QStringList args = {"--base-dir", base.path(), "--simulate"};
  QProcess window;
  window.setProcessEnvironment(env);
  if (::geteuid() != 0) {
    QVERIFY(QFile::setPermissions(base.path(), QFile::ReadOwner | QFile::ExeOwner));
    window.start(program, args);
  } else {
    // Root writes through permission bits: the folder is mounted read-only
    // in a namespace of the program's own instead.
    if (QProcess::execute("unshare", {"-rm", "true"}) != 0) {
      QSKIP("root needs unshare -rm for a read-only folder, and it is not allowed here");
    }
    const QString readOnly = QStringLiteral(
        "mount --bind \"$1\" \"$1\" && mount -o remount,bind,ro \"$1\" \"$1\" && shift && "
        "exec \"$@\"");
    window.start("unshare",
                 QStringList{"-rm", "sh", "-c", readOnly, "sh", base.path(), program} + args);
  }
  QVERIFY(window.waitForFinished(30000));
  const QString err = QString::fromUtf8(window.readAllStandardError());
  QCOMPARE(window.exitStatus(), QProcess::NormalExit);
  QCOMPARE(window.exitCode(), 1);
  QVERIFY2(err.contains(QStringLiteral("the folder %1 is not writable").arg(base.path())),
           qPrintable(err));
  QVERIFY2(!err.contains(QStringLiteral("already exist")), qPrintable(err));
  QFile::setPermissions(base.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QTEST_MAIN(MainWindowFlowsTest)
#include "main_window_flows.moc"
