// The OTP dialog in the whole window against a virtual GD25D40 (a 256-byte
// OTP area): opened by the menu, what a detection shows and offers, the
// area programmed, verified, read and saved, the lock, and a window closed
// while an OTP job waits on the user or on a stalled box.
#include <QCheckBox>
#include <QMessageBox>
#include <QTest>
#include <vector>

#include "core/app/text_ids.h"
#include "core/device/job.h"
#include "ui/app/main_menu.h"
#include "ui/operations/otp_dialog.h"
#include "window_flow_support.h"

using namespace tarnwick;
using namespace tarnwick::test;

namespace {

constexpr int kAreaSize = 256;
const std::vector<int> kWork = {ids::kOtpLockCheck, ids::kOtpProgramButton, ids::kOtpReadButton,
                                ids::kOtpVerifyButton, ids::kOtpBlankCheckButton};
// What a running job greys.
const std::vector<int> kAllButtons = {ids::kOtpOpenButton,    ids::kOtpDetectButton,
                                      ids::kOtpSaveButton,    ids::kOtpLockCheck,
                                      ids::kOtpProgramButton, ids::kOtpReadButton,
                                      ids::kOtpVerifyButton,  ids::kOtpBlankCheckButton};

bool On(OtpDialog& d, int id) { return d.Control(id)->isEnabled(); }
void Click(OtpDialog& d, int id) { qobject_cast<QAbstractButton*>(d.Control(id))->click(); }
QLineEdit* FileEdit(OtpDialog& d) { return qobject_cast<QLineEdit*>(d.Control(ids::kOtpFileEdit)); }
QCheckBox* LockBox(OtpDialog& d) { return qobject_cast<QCheckBox*>(d.Control(ids::kOtpLockCheck)); }
QStringList LogLines(OtpDialog& d) { return d.logText().split(QLatin1Char('\n')); }
// Empty when the whole group is enabled as `on`, else the first that is not.
QString GroupOff(OtpDialog& d, const std::vector<int>& group, bool on) {
  for (int id : group) {
    if (On(d, id) != on) return QStringLiteral("control %1 %2").arg(id).arg(on ? "off" : "on");
  }
  return {};
}

// A GD25D40 whose content is `content` and whose OTP file sits beside it.
sim::ChipDescription Gd25d40Chip(const QString& content) {
  sim::ChipDescription chip;
  chip.model = "GD25D40";
  chip.id = 0xC83013;
  chip.size = 512u << 10;
  chip.otp.size = kAreaSize;
  chip.contentPath = content.toStdString();
  return chip;
}

// The GD25D40 with its content and OTP file in `dir`; `stalled`: the box
// answers nothing.
std::function<void(sim::BoxDescription&)> Gd25d40(const QString& dir, bool stalled = false) {
  return [dir, stalled](sim::BoxDescription& d) {
    d.chip = Gd25d40Chip(dir + "gd25d40.bin");
    if (stalled) d.faults.scripted.push_back({sim::FaultKind::Stall, {}, 0});
  };
}

QByteArray Area(WindowHarness& h) {
  const std::vector<std::uint8_t> bytes = h.box().OtpContent();
  return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

// Clicks `button` and waits until the job has ended and the dialog shows it.
// False at once for a grey button: it starts nothing.
bool RunOtp(ProgrammerDlg& w, int button) {
  if (!On(w.otpDialog(), button)) return false;
  Click(w.otpDialog(), button);
  return QTest::qWaitFor(
      [&] {
        // Seen at rest first: the job's reports are all posted by then.
        const bool rest = WorkerIdle(w);
        QCoreApplication::processEvents();
        return rest && !w.otpDialog().busy();
      },
      kLongWaitMs);
}

bool OpenOtpDialog(WindowHarness& h) {
  if (!ShowAndStart(h)) return false;
  h.window().menu().Action(ids::kOtpProgramming)->trigger();
  return QTest::qWaitFor([&] { return h.window().otpDialog().isVisible(); }, kLongWaitMs);
}

}  // namespace

class WindowOtpTest : public QObject {
  Q_OBJECT

