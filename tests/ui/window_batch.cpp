// The batch dialog in the whole window: opened by the batch button, its
// fields enabled by mode and by a running batch, the checks before a start,
// the list's buttons, a serial-number batch over three chips of a virtual
// socket, and a window closed while a batch runs.
#include <QElapsedTimer>
#include <QListWidget>
#include <QMessageBox>
#include <QTest>
#include <vector>

#include "core/app/text_ids.h"
#include "core/device/job.h"
#include "core/operations/batch/batch_runner.h"
#include "core/operations/batch/batch_texts.h"
#include "ui/app/main_menu.h"
#include "ui/operations/batch_dialog.h"
#include "ui/operations/batch_file_list.h"
#include "window_flow_support.h"

using namespace tarnwick;
using namespace tarnwick::test;

namespace {

template <typename W>
W* Get(BatchDialog& d, int id) {
  return DialogControl<W>(d, id);
}
QLineEdit* Edit(BatchDialog& d, int id) { return Get<QLineEdit>(d, id); }
QComboBox* Combo(BatchDialog& d, int id) { return Get<QComboBox>(d, id); }
void Click(BatchDialog& d, int id) { Get<QPushButton>(d, id)->click(); }
bool On(BatchDialog& d, int id) { return d.Control(id)->isEnabled(); }

// The controls a mode switches.
const std::vector<int> kListGroup = {ids::kBatchFileList,        ids::kBatchAddFilesButton,
                                     ids::kBatchMoveUpButton,    ids::kBatchMoveDownButton,
                                     ids::kBatchDeleteButton,    ids::kBatchSelectAllButton,
                                     ids::kBatchSelectNoneButton};
const std::vector<int> kIdGroup = {ids::kBatchStartIdEdit, ids::kBatchIdLengthList,
                                   ids::kBatchIncrementEdit, ids::kBatchByteOrderList};
const std::vector<int> kMasterGroup = {ids::kBatchMasterEdit, ids::kBatchMasterButton};
std::vector<int> operator+(std::vector<int> a, const std::vector<int>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
// What a running batch locks; the count box and the stop button it unlocks.
const std::vector<int> kLocked =
    kListGroup + kIdGroup + kMasterGroup +
    std::vector<int>{ids::kBatchModeList, ids::kBatchFillAddressEdit, ids::kBatchStartButton};

// Empty when every control of the group is enabled as `on`, else the first
// that is not.
QString GroupOff(BatchDialog& d, const std::vector<int>& group, bool on) {
  for (int id : group) {
    if (On(d, id) != on) return QStringLiteral("control %1 %2").arg(id).arg(on ? "off" : "on");
  }
  return {};
}

// A window started on its virtual box, with the batch dialog opened.
bool OpenBatchDialog(WindowHarness& h) {
  if (!ShowAndStart(h)) return false;
  Button(h.window(), ids::kBatchButton)->click();
  return QTest::qWaitFor([&] { return h.window().batchDialog().isVisible(); }, kLongWaitMs);
}

// The runner's reports reach the dialog through posted work.
bool WaitRunning(WindowHarness& h, bool running) {
  return QTest::qWaitFor(
      [&] {
        h.Settle();
        return h.window().batchDialog().running() == running &&
               h.window().session().batch().Running() == running;
      },
      kLongWaitMs);
}

// The virtual box with chips put into its socket one after another.
std::function<void(sim::BoxDescription&)> Socket(const QString& chipFile, std::uint32_t chips) {
  return [chipFile, chips](sim::BoxDescription& d) {
    d.chip->contentPath = chipFile.toStdString();
    d.socket.chips = chips;
    // The gap between two chips is longer than an identification takes, as
    // a technician's hands are.
    d.socket.removeMs = 100;
    d.socket.insertMs = 500;
  };
}

// The batch steps of the settings menu: only programming, so that a chip on
// the realistic box takes a moment (erasing or verifying its 8 MiB would
// take many seconds).
void ProgramOnly(ProgrammerDlg& w) {
  for (int id : {ids::kBatchEraseSetting, ids::kBatchVerifySetting}) {
    if (w.menu().Action(id)->isChecked()) w.SendCommand(id);
  }
}

// The main window's operation buttons, which a running batch greys.
const std::vector<int> kOperationButtons = {
    ids::kAutoProgramButton, ids::kEraseButton,      ids::kProgramButton, ids::kVerifyButton,
    ids::kReadButton,        ids::kBlankCheckButton, ids::kDetectButton,  ids::kBrowseButton};
QString ButtonsOn(ProgrammerDlg& w, bool on) {
  for (int id : kOperationButtons) {
    if (Button(w, id)->isEnabled() != on) {
      return QStringLiteral("button %1 %2").arg(id).arg(on ? "off" : "on");
    }
  }
  return {};
}

}  // namespace

class WindowBatchTest : public QObject {
  Q_OBJECT

