// Closing the window while any job runs on a box of realistic speed: the
// window thread never waits for the worker, the close questions are asked,
// what runs is stopped, and the window goes as soon as the worker has left.
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "core/device/job.h"
#include "core/device/worker.h"
#include "core/session/session.h"
#include "window_flow_support.h"

using namespace tarnwick;
using namespace tarnwick::test;

class WindowCloseTest : public QObject {
  Q_OBJECT

 private slots:
  void closeDuringEachJobEndsPromptly_data();
  void closeDuringEachJobEndsPromptly();
};

void WindowCloseTest::closeDuringEachJobEndsPromptly_data() {
  QTest::addColumn<int>("button");
  QTest::addColumn<int>("job");
  QTest::addColumn<bool>("needsFile");
  QTest::newRow("blank check") << ids::kBlankCheckButton << int(JobByte(Job::BlankCheck)) << false;
  QTest::newRow("detection") << ids::kDetectButton << int(JobByte(Job::DetectUser)) << false;
  QTest::newRow("read") << ids::kReadButton << int(JobByte(Job::Read)) << false;
  QTest::newRow("erase") << ids::kEraseButton << int(JobByte(Job::Erase)) << false;
  QTest::newRow("program") << ids::kProgramButton << int(JobByte(Job::Program)) << true;
  QTest::newRow("verify") << ids::kVerifyButton << int(JobByte(Job::Verify)) << true;
  QTest::newRow("auto") << ids::kAutoProgramButton << int(JobByte(Job::AutoProgram)) << true;
}

void WindowCloseTest::closeDuringEachJobEndsPromptly() {
  QFETCH(int, button);
  QFETCH(int, job);
  QFETCH(bool, needsFile);
  BoxWatcher boxes(QMessageBox::Ok);  // OK to every close question
  WindowHarness h({}, sim::SpeedKind::Realistic);
  ProgrammerDlg& w = h.window();
  QVERIFY(ShowAndStart(h));
  if (needsFile) {
    const QString file = h.base() + "image.bin";
    QVERIFY(WriteAll(file, Pattern(4 << 20)));
    QVERIFY(w.session().LoadUserFile(file.toStdString()));
  }
  Button(w, button)->click();
  QTRY_VERIFY_WITH_TIMEOUT(w.session().worker().JobCode() == job, 10000);
  QTest::qWait(100);  // well inside the job

  QElapsedTimer timer;
  timer.start();
  w.close();
  // A hang guard, not a speed goal: the worker stops at its next step.
  QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 20000);
  QVERIFY(w.session().WorkerGone());
  qInfo("closed %lld ms after the close during job %d", timer.elapsed(), job);
  h.Reset();
}

QTEST_MAIN(WindowCloseTest)
#include "window_close.moc"