 private slots:
  void detectProgramVerifyReadAndSave();
  void programmingWithTheLockLocksTheArea();
  void theLockedChipsTickDoesNotLockTheNextChip();
  void aFileLargerThanTheAreaIsWrittenOnlyAfterYes();
  void closeWhileAnOtpJobWaitsEndsPromptly_data();
  void closeWhileAnOtpJobWaitsEndsPromptly();
};

void WindowOtpTest::detectProgramVerifyReadAndSave() {
  BoxWatcher boxes;
  QTemporaryDir chip;
  WindowHarness h({}, sim::SpeedKind::Instant, Gd25d40(chip.path() + '/'));
  QVERIFY(OpenOtpDialog(h));
  ProgrammerDlg& w = h.window();
  OtpDialog& d = w.otpDialog();
  QCOMPARE(d.windowTitle(), Ftext(w, ftext::kOtpTitle));
  QCOMPARE(LockBox(d)->text(), Ftext(w, ftext::kOtpLockCheck));
  // Before a detection only the detection and the file can be chosen.
  QCOMPARE(GroupOff(d, kWork, false), QString());
  QVERIFY(!On(d, ids::kOtpSaveButton) && On(d, ids::kOtpDetectButton));

  // Twice: the second detection replaces the log.
  QVERIFY(RunOtp(w, ids::kOtpDetectButton));
  QVERIFY(RunOtp(w, ids::kOtpDetectButton));
  QCOMPARE(LogLines(d),
           QStringList({Itext(w, itext::kOtpDetecting), "Type:GD25D40", Itext(w, itext::kOtpFound),
                        Itext(w, itext::kOtpSize) + "256bytes",
                        Itext(w, itext::kOtpUnlocked) + "(00)"}));
  QCOMPARE(GroupOff(d, kWork, true), QString());
  QVERIFY(!On(d, ids::kOtpSaveButton));

  // Without a file the program button only tells the user.
  const std::size_t frames = h.box().ReceivedFrames().size();
  Click(d, ids::kOtpProgramButton);
  QCOMPARE(boxes.texts(), std::vector<QString>{Itext(w, itext::kOtpNoProgramFile)});
  QCOMPARE(boxes.captions().front(), Itext(w, itext::kNoticeCaption));
  QVERIFY(WorkerIdle(w));
  QCOMPARE(h.box().ReceivedFrames().size(), frames);

  const QString file = h.base() + "otp.bin";
  const QByteArray data = Pattern(100);
  QVERIFY(WriteAll(file, data));
  ModalScript open;
  open.ChooseFile(file);
  Click(d, ids::kOtpOpenButton);
  QCOMPARE(FileEdit(d)->text(), file);
  QVERIFY(RunOtp(w, ids::kOtpProgramButton));
  QCOMPARE(Area(h).toHex(' '), (data + QByteArray(kAreaSize - 100, '\xFF')).toHex(' '));
  QVERIFY2(d.logText().endsWith(Itext(w, itext::kOtpProgramDone)), qPrintable(d.logText()));
  QVERIFY(!h.box().OtpLocked());
  QVERIFY(RunOtp(w, ids::kOtpVerifyButton));
  QCOMPARE(LogLines(d).last(), Itext(w, itext::kOtpVerifyDone));

  // Read, then saved under a name without a suffix: the chooser adds it.
  QVERIFY(RunOtp(w, ids::kOtpReadButton));
  QCOMPARE(LogLines(d).last(), Itext(w, itext::kOtpReadDone));
  ModalScript save;
  save.ChooseFile(h.base() + "copy");
  QVERIFY(RunOtp(w, ids::kOtpSaveButton));
  QVERIFY(save.Done());
  QCOMPARE(ReadAll(h.base() + "copy.bin").toHex(' '), Area(h).toHex(' '));
  QVERIFY(d.logText().endsWith(',' + Itext(w, itext::kOtpSaved)));
  QVERIFY(!On(d, ids::kOtpSaveButton));
  QCOMPARE(boxes.texts().size(), std::size_t{1});
}

void WindowOtpTest::programmingWithTheLockLocksTheArea() {
  QTemporaryDir chip;
  WindowHarness h({}, sim::SpeedKind::Instant, Gd25d40(chip.path() + '/'));
  QVERIFY(OpenOtpDialog(h));
  ProgrammerDlg& w = h.window();
  OtpDialog& d = w.otpDialog();
  QVERIFY(RunOtp(w, ids::kOtpDetectButton));
  const QString file = h.base() + "otp.bin";
  QVERIFY(WriteAll(file, Pattern(kAreaSize, 3)));
  FileEdit(d)->setText(file);
  LockBox(d)->click();
  QVERIFY(RunOtp(w, ids::kOtpProgramButton));
  QVERIFY(h.box().OtpLocked());
  QCOMPARE(Area(h), Pattern(kAreaSize, 3));
  QVERIFY2(d.logText().contains('\n' + Itext(w, itext::kOtpLockDone)), qPrintable(d.logText()));

  // A new detection shows the lock ticked for good, and programming gone.
  LockBox(d)->click();
  QVERIFY(RunOtp(w, ids::kOtpDetectButton));
  QCOMPARE(LogLines(d).last(), Itext(w, itext::kOtpLocked) + "(80)");
  QVERIFY(LockBox(d)->isChecked());
  QCOMPARE(GroupOff(d, {ids::kOtpLockCheck, ids::kOtpProgramButton}, false), QString());
  QCOMPARE(
      GroupOff(d, {ids::kOtpReadButton, ids::kOtpVerifyButton, ids::kOtpBlankCheckButton}, true),
      QString());
}

void WindowOtpTest::theLockedChipsTickDoesNotLockTheNextChip() {
  QTemporaryDir chip;
  const QString dir = chip.path() + '/';
  // A blank area whose lock is set.
  QVERIFY(WriteAll(dir + "gd25d40.bin.otp", QByteArray(kAreaSize, '\xFF') + '\x01'));
  WindowHarness h({}, sim::SpeedKind::Instant, Gd25d40(dir));
  QVERIFY(OpenOtpDialog(h));
  ProgrammerDlg& w = h.window();
  OtpDialog& d = w.otpDialog();
  QVERIFY(RunOtp(w, ids::kOtpDetectButton));
  QVERIFY(LockBox(d)->isChecked() && !On(d, ids::kOtpLockCheck));

  // The technician puts the next chip in and detects it.
  std::string error;
  QVERIFY2(h.box().SwapChip(Gd25d40Chip(dir + "next.bin"), error), error.c_str());
  QVERIFY(RunOtp(w, ids::kOtpDetectButton));
  QCOMPARE(LogLines(d).last(), Itext(w, itext::kOtpUnlocked) + "(00)");
  QVERIFY(!LockBox(d)->isChecked());
  QCOMPARE(GroupOff(d, kWork, true), QString());

  const QString file = h.base() + "otp.bin";
  QVERIFY(WriteAll(file, Pattern(kAreaSize, 5)));
  FileEdit(d)->setText(file);
  QVERIFY(RunOtp(w, ids::kOtpProgramButton));
  QVERIFY2(d.logText().endsWith(Itext(w, itext::kOtpProgramDone)), qPrintable(d.logText()));
  QCOMPARE(Area(h), Pattern(kAreaSize, 5));
  QVERIFY(!h.box().OtpLocked());
  QVERIFY(!LockBox(d)->isChecked());
}

void WindowOtpTest::aFileLargerThanTheAreaIsWrittenOnlyAfterYes() {
  BoxWatcher boxes(QMessageBox::No);
  QTemporaryDir chip;
  WindowHarness h({}, sim::SpeedKind::Instant, Gd25d40(chip.path() + '/'));
  QVERIFY(OpenOtpDialog(h));
  ProgrammerDlg& w = h.window();
  OtpDialog& d = w.otpDialog();
  QVERIFY(RunOtp(w, ids::kOtpDetectButton));
  const QString file = h.base() + "big.bin";
  const QByteArray data = Pattern(kAreaSize + 1, 8);
  QVERIFY(WriteAll(file, data));
  FileEdit(d)->setText(file);

  QVERIFY(RunOtp(w, ids::kOtpProgramButton));
  QCOMPARE(boxes.texts(), std::vector<QString>{Itext(w, itext::kOtpFileLargerAsk)});
  QCOMPARE(Area(h), QByteArray(kAreaSize, '\xFF'));

  boxes.SetAnswer(QMessageBox::Yes);
  QVERIFY(RunOtp(w, ids::kOtpProgramButton));
  QCOMPARE(Area(h), data.left(kAreaSize));
  QVERIFY2(d.logText().endsWith(Itext(w, itext::kOtpProgramDone)), qPrintable(d.logText()));
}

void WindowOtpTest::closeWhileAnOtpJobWaitsEndsPromptly_data() {
  QTest::addColumn<int>("button");  // what the close interrupts
  QTest::newRow("the not-blank question") << ids::kOtpProgramButton;
  QTest::newRow("the save chooser") << ids::kOtpSaveButton;
  QTest::newRow("a stalled box") << ids::kOtpDetectButton;
}

void WindowOtpTest::closeWhileAnOtpJobWaitsEndsPromptly() {
  QFETCH(int, button);
  const bool stall = button == ids::kOtpDetectButton;
  QTemporaryDir chip;
  const QString dir = chip.path() + '/';
  // A written area, not locked: programming it again asks first.
  QVERIFY(WriteAll(dir + "gd25d40.bin.otp", QByteArray(kAreaSize + 1, '\0')));
  WindowHarness h({}, stall ? sim::SpeedKind::Realistic : sim::SpeedKind::Instant,
                  Gd25d40(dir, stall));
  QVERIFY(OpenOtpDialog(h));
  ProgrammerDlg& w = h.window();
  OtpDialog& d = w.otpDialog();
  if (!stall) QVERIFY(RunOtp(w, ids::kOtpDetectButton) && RunOtp(w, ids::kOtpReadButton));
  QVERIFY(WriteAll(h.base() + "otp.bin", "x"));
  FileEdit(d)->setText(h.base() + "otp.bin");

  // The close comes from inside the box or chooser the job waits on; no
  // button can start another job meanwhile.
  ModalScript script;
  QString greyed;
  QString waitedOn;
  script.Then([&d](QWidget* m) { return m->parentWidget() == &d; },
              [&](QWidget* m) {
                greyed = GroupOff(d, kAllButtons, false);
                auto* box = qobject_cast<QMessageBox*>(m);
                waitedOn = box ? box->text() : QString::fromLatin1(m->metaObject()->className());
                w.close();
              });
  // Programming waits on the not-blank question: the close asks first, and
  // is answered OK.
  bool closeAsked = false;
  QTimer closeAnswer;
  closeAnswer.setInterval(20);
  connect(&closeAnswer, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || box->text() != Itext(w, itext::kCloseWhileProgramming)) return;
    closeAsked = true;
    box->button(QMessageBox::Ok)->click();
  });
  closeAnswer.start();
  Click(d, button);
  if (stall) {
    QTRY_VERIFY_WITH_TIMEOUT(w.session().worker().JobCode() == JobByte(Job::OtpDetect), 10000);
    // Inside the job, every answer timing out.
    QTRY_COMPARE_WITH_TIMEOUT(GroupOff(d, kAllButtons, false), QString(), 10000);
    w.close();
  } else {
    QTRY_COMPARE(waitedOn, button == ids::kOtpProgramButton ? Itext(w, itext::kOtpNotBlankAsk)
                                                            : QStringLiteral("QFileDialog"));
    QCOMPARE(greyed, QString());
  }
  // A hang guard, not a speed goal.
  QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 20000);
  QVERIFY(!d.isVisible() && w.session().WorkerGone());
  // Nothing the dialog opened stays on the screen, waiting to be answered.
  QTRY_VERIFY(QApplication::activeModalWidget() == nullptr);
  QVERIFY(!script.TimedOut());
  QCOMPARE(closeAsked, button == ids::kOtpProgramButton);
  QCOMPARE(Area(h), QByteArray(kAreaSize, '\0'));
  h.Reset();
}

QTEST_MAIN(WindowOtpTest)
#include "window_otp.moc"
