// Closing the window while any job runs on a box of realistic speed: the
// window thread never waits for the worker, the close questions are asked,
// what runs is stopped, and the window goes as soon as the worker has left.
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <algorithm>

#include "core/app/text_ids.h"
#include "core/device/job.h"
#include "core/device/worker.h"
#include "core/operations/batch/batch_plan.h"
#include "core/operations/batch/batch_runner.h"
#include "core/session/session.h"
#include "window_flow_support.h"

using namespace tarnwick;
using namespace tarnwick::test;

class WindowCloseTest : public QObject {
  Q_OBJECT

 private slots:
  void closeDuringEachJobEndsPromptly_data();
  void closeDuringEachJobEndsPromptly();
  void oneQuestionStopsWhicheverStepRunsWhenAnswered();
  void aRunningBatchAsksBeforeItIsStopped();
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

// Auto program asked about while erasing, answered once programming runs: the
// answer stops the programming and no second question follows.
void WindowCloseTest::oneQuestionStopsWhicheverStepRunsWhenAnswered() {
  BoxWatcher boxes(QMessageBox::Ok);
  WindowHarness h({}, sim::SpeedKind::Realistic);
  ProgrammerDlg& w = h.window();
  Session& session = w.session();
  QVERIFY(ShowAndStart(h));
  const QString file = h.base() + "image.bin";
  const QByteArray image = Pattern(4 << 20);
  QVERIFY(WriteAll(file, image));
  QVERIFY(session.LoadUserFile(file.toStdString()));
  bool programmingWhenAnswered = false;
  boxes.onShown = [&] {
    // Keeps the question open until the sequence has gone on to programming
    // and the first bytes are in the chip.
    programmingWhenAnswered = QTest::qWaitFor(
        [&] {
          return session.CloseQuestion() == itext::kCloseWhileProgramming &&
                 h.box().ReadContent(0, 16) ==
                     std::vector<std::uint8_t>(image.begin(), image.begin() + 16);
        },
        60000);
  };
  Button(w, ids::kAutoProgramButton)->click();
  QTRY_VERIFY_WITH_TIMEOUT(session.CloseQuestion() == itext::kCloseWhileErasing, 20000);

  w.close();
  QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 60000);
  QVERIFY(programmingWhenAnswered);
  QCOMPARE(boxes.texts().size(), std::size_t{1});
  QCOMPARE(boxes.texts().front(), Itext(w, itext::kCloseWhileErasing));
  // Stopped part-way: the chip does not hold the whole image.
  const std::vector<std::uint8_t> chip = h.box().ReadContent(0, image.size());
  QVERIFY(!std::equal(chip.begin(), chip.end(), image.begin(),
                      [](std::uint8_t a, char b) { return a == static_cast<std::uint8_t>(b); }));
  const QString log = QString::fromUtf8(ReadAll(h.base() + "log.txt"));
  QVERIFY2(log.contains(Itext(w, itext::kProgramStopped)), qPrintable(log.right(600)));
  h.Reset();
}

// A batch writes a production series: the close asks first, Cancel keeps it
// running, OK stops it and the window goes.
void WindowCloseTest::aRunningBatchAsksBeforeItIsStopped() {
  BoxWatcher boxes(QMessageBox::Cancel);
  WindowHarness h({}, sim::SpeedKind::Realistic);
  ProgrammerDlg& w = h.window();
  Session& session = w.session();
  QVERIFY(ShowAndStart(h));
  const QString master = h.base() + "master.bin";
  QVERIFY(WriteAll(master, Pattern(2 << 20)));
  batch::Fields fields;
  fields.mode = batch::Mode::Repeat;
  fields.masterFile = master.toStdString();
  session.batch().Start(fields);
  QTRY_VERIFY_WITH_TIMEOUT(session.worker().JobCode() == JobByte(Job::BatchStep), 20000);
  QTest::qWait(200);

  w.close();
  QTRY_COMPARE(boxes.texts().size(), std::size_t{1});
  QVERIFY(w.isVisible());
  QVERIFY(session.batch().Running());
  const QString asked = boxes.texts().front();
  QVERIFY2(asked == Itext(w, itext::kCloseWhileErasing) ||
               asked == Itext(w, itext::kCloseWhileProgramming) ||
               asked == Itext(w, itext::kCloseWhileVerifying),
           qPrintable(asked));

  boxes.SetAnswer(QMessageBox::Ok);
  w.close();
  QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 60000);
  QCOMPARE(boxes.texts().size(), std::size_t{2});
  QVERIFY(w.session().WorkerGone());
  h.Reset();
}

QTEST_MAIN(WindowCloseTest)
#include "window_close.moc"