 private slots:
  void batchButtonNeedsAutomaticIdentification();
  void eachModeEnablesItsFields_data();
  void eachModeEnablesItsFields();
  void runningBatchLocksTheFieldsUntilStopped();
  void startChecksPointAtTheField();
  void numbersOutOfRangeStopTheStart_data();
  void numbersOutOfRangeStopTheStart();
  void listButtonsMoveDeleteAndSelect();
  void serialBatchWritesEachChipsId();
  void idThatDoesNotFitItsLengthGetsTheRangePrompt();
  void fastChipSwapOnARealisticBoxRunsThrough();
  void startStaysGreyUntilTheStoppedBatchsChipIsDone();
  void closeDuringBatchEndsPromptly_data();
  void closeDuringBatchEndsPromptly();
};

void WindowBatchTest::batchButtonNeedsAutomaticIdentification() {
  BoxWatcher boxes;
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  QVERIFY(ShowAndStart(h));
  w.SendCommand(ids::kAutoDetectSetting);
  QVERIFY(!w.menu().Action(ids::kAutoDetectSetting)->isChecked());

  Button(w, ids::kBatchButton)->click();
  h.Settle();
  QCOMPARE(boxes.texts().size(), std::size_t{1});
  QCOMPARE(boxes.texts().front(), Itext(w, itext::kBatchNeedsAutoIdentify));
  QVERIFY(!w.batchDialog().isVisible());

  w.SendCommand(ids::kAutoDetectSetting);
  QTest::keyClick(&w, Qt::Key_F2);  // the batch button's key
  QTRY_VERIFY(w.batchDialog().isVisible());
  QCOMPARE(boxes.texts().size(), std::size_t{1});
  BatchDialog& d = w.batchDialog();
  QCOMPARE(d.windowTitle(), Ftext(w, ftext::kBatchTitle));
  QVERIFY(!On(d, ids::kBatchStopButton));

  // The exit button hides it; the batch button brings it back.
  Click(d, ids::kBatchExitButton);
  QVERIFY(!d.isVisible());
  Button(w, ids::kBatchButton)->click();
  QTRY_VERIFY(d.isVisible());
  QTest::keyClick(&d, Qt::Key_Escape);
  QVERIFY(!d.isVisible());
}

void WindowBatchTest::eachModeEnablesItsFields_data() {
  QTest::addColumn<int>("mode");
  QTest::addColumn<bool>("list");
  QTest::addColumn<bool>("fill");
  QTest::addColumn<bool>("idFields");
  QTest::addColumn<bool>("master");
  QTest::newRow("repeat") << 0 << false << false << false << true;
  QTest::newRow("list") << 1 << true << false << false << false;
  QTest::newRow("serial") << 2 << false << true << true << true;
  QTest::newRow("append") << 3 << true << true << false << true;
}

void WindowBatchTest::eachModeEnablesItsFields() {
  QFETCH(int, mode);
  QFETCH(bool, list);
  QFETCH(bool, fill);
  QFETCH(bool, idFields);
  QFETCH(bool, master);
  WindowHarness h;
  QVERIFY(OpenBatchDialog(h));
  BatchDialog& d = h.window().batchDialog();
  // From another mode, so every group has to change back.
  Combo(d, ids::kBatchModeList)->setCurrentIndex((mode + 2) % 4);
  Combo(d, ids::kBatchModeList)->setCurrentIndex(mode);
  QCOMPARE(GroupOff(d, kListGroup, list), QString());
  QCOMPARE(On(d, ids::kBatchFillAddressEdit), fill);
  QCOMPARE(GroupOff(d, kIdGroup, idFields), QString());
  QCOMPARE(GroupOff(d, kMasterGroup, master), QString());
  QCOMPARE(GroupOff(d,
                    {ids::kBatchCountEdit, ids::kBatchModeList, ids::kBatchStartButton,
                     ids::kBatchExitButton, ids::kBatchAutoStartCheck},
                    true),
           QString());
  QVERIFY(!On(d, ids::kBatchStopButton));
}

void WindowBatchTest::runningBatchLocksTheFieldsUntilStopped() {
  // One chip that stays in the socket: after it the batch waits for the next.
  WindowHarness h;
  QVERIFY(OpenBatchDialog(h));
  ProgrammerDlg& w = h.window();
  BatchDialog& d = w.batchDialog();
  const QString master = h.base() + "master.bin";
  QVERIFY(WriteAll(master, Pattern(256)));
  Combo(d, ids::kBatchModeList)->setCurrentIndex(2);  // serial: all but the list on
  d.SetMasterFile(master);
  Click(d, ids::kBatchStartButton);
  QVERIFY(WaitRunning(h, true));

  QCOMPARE(GroupOff(d, kLocked, false), QString());
  QCOMPARE(GroupOff(d,
                    {ids::kBatchCountEdit, ids::kBatchStopButton, ids::kBatchExitButton,
                     ids::kBatchAutoStartCheck},
                    true),
           QString());

  // The count box edited while the batch runs goes to the batch.
  QTRY_COMPARE(Edit(d, ids::kBatchCountEdit)->text(), QStringLiteral("1"));
  QLineEdit* count = Edit(d, ids::kBatchCountEdit);
  count->setFocus();
  count->setText(QStringLiteral("500"));
  QTest::keyClick(count, Qt::Key_Return);
  QTRY_COMPARE(w.session().batch().Count(), 500u);
  QVERIFY(w.session().batch().Running());

  Click(d, ids::kBatchStopButton);
  QVERIFY(WaitRunning(h, false));
  QVERIFY(WaitForJob(w));
  // Back to serial's own table: all but the list.
  QCOMPARE(GroupOff(d, kListGroup, false), QString());
  QCOMPARE(GroupOff(d,
                    kIdGroup + kMasterGroup +
                        std::vector<int>{ids::kBatchModeList, ids::kBatchFillAddressEdit,
                                         ids::kBatchStartButton},
                    true),
           QString());
  QVERIFY(!On(d, ids::kBatchStopButton));
}

void WindowBatchTest::startChecksPointAtTheField() {
  BoxWatcher boxes;
  WindowHarness h;
  QVERIFY(OpenBatchDialog(h));
  BatchDialog& d = h.window().batchDialog();
  // A box the mode disables is not checked: repeat has no increment.
  Edit(d, ids::kBatchIncrementEdit)->setText(QStringLiteral("0"));
  // Repeat without a master file: the master box is marked and focused.
  QVERIFY(d.StartClicked());
  QLineEdit* master = Edit(d, ids::kBatchMasterEdit);
  QTRY_COMPARE(master->text(), QString(21, QLatin1Char('\t')));
  QCOMPARE(master->selectedText(), master->text());
  QCOMPARE(d.focusWidget(), master);
  QVERIFY(!h.window().session().batch().Running());

  // List mode with an empty list: the list gets the focus.
  Combo(d, ids::kBatchModeList)->setCurrentIndex(1);
  QVERIFY(d.StartClicked());
  QTRY_COMPARE(d.focusWidget(), d.Control(ids::kBatchFileList));
  h.Settle(50);
  QVERIFY(!d.running());
  QVERIFY(!On(d, ids::kBatchStopButton));
  QVERIFY(boxes.texts().empty());
}

void WindowBatchTest::numbersOutOfRangeStopTheStart_data() {
  QTest::addColumn<int>("field");
  QTest::addColumn<QString>("text");
  QTest::addColumn<QString>("prompt");
  const QString any = QStringLiteral("Please enter an integer between 0 and 4294967295.");
  QTest::newRow("fill address too large") << ids::kBatchFillAddressEdit << "4294967296" << any;
  QTest::newRow("start ID empty") << ids::kBatchStartIdEdit << "" << any;
  QTest::newRow("increment zero") << ids::kBatchIncrementEdit << "0"
                                  << "Please enter an integer between 1 and 4294967295.";
  QTest::newRow("count too large") << ids::kBatchCountEdit << "9999999999" << any;
}

void WindowBatchTest::numbersOutOfRangeStopTheStart() {
  QFETCH(int, field);
  QFETCH(QString, text);
  QFETCH(QString, prompt);
  BoxWatcher boxes;
  WindowHarness h;
  QVERIFY(OpenBatchDialog(h));
  BatchDialog& d = h.window().batchDialog();
  Combo(d, ids::kBatchModeList)->setCurrentIndex(2);  // serial: every number box on
  Edit(d, field)->setText(text);
  QVERIFY(!d.StartClicked());
  QCOMPARE(boxes.texts().size(), std::size_t{1});
  QCOMPARE(boxes.texts().front(), prompt);
  QCOMPARE(d.focusWidget(), d.Control(field));
  // Had the start gone on, the missing master file would have been marked.
  h.Settle(100);
  QCOMPARE(Edit(d, ids::kBatchMasterEdit)->text(), QString());
  QVERIFY(!d.running());
}

void WindowBatchTest::listButtonsMoveDeleteAndSelect() {
  WindowHarness h;
  QVERIFY(OpenBatchDialog(h));
  BatchDialog& d = h.window().batchDialog();
  Combo(d, ids::kBatchModeList)->setCurrentIndex(1);
  BatchFileList* list = d.fileList();
  const QString dir = h.base();
  for (const char* name : {"b.bin", "D.rom", "a.bin"}) QVERIFY(WriteAll(dir + name, "x"));

  // Two files through the add button's chooser, kept sorted, then one more.
  ModalScript script;
  script.Then([](QWidget* m) { return qobject_cast<QFileDialog*>(m) != nullptr; },
              [dir](QWidget* m) {
                auto* f = qobject_cast<QFileDialog*>(m);
                f->setDirectory(dir);
                f->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
                    ->setText(QStringLiteral("\"D.rom\" \"b.bin\""));
                static_cast<QDialog*>(f)->accept();
              });
  Click(d, ids::kBatchAddFilesButton);
  QVERIFY(script.Done());
  QCOMPARE(list->Paths(), QStringList({dir + "b.bin", dir + "D.rom"}));
  list->AddSorted({dir + "a.bin", dir + "c.bin"});
  const QString a = dir + "a.bin", b = dir + "b.bin", c = dir + "c.bin", D = dir + "D.rom";
  QCOMPARE(list->Paths(), QStringList({a, b, c, D}));

  // Up and down move one selected entry, which stays selected.
  list->SelectOnly(2);
  Click(d, ids::kBatchMoveUpButton);
  QCOMPARE(list->selectedItems().size(), 1);
  Click(d, ids::kBatchMoveUpButton);
  Click(d, ids::kBatchMoveUpButton);  // already first
  QCOMPARE(list->Paths(), QStringList({c, a, b, D}));
  QCOMPARE(list->FirstSelected(), 0);
  Click(d, ids::kBatchMoveDownButton);
  QCOMPARE(list->Paths(), QStringList({a, c, b, D}));
  QCOMPARE(list->FirstSelected(), 1);
  // With two selected nothing moves.
  list->item(3)->setSelected(true);
  Click(d, ids::kBatchMoveDownButton);
  Click(d, ids::kBatchMoveUpButton);
  QCOMPARE(list->Paths(), QStringList({a, c, b, D}));

  // Delete takes every selected entry.
  Click(d, ids::kBatchDeleteButton);
  QCOMPARE(list->Paths(), QStringList({a, b}));
  Click(d, ids::kBatchSelectAllButton);
  QCOMPARE(list->selectedItems().size(), 2);
  Click(d, ids::kBatchSelectNoneButton);
  QCOMPARE(list->FirstSelected(), -1);
}

void WindowBatchTest::serialBatchWritesEachChipsId() {
  QTemporaryDir chips;
  const QString chip = chips.filePath("chip.bin");
  WindowHarness h({}, sim::SpeedKind::Instant, Socket(chip, 3));
  QVERIFY(OpenBatchDialog(h));
  ProgrammerDlg& w = h.window();
  BatchDialog& d = w.batchDialog();
  // The batch steps as the menu has them: all three on by default.
  for (int id : {ids::kBatchEraseSetting, ids::kBatchProgramSetting, ids::kBatchVerifySetting}) {
    QVERIFY(w.menu().Action(id)->isChecked());
  }

  const QString master = h.base() + "master.bin";
  const QByteArray content = Pattern(0x20);
  QVERIFY(WriteAll(master, content));
  Combo(d, ids::kBatchModeList)->setCurrentIndex(2);
  ModalScript script;
  script.ChooseFile(master);
  Click(d, ids::kBatchMasterButton);
  QVERIFY(script.Done());
  QCOMPARE(Edit(d, ids::kBatchMasterEdit)->text(), master);
  // The fill address starts as the master's length.
  QCOMPARE(Edit(d, ids::kBatchFillAddressEdit)->text(), QStringLiteral("32"));
  Edit(d, ids::kBatchFillAddressEdit)->setText(QStringLiteral("16"));
  Edit(d, ids::kBatchStartIdEdit)->setText(QStringLiteral("100"));
  Edit(d, ids::kBatchIncrementEdit)->setText(QStringLiteral("5"));
  Combo(d, ids::kBatchIdLengthList)->setCurrentIndex(1);   // 2 bytes
  Combo(d, ids::kBatchByteOrderList)->setCurrentIndex(1);  // big-endian
  Click(d, ids::kBatchStartButton);
  QVERIFY(WaitRunning(h, true));
  // The count takes the start ID.
  QTRY_COMPARE(Edit(d, ids::kBatchCountEdit)->text(), QStringLiteral("100"));

  // Three chips, then the batch waits for a fourth that never comes.
  QVERIFY(QTest::qWaitFor(
      [&] {
        h.Settle();
        return w.session().batch().ChipsDone() == 3;
      },
      kLongWaitMs));
  QTRY_COMPARE(Edit(d, ids::kBatchCountEdit)->text(), QStringLiteral("115"));
  // While it waits, the window's operations are grey: the batch holds the box.
  QCOMPARE(ButtonsOn(w, false), QString());
  Click(d, ids::kBatchStopButton);
  QVERIFY(WaitRunning(h, false));
  QVERIFY(WaitForJob(w));
  QTRY_COMPARE(ButtonsOn(w, true), QString());

  const char* files[] = {"chip.bin", "chip-2.bin", "chip-3.bin"};
  const unsigned char idLow[] = {0x64, 0x69, 0x6E};
  for (int k = 0; k < 3; ++k) {
    const QByteArray chipData = ReadAll(chips.filePath(files[k])).left(0x20);
    QByteArray expected = content;
    expected[0x10] = 0x00;
    expected[0x11] = static_cast<char>(idLow[k]);
    QCOMPARE(chipData.toHex(' '), expected.toHex(' '));
  }
  QVERIFY(!w.session().batch().ReportFailed());

  // ID 105 is in the production record for this master: no chip gets it again.
  BoxWatcher boxes;
  Edit(d, ids::kBatchCountEdit)->setText(QStringLiteral("105"));
  QVERIFY(d.StartClicked());
  QTRY_COMPARE(boxes.texts().size(), std::size_t{1});
  QVERIFY(
      boxes.texts().front().startsWith(QStringLiteral("The production record already has the ID")));
  QCOMPARE(d.focusWidget(), d.Control(ids::kBatchCountEdit));
  QVERIFY(!d.running());
  QVERIFY(!w.session().batch().Running());
  h.Reset();
}

void WindowBatchTest::idThatDoesNotFitItsLengthGetsTheRangePrompt() {
  BoxWatcher boxes;
  WindowHarness h;
  QVERIFY(OpenBatchDialog(h));
  BatchDialog& d = h.window().batchDialog();
  Combo(d, ids::kBatchModeList)->setCurrentIndex(2);
  Combo(d, ids::kBatchIdLengthList)->setCurrentIndex(0);  // 1 byte
  Edit(d, ids::kBatchStartIdEdit)->setText(QStringLiteral("256"));
  QVERIFY(!d.StartClicked());
  Combo(d, ids::kBatchIdLengthList)->setCurrentIndex(1);  // 2 bytes
  Edit(d, ids::kBatchStartIdEdit)->setText(QStringLiteral("0"));
  Edit(d, ids::kBatchCountEdit)->setText(QStringLiteral("65536"));
  QVERIFY(!d.StartClicked());
  QCOMPARE(boxes.texts(),
           (std::vector<QString>{QStringLiteral("Please enter an integer between 0 and 255."),
                                 QStringLiteral("Please enter an integer between 0 and 65535.")}));
  QCOMPARE(d.focusWidget(), d.Control(ids::kBatchCountEdit));
  QVERIFY(!d.running());
}

void WindowBatchTest::fastChipSwapOnARealisticBoxRunsThrough() {
  QTemporaryDir chips;
  const QString chip = chips.filePath("chip.bin");
  WindowHarness h({}, sim::SpeedKind::Realistic, [&](sim::BoxDescription& b) {
    Socket(chip, 3)(b);
    b.chip->fill = sim::ContentFill::Blank;
    // A handler's swap: faster than one look at the socket.
    b.socket.removeMs = 50;
    b.socket.insertMs = 50;
  });
  QVERIFY(OpenBatchDialog(h));
  ProgrammerDlg& w = h.window();
  ProgramOnly(w);
  BatchDialog& d = w.batchDialog();
  const QString master = h.base() + "master.bin";
  QVERIFY(WriteAll(master, Pattern(0x20)));
  Combo(d, ids::kBatchModeList)->setCurrentIndex(2);
  d.SetMasterFile(master);
  Edit(d, ids::kBatchFillAddressEdit)->setText(QStringLiteral("16"));
  Edit(d, ids::kBatchStartIdEdit)->setText(QStringLiteral("1"));
  Combo(d, ids::kBatchIdLengthList)->setCurrentIndex(0);  // 1 byte
  Click(d, ids::kBatchStartButton);
  QVERIFY(WaitRunning(h, true));
  QVERIFY(QTest::qWaitFor(
      [&] {
        h.Settle();
        return w.session().batch().ChipsDone() == 3;
      },
      kLongWaitMs));
  Click(d, ids::kBatchStopButton);
  QVERIFY(WaitRunning(h, false));
  QVERIFY(WaitForJob(w));
  const char* files[] = {"chip.bin", "chip-2.bin", "chip-3.bin"};
  for (int k = 0; k < 3; ++k) {
    QCOMPARE(ReadAll(chips.filePath(files[k])).at(0x10), static_cast<char>(k + 1));
  }
  h.Reset();
}

void WindowBatchTest::startStaysGreyUntilTheStoppedBatchsChipIsDone() {
  QTemporaryDir chips;
  WindowHarness h({}, sim::SpeedKind::Realistic, [&](sim::BoxDescription& b) {
    b.chip->contentPath = chips.filePath("chip.bin").toStdString();
    b.chip->fill = sim::ContentFill::Blank;
  });
  QVERIFY(OpenBatchDialog(h));
  ProgrammerDlg& w = h.window();
  ProgramOnly(w);
  BatchDialog& d = w.batchDialog();
  const QString master = h.base() + "master.bin";
  QVERIFY(WriteAll(master, Pattern(1 << 20)));
  d.SetMasterFile(master);
  Click(d, ids::kBatchStartButton);
  QVERIFY(WaitRunning(h, true));
  QTRY_VERIFY_WITH_TIMEOUT(h.box().BytesTaken() > 0, kLongWaitMs);

  // Stop while the chip is being programmed: the chip is finished first, and
  // until then the batch cannot be started again.
  Click(d, ids::kBatchStopButton);
  QVERIFY(!On(d, ids::kBatchStopButton));
  h.Settle(100);
  QVERIFY(w.session().batch().StepRunning());
  QVERIFY(!On(d, ids::kBatchStartButton));
  QVERIFY(WaitRunning(h, false));
  QVERIFY(On(d, ids::kBatchStartButton));
  // The chip counted in its own batch.
  QCOMPARE(w.session().batch().ChipsDone(), 1);
  QTRY_COMPARE(Edit(d, ids::kBatchCountEdit)->text(), QStringLiteral("1"));
  QVERIFY(WaitForJob(w));
  h.Reset();
}

void WindowBatchTest::closeDuringBatchEndsPromptly_data() {
  QTest::addColumn<int>("speed");
  QTest::addColumn<bool>("waitingForChip");
  // Realistic speed: the close comes while a chip is being programmed.
  QTest::newRow("programming a chip") << int(sim::SpeedKind::Realistic) << false;
  QTest::newRow("waiting for the next chip") << int(sim::SpeedKind::Instant) << true;
}

void WindowBatchTest::closeDuringBatchEndsPromptly() {
  QFETCH(int, speed);
  QFETCH(bool, waitingForChip);
  BoxWatcher boxes(QMessageBox::Ok);  // OK to every close question
  QTemporaryDir chips;
  WindowHarness h({}, static_cast<sim::SpeedKind>(speed), [&](sim::BoxDescription& d) {
    // Chips that stay in the socket: after one the batch waits for ever.
    d.chip->contentPath = chips.filePath("chip.bin").toStdString();
    d.socket.chips = 3;
  });
  QVERIFY(OpenBatchDialog(h));
  ProgrammerDlg& w = h.window();
  BatchDialog& d = w.batchDialog();
  const QString master = h.base() + "master.bin";
  QVERIFY(WriteAll(master, Pattern(1 << 20)));
  d.SetMasterFile(master);
  Click(d, ids::kBatchStartButton);
  QVERIFY(WaitRunning(h, true));
  if (waitingForChip) {
    QTRY_VERIFY_WITH_TIMEOUT(w.session().batch().ChipsDone() == 1, kLongWaitMs);
  } else {
    QTRY_VERIFY_WITH_TIMEOUT(w.session().worker().JobCode() == JobByte(Job::BatchStep),
                             kLongWaitMs);
    QTest::qWait(100);  // well inside the chip's steps
  }

  QElapsedTimer timer;
  timer.start();
  w.close();
  // A hang guard, not a speed goal.
  QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 20000);
  QVERIFY(!d.isVisible());
  QVERIFY(w.session().WorkerGone());
  QVERIFY(!w.session().batch().Running());
  qInfo("closed %lld ms after the close", timer.elapsed());
  h.Reset();
}

QTEST_MAIN(WindowBatchTest)
#include "window_batch.moc"
