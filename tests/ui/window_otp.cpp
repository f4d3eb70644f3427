// The OTP dialog in the whole window against a virtual GD25D40 (a 256-byte
// OTP area): opened by the menu, what a detection shows and offers, the
// notices of a missing file, programming, verifying, reading and saving the
// area, the lock, the greying while a job runs, and a window closed while an
// OTP job waits on the user or on a stalled box.
#include <QCheckBox>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTest>
#include <vector>

#include "core/app/text_ids.h"
#include "core/device/job.h"
#include "core/operations/otp/otp_programmer.h"
#include "ui/app/main_menu.h"
#include "ui/operations/otp_dialog.h"
#include "window_flow_support.h"

using namespace tarnwick;
using namespace tarnwick::test;

namespace {

constexpr int kAreaSize = 256;

// Every button of the dialog, and what a detection of an unlocked area
// turns on.
const std::vector<int> kAllButtons = {
    ids::kOtpOpenButton,    ids::kOtpLockCheck,    ids::kOtpDetectButton, ids::kOtpBlankCheckButton,
    ids::kOtpProgramButton, ids::kOtpVerifyButton, ids::kOtpReadButton,   ids::kOtpSaveButton};
const std::vector<int> kWork = {ids::kOtpLockCheck, ids::kOtpProgramButton, ids::kOtpReadButton,
                                ids::kOtpVerifyButton, ids::kOtpBlankCheckButton};

std::vector<int> operator+(std::vector<int> a, const std::vector<int>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

bool On(OtpDialog& d, int id) { return d.Control(id)->isEnabled(); }
void Click(OtpDialog& d, int id) { qobject_cast<QAbstractButton*>(d.Control(id))->click(); }
QLineEdit* FileEdit(OtpDialog& d) { return qobject_cast<QLineEdit*>(d.Control(ids::kOtpFileEdit)); }
QCheckBox* LockBox(OtpDialog& d) { return qobject_cast<QCheckBox*>(d.Control(ids::kOtpLockCheck)); }
QStringList LogLines(OtpDialog& d) { return d.logText().split(QLatin1Char('\n')); }

// Empty when every control of the group is enabled as `on`, else the first
// that is not.
QString GroupOff(OtpDialog& d, const std::vector<int>& group, bool on) {
  for (int id : group) {
    if (On(d, id) != on) return QStringLiteral("control %1 %2").arg(id).arg(on ? "off" : "on");
  }
  return {};
}

// A GigaDevice GD25D40 in the socket, its content and OTP file in `dir`.
std::function<void(sim::BoxDescription&)> Gd25d40(const QString& dir, bool stalled = false) {
  return [dir, stalled](sim::BoxDescription& d) {
    sim::ChipDescription chip;
    chip.model = "GD25D40";
    chip.id = 0xC83013;
    chip.size = 512u << 10;
    chip.otp.size = kAreaSize;
    chip.contentPath = (dir + "gd25d40.bin").toStdString();
    chip.fill = sim::ContentFill::Blank;
    d.chip = chip;
    if (stalled) d.faults.scripted.push_back({sim::FaultKind::Stall, {}, 0});
  };
}

QByteArray Area(WindowHarness& h) {
  const std::vector<std::uint8_t> bytes = h.box().OtpContent();
  return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

// Until the job a click started has ended and the dialog shows its end.
bool WaitOtp(ProgrammerDlg& w) {
  return QTest::qWaitFor(
      [&] {
        // Seen at rest first: the job's reports are all posted by then.
        const bool rest = WorkerIdle(w);
        QCoreApplication::processEvents();
        return rest && !w.otpDialog().busy();
      },
      kLongWaitMs);
}

// A window started on its virtual box, with the OTP dialog opened by its
// menu item.
bool OpenOtpDialog(WindowHarness& h) {
  if (!ShowAndStart(h)) return false;
  h.window().menu().Action(ids::kOtpProgramming)->trigger();
  return QTest::qWaitFor([&] { return h.window().otpDialog().isVisible(); }, kLongWaitMs);
}

bool Detect(WindowHarness& h) {
  Click(h.window().otpDialog(), ids::kOtpDetectButton);
  return WaitOtp(h.window());
}

// The file to program or verify, chosen through the open button.
bool ChooseFile(OtpDialog& d, const QString& path) {
  ModalScript script;
  script.ChooseFile(path);
  Click(d, ids::kOtpOpenButton);
  return script.Done() && FileEdit(d)->text() == path;
}

}  // namespace

class WindowOtpTest : public QObject {
  Q_OBJECT

 private slots:
  void menuOpensTheDialogWithOnlyDetectionOffered();
  void detectionLogsTheAreaAndOffersTheWork();
  void fileButtonsWithoutAFileOnlyTellTheUser_data();
  void fileButtonsWithoutAFileOnlyTellTheUser();
  void programVerifyReadAndSaveTheArea();
  void notBlankQuestionWhileEverythingIsGreyed();
  void programmingWithTheLockLocksTheArea();
  void closeDuringAnOtpJobEndsPromptly_data();
  void closeDuringAnOtpJobEndsPromptly();
};

void WindowOtpTest::menuOpensTheDialogWithOnlyDetectionOffered() {
  WindowHarness h;  // the default box: its EN25Q64 has an OTP area too
  ProgrammerDlg& w = h.window();
  QVERIFY(!w.otpDialog().isVisible());
  QVERIFY(OpenOtpDialog(h));
  OtpDialog& d = w.otpDialog();
  QCOMPARE(d.windowTitle(), Ftext(w, ftext::kOtpTitle));
  QCOMPARE(qobject_cast<QAbstractButton*>(d.Control(ids::kOtpDetectButton))->text(),
           Ftext(w, ftext::kOtpDetect));
  QCOMPARE(LockBox(d)->text(), Ftext(w, ftext::kOtpLockCheck));
  QCOMPARE(GroupOff(d, {ids::kOtpDetectButton, ids::kOtpOpenButton}, true), QString());
  QCOMPARE(GroupOff(d, kWork, false), QString());
  QVERIFY(!On(d, ids::kOtpSaveButton));

  // Escape hides it; the menu brings the same dialog back.
  QTest::keyClick(&d, Qt::Key_Escape);
  QVERIFY(!d.isVisible());
  w.menu().Action(ids::kOtpProgramming)->trigger();
  QTRY_VERIFY(d.isVisible());
  QCOMPARE(&w.otpDialog(), &d);
}

void WindowOtpTest::detectionLogsTheAreaAndOffersTheWork() {
  WindowHarness h({}, sim::SpeedKind::Instant, Gd25d40(QString()));
  QVERIFY(OpenOtpDialog(h));
  ProgrammerDlg& w = h.window();
  OtpDialog& d = w.otpDialog();
  QVERIFY(Detect(h));
  const QStringList expected = {Itext(w, itext::kOtpDetecting), QStringLiteral("Type:GD25D40"),
                                Itext(w, itext::kOtpFound),
                                Itext(w, itext::kOtpSize) + QStringLiteral("256bytes"),
                                Itext(w, itext::kOtpUnlocked) + QStringLiteral("(00)")};
  QCOMPARE(LogLines(d), expected);
  QCOMPARE(GroupOff(d, kWork, true), QString());
  QVERIFY(!LockBox(d)->isChecked());
  // Nothing read yet: nothing to save.
  QVERIFY(!On(d, ids::kOtpSaveButton));

  // A second detection replaces the log instead of adding to it.
  QVERIFY(Detect(h));
  QCOMPARE(LogLines(d), expected);
}

void WindowOtpTest::fileButtonsWithoutAFileOnlyTellTheUser_data() {
  QTest::addColumn<int>("button");
  QTest::addColumn<int>("notice");
  QTest::newRow("program") << ids::kOtpProgramButton << itext::kOtpNoProgramFile;
  QTest::newRow("verify") << ids::kOtpVerifyButton << itext::kOtpNoVerifyFile;
}

void WindowOtpTest::fileButtonsWithoutAFileOnlyTellTheUser() {
  QFETCH(int, button);
  QFETCH(int, notice);
  BoxWatcher boxes;
  QTemporaryDir chip;
  WindowHarness h({}, sim::SpeedKind::Instant, Gd25d40(chip.path() + '/'));
  QVERIFY(OpenOtpDialog(h));
  ProgrammerDlg& w = h.window();
  OtpDialog& d = w.otpDialog();
  QVERIFY(Detect(h));
  const QString log = d.logText();
  const std::size_t frames = h.box().ReceivedFrames().size();

  Click(d, button);
  QCOMPARE(boxes.texts(), std::vector<QString>{Itext(w, notice)});
  QCOMPARE(boxes.captions(), std::vector<QString>{Itext(w, itext::kNoticeCaption)});
  QVERIFY(WorkerIdle(w));
  h.Settle();
  QCOMPARE(h.box().ReceivedFrames().size(), frames);
  QCOMPARE(d.logText(), log);
  QCOMPARE(Area(h), QByteArray(kAreaSize, '\xFF'));
}

void WindowOtpTest::programVerifyReadAndSaveTheArea() {
  BoxWatcher boxes(QMessageBox::Yes);  // yes, replace the saved file
  QTemporaryDir chip;
  WindowHarness h({}, sim::SpeedKind::Instant, Gd25d40(chip.path() + '/'));
  QVERIFY(OpenOtpDialog(h));
  ProgrammerDlg& w = h.window();
  OtpDialog& d = w.otpDialog();
  QVERIFY(Detect(h));
  const QString file = h.base() + "otp.bin";
  const QByteArray data = Pattern(100);
  QVERIFY(WriteAll(file, data));
  QVERIFY(ChooseFile(d, file));

  Click(d, ids::kOtpProgramButton);
  QVERIFY(WaitOtp(w));
  QCOMPARE(Area(h).toHex(' '), (data + QByteArray(kAreaSize - 100, '\xFF')).toHex(' '));
  QVERIFY(!h.box().OtpLocked());
  QVERIFY2(d.logText().endsWith(Itext(w, itext::kOtpProgramDone)), qPrintable(d.logText()));
  QCOMPARE(GroupOff(d, kWork, true), QString());

  Click(d, ids::kOtpVerifyButton);
  QVERIFY(WaitOtp(w));
  QVERIFY2(d.logText().endsWith('\n' + Itext(w, itext::kOtpVerifyDone)), qPrintable(d.logText()));
  // What was compared can be saved.
  QVERIFY(On(d, ids::kOtpSaveButton));

  // Read, then save under a name without a suffix: the chooser adds it.
  Click(d, ids::kOtpReadButton);
  QVERIFY(WaitOtp(w));
  QVERIFY2(d.logText().endsWith('\n' + Itext(w, itext::kOtpReadDone)), qPrintable(d.logText()));
  QVERIFY(On(d, ids::kOtpSaveButton));
  const QString saved = h.base() + "copy";
  ModalScript script;
  script.ChooseFile(saved);
  Click(d, ids::kOtpSaveButton);
  QVERIFY(WaitOtp(w));
  QVERIFY(script.Done());
  QCOMPARE(ReadAll(saved + ".bin").toHex(' '), Area(h).toHex(' '));
  QVERIFY(d.logText().endsWith(',' + Itext(w, itext::kOtpSaved)));
  QVERIFY(!On(d, ids::kOtpSaveButton));
  QVERIFY(boxes.texts().empty());

  // Saved again over the same file: the chooser asks first.
  Click(d, ids::kOtpReadButton);
  QVERIFY(WaitOtp(w));
  QVERIFY(WriteAll(saved + ".bin", "old"));
  ModalScript again;
  again.ChooseFile(saved + ".bin");
  Click(d, ids::kOtpSaveButton);
  QVERIFY(WaitOtp(w));
  QVERIFY(again.Done());
  QCOMPARE(boxes.texts().size(), std::size_t{1});
  QCOMPARE(ReadAll(saved + ".bin").size(), kAreaSize);
}

void WindowOtpTest::notBlankQuestionWhileEverythingIsGreyed() {
  BoxWatcher boxes(QMessageBox::No);
  QTemporaryDir chip;
  WindowHarness h({}, sim::SpeedKind::Instant, Gd25d40(chip.path() + '/'));
  QVERIFY(OpenOtpDialog(h));
  ProgrammerDlg& w = h.window();
  OtpDialog& d = w.otpDialog();
  QVERIFY(Detect(h));
  const QString file = h.base() + "otp.bin";
  QVERIFY(WriteAll(file, QByteArray(16, '\0')));
  FileEdit(d)->setText(file);
  Click(d, ids::kOtpProgramButton);
  QVERIFY(WaitOtp(w));
  QCOMPARE(Area(h).left(17), QByteArray(16, '\0') + '\xFF');

  // The area is no longer blank: the question comes while the job runs,
  // and the user can start nothing else meanwhile.
  QVERIFY(WriteAll(file, QByteArray(16, '\x55')));
  QString greyed = QStringLiteral("not asked");
  boxes.onShown = [&] { greyed = GroupOff(d, kAllButtons, false); };
  Click(d, ids::kOtpProgramButton);
  QVERIFY(WaitOtp(w));
  QCOMPARE(boxes.texts(), std::vector<QString>{Itext(w, itext::kOtpNotBlankAsk)});
  QCOMPARE(greyed, QString());
  // No: nothing written, and the log tells where the area was not blank.
  QCOMPARE(Area(h).left(17), QByteArray(16, '\0') + '\xFF');
  QVERIFY2(LogLines(d).last().startsWith(Itext(w, itext::kOtpBlankFailed) + "000H:00H"),
           qPrintable(d.logText()));
  // After the job the buttons are as the core last left them.
  QCOMPARE(GroupOff(d, kWork + std::vector<int>{ids::kOtpDetectButton, ids::kOtpOpenButton}, true),
           QString());
  QVERIFY(!On(d, ids::kOtpSaveButton));
}

void WindowOtpTest::programmingWithTheLockLocksTheArea() {
  QTemporaryDir chip;
  WindowHarness h({}, sim::SpeedKind::Instant, Gd25d40(chip.path() + '/'));
  QVERIFY(OpenOtpDialog(h));
  ProgrammerDlg& w = h.window();
  OtpDialog& d = w.otpDialog();
  QVERIFY(Detect(h));
  const QString file = h.base() + "otp.bin";
  QVERIFY(WriteAll(file, Pattern(kAreaSize, 3)));
  FileEdit(d)->setText(file);
  LockBox(d)->click();
  Click(d, ids::kOtpProgramButton);
  QVERIFY(WaitOtp(w));
  QVERIFY(h.box().OtpLocked());
  QCOMPARE(Area(h), Pattern(kAreaSize, 3));
  // The lock's notice on a line of its own, after the programming dots.
  const QStringList log = LogLines(d);
  const qsizetype lockLine = log.indexOf(QRegularExpression(
      QStringLiteral("^") + QRegularExpression::escape(Itext(w, itext::kOtpLockDone))));
  QVERIFY2(lockLine > 0 && log[lockLine - 1].endsWith(QLatin1Char('.')), qPrintable(d.logText()));
  QVERIFY(d.logText().endsWith(Itext(w, itext::kOtpProgramDone)));

  // A new detection shows the lock ticked for good, and programming gone.
  LockBox(d)->click();
  QVERIFY(!LockBox(d)->isChecked());
  QVERIFY(Detect(h));
  QCOMPARE(LogLines(d).last(), Itext(w, itext::kOtpLocked) + QStringLiteral("(80)"));
  QVERIFY(LockBox(d)->isChecked());
  QVERIFY(!On(d, ids::kOtpLockCheck));
  QVERIFY(!On(d, ids::kOtpProgramButton));
  QCOMPARE(
      GroupOff(d, {ids::kOtpReadButton, ids::kOtpVerifyButton, ids::kOtpBlankCheckButton}, true),
      QString());
}

void WindowOtpTest::closeDuringAnOtpJobEndsPromptly_data() {
  QTest::addColumn<QString>("waitingOn");
  QTest::newRow("the not-blank question") << QStringLiteral("question");
  QTest::newRow("the save chooser") << QStringLiteral("chooser");
  QTest::newRow("a stalled box") << QStringLiteral("stall");
}

void WindowOtpTest::closeDuringAnOtpJobEndsPromptly() {
  QFETCH(QString, waitingOn);
  const bool stall = waitingOn == QLatin1String("stall");
  QTemporaryDir chip;
  const QString dir = chip.path() + '/';
  // A written area, not locked: programming it again asks first.
  QVERIFY(WriteAll(dir + "gd25d40.bin.otp", QByteArray(kAreaSize + 1, '\0')));
  WindowHarness h({}, stall ? sim::SpeedKind::Realistic : sim::SpeedKind::Instant,
                  Gd25d40(dir, stall));
  QVERIFY(OpenOtpDialog(h));
  ProgrammerDlg& w = h.window();
  OtpDialog& d = w.otpDialog();

  QElapsedTimer timer;
  bool closed = false;
  auto closeWindow = [&] {
    closed = true;
    timer.start();
    w.close();
  };
  // The close comes from inside the box or chooser the job waits on; the
  // job asks no close question.
  ModalScript script;
  QString seen;  // what was open when the window closed
  auto ownedByDialog = [&d](QWidget* m) { return m->parentWidget() == &d; };
  if (stall) {
    // Every answer of the box times out.
    Click(d, ids::kOtpDetectButton);
    QTRY_VERIFY_WITH_TIMEOUT(w.session().worker().JobCode() == JobByte(Job::OtpDetect), 10000);
    QTest::qWait(100);  // well inside the job
    closeWindow();
  } else {
    QVERIFY(Detect(h));
    script.Then(ownedByDialog, [&](QWidget* m) {
      if (auto* box = qobject_cast<QMessageBox*>(m)) seen = box->text();
      if (qobject_cast<QFileDialog*>(m) != nullptr) seen = QStringLiteral("chooser");
      closeWindow();
    });
    if (waitingOn == QLatin1String("question")) {
      QVERIFY(WriteAll(h.base() + "otp.bin", "x"));
      FileEdit(d)->setText(h.base() + "otp.bin");
      Click(d, ids::kOtpProgramButton);
    } else {
      Click(d, ids::kOtpReadButton);
      QVERIFY(WaitOtp(w));
      Click(d, ids::kOtpSaveButton);
    }
  }
  if (!stall) {
    QTRY_VERIFY(closed);
    QCOMPARE(seen, waitingOn == QLatin1String("question") ? Itext(w, itext::kOtpNotBlankAsk)
                                                          : QStringLiteral("chooser"));
  }
  // A hang guard, not a speed goal.
  QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 20000);
  QVERIFY(closed);
  QVERIFY(!script.TimedOut());
  QVERIFY(!d.isVisible());
  QVERIFY(w.session().WorkerGone());
  // Nothing the dialog opened stays on the screen.
  QTRY_VERIFY(QApplication::activeModalWidget() == nullptr);
  QCOMPARE(Area(h), QByteArray(kAreaSize, '\0'));
  qInfo("closed %lld ms after the close", timer.elapsed());
  h.Reset();
}

QTEST_MAIN(WindowOtpTest)
#include "window_otp.moc"
