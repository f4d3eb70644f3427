// The buffer tools in the whole window against the virtual box: each dialog
// opens from its menu item and does its job as the user sees it in the hex
// view (go to moves the focus cell, file fill changes the bytes, find marks
// a hit and find next moves on, data view shows the chip's byte), and the
// window closes while a search waits at a hit or a data view waits for the
// worker.
#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QScreen>
#include <QTest>

#include "core/app/text_ids.h"
#include "core/buffers/file_image.h"
#include "core/device/job.h"
#include "protocol/protocol.h"
#include "ui/app/main_menu.h"
#include "ui/buffers/buffer_tool_dialogs.h"
#include "ui/buffers/data_view_dialog.h"
#include "ui/buffers/file_fill_dialog.h"
#include "ui/buffers/find_dialog.h"
#include "ui/buffers/go_to_dialog.h"
#include "ui/grid/grid_cell.h"
#include "window_flow_support.h"

using namespace tarnwick;
using namespace tarnwick::test;

namespace {

template <typename W>
W* Get(QDialog& d, int id) {
  return d.findChild<W*>(QStringLiteral("ctl%1").arg(id));
}
QLineEdit* Edit(QDialog& d, int id) { return Get<QLineEdit>(d, id); }
QString LabelText(QDialog& d, int id) { return Get<QLabel>(d, id)->text(); }
void Click(QDialog& d, int id) { Get<QPushButton>(d, id)->click(); }
bool LoadBytes(WindowHarness& h, const QByteArray& data) {
  const QString file = h.base() + "image.bin";
  if (!WriteAll(file, data)) return false;
  const bool ok = h.window().session().LoadUserFile(file.toStdString());
  h.Settle();
  return ok;
}

// With TARNWICK_SHOT_DIR set (a run on a real display), the whole screen
// goes into that folder as `name`.
void Screenshot(const char* name) {
  const QString dir = qEnvironmentVariable("TARNWICK_SHOT_DIR");
  if (dir.isEmpty()) return;
  QTest::qWait(300);
  QGuiApplication::primaryScreen()->grabWindow(0).save(dir + '/' + name);
}

CellId Focus(ProgrammerDlg& w) { return Grid(w)->GetFocusCell(); }
QString CellText(ProgrammerDlg& w, int row, int column) {
  return Grid(w)->GetCellText(row, column);
}
GridColor Back(ProgrammerDlg& w, int row, int column) {
  return Grid(w)->GetCell(row, column)->GetBackClr();
}
GridColor Fore(ProgrammerDlg& w, int row, int column) {
  return Grid(w)->GetCell(row, column)->GetTextClr();
}

}  // namespace

class WindowBufferToolsTest : public QObject {
  Q_OBJECT

 private slots:
  void goToMovesTheFocusCellAndRefusesBadCharacters();
  void fileFillChangesTheHexViewOnlyInEditMode();
  void findMarksAHitAndFindNextMovesOn();
  void dataViewShowsTheChipsByte();
  void closeWhileASearchWaitsAtAHit();
  void closeWhileADataViewWaitsForTheWorker();
};

void WindowBufferToolsTest::goToMovesTheFocusCellAndRefusesBadCharacters() {
  BoxWatcher boxes;
  WindowHarness h;
  QVERIFY(ShowAndStart(h));
  ProgrammerDlg& w = h.window();
  QVERIFY(LoadBytes(h, Pattern(4096)));
  GoToDialog& d = w.bufferTools().goTo();
  QVERIFY(Open(w, ids::kGoToAddress, d));
  QCOMPARE(d.windowTitle(), Ftext(w, ftext::kGoToTitle));
  QVERIFY(!d.isModal());

  // A letter past F is taken out again with a warning.
  Edit(d, ids::kGoToAddressEdit)->setFocus();
  QTest::keyClicks(Edit(d, ids::kGoToAddressEdit), "3g");
  QTRY_COMPARE(boxes.texts().size(), std::size_t{1});
  QCOMPARE(boxes.texts().back(), Itext(w, itext::kCharacterNotAllowed));
  QCOMPARE(Edit(d, ids::kGoToAddressEdit)->text(), QStringLiteral("3"));

  TypeAndEnter(d, ids::kGoToAddressEdit, "3a7");
  h.Settle();
  QCOMPARE(Edit(d, ids::kGoToAddressEdit)->text(), QStringLiteral("3A7"));
  QCOMPARE(Focus(w).row, 1);
  QCOMPARE(Focus(w).col, 8);
  QCOMPARE(CellText(w, 1, 0), QStringLiteral("000003A0"));
  QCOMPARE(CellText(w, 1, 8), QString::fromLatin1(Pattern(4096).mid(0x3A7, 1).toHex().toUpper()));
  QVERIFY(d.isVisible());  // stays for the next address

  Edit(d, ids::kGoToAddressEdit)->clear();
  TypeAndEnter(d, ids::kGoToAddressEdit, "");
  QTRY_COMPARE(boxes.texts().size(), std::size_t{2});
  QCOMPARE(boxes.texts().back(), Itext(w, itext::kGoToNoAddress));
  Click(d, ids::kDialogCancel);
  QVERIFY(!d.isVisible());
}

void WindowBufferToolsTest::fileFillChangesTheHexViewOnlyInEditMode() {
  BoxWatcher boxes;
  WindowHarness h;
  QVERIFY(ShowAndStart(h));
  ProgrammerDlg& w = h.window();
  QVERIFY(LoadBytes(h, QByteArray(100, '\x11')));
  // Reached only in edit mode.
  QVERIFY(!w.menu().Action(ids::kFileFill)->isEnabled());
  w.SendCommand(ids::kEditModeMenu);
  h.Settle();
  QVERIFY(w.menu().Action(ids::kFileFill)->isEnabled());

  FileFillDialog& d = w.bufferTools().fileFill();
  QVERIFY(Open(w, ids::kFileFill, d));
  QCOMPARE(d.windowTitle(), Ftext(w, ftext::kFileFillTitle));
  QCOMPARE(Edit(d, ids::kFileFillAddressEdit)->text(), QStringLiteral("0"));
  QCOMPARE(Edit(d, ids::kFileFillLengthEdit)->text(), QStringLiteral("1"));
  // Past the end of the 100 bytes: 0xFF up to 0x6E, then the fill.
  Edit(d, ids::kFileFillAddressEdit)->setText("6E");
  Edit(d, ids::kFileFillLengthEdit)->setText("4");
  TypeAndEnter(d, ids::kFileFillDataEdit, "ab");
  h.Settle();
  QCOMPARE(LabelText(d, ids::kFileFillState), Itext(w, itext::kFileFillDone));
  QCOMPARE(w.session().image().size(), std::uint64_t{114});
  QCOMPARE(CellText(w, 7, 4), QStringLiteral("11"));
  QCOMPARE(CellText(w, 7, 5), QStringLiteral("FF"));
  QCOMPARE(CellText(w, 7, 14), QStringLiteral("FF"));
  for (int c : {15, 16}) QCOMPARE(CellText(w, 7, c), QStringLiteral("AB"));
  for (int c : {1, 2}) QCOMPARE(CellText(w, 8, c), QStringLiteral("AB"));
  QCOMPARE(CellText(w, 8, 3), QStringLiteral("FF"));
  QVERIFY(boxes.texts().empty());
  Screenshot("file-fill-dialog.png");

  // From the end: the address follows the image and cannot be typed over.
  auto* fromEnd = Get<QCheckBox>(d, ids::kFileFillFromEndCheck);
  QCOMPARE(fromEnd->text(), Ftext(w, ftext::kFileFillFromEnd));
  fromEnd->click();
  QCOMPARE(Edit(d, ids::kFileFillAddressEdit)->text(), QStringLiteral("72"));
  QVERIFY(Edit(d, ids::kFileFillAddressEdit)->isReadOnly());
  Edit(d, ids::kFileFillLengthEdit)->setText("16");
  Click(d, ids::kFileFillOkButton);
  Click(d, ids::kFileFillOkButton);
  QCOMPARE(w.session().image().size(), std::uint64_t{146});
  QCOMPARE(Edit(d, ids::kFileFillAddressEdit)->text(), QStringLiteral("92"));
  QCOMPARE(CellText(w, 10, 2), QStringLiteral("AB"));  // 0x91, the last byte
  fromEnd->click();
  QCOMPARE(Edit(d, ids::kFileFillAddressEdit)->text(), QStringLiteral("0"));
  QVERIFY(!Edit(d, ids::kFileFillAddressEdit)->isReadOnly());

  // An empty data box is refused with its own text.
  Edit(d, ids::kFileFillDataEdit)->clear();
  Click(d, ids::kFileFillOkButton);
  QTRY_COMPARE(boxes.texts().size(), std::size_t{1});
  QCOMPARE(boxes.texts().back(), Itext(w, itext::kEnterData));
  QCOMPARE(w.session().image().size(), std::uint64_t{146});
}

void WindowBufferToolsTest::findMarksAHitAndFindNextMovesOn() {
  BoxWatcher boxes;
  WindowHarness h;
  QVERIFY(ShowAndStart(h));
  ProgrammerDlg& w = h.window();
  QByteArray data(4096, '\0');
  data.replace(0x41, 3, QByteArray::fromHex("AAAAAB"));
  data.replace(0x40, 1, QByteArray::fromHex("AA"));  // AA AA AA AB: the hit is at 0x41
  data.replace(0x82E, 3, QByteArray::fromHex("AAAAAB"));
  QVERIFY(LoadBytes(h, data));

  FindDialog& d = w.bufferTools().find();
  QVERIFY(Open(w, ids::kFind, d));
  QCOMPARE(d.windowTitle(), Ftext(w, ftext::kFindTitle));
  QVERIFY(Get<QRadioButton>(d, ids::kFindHexRadio)->isChecked());
  TypeAndEnter(d, ids::kFindPatternEdit, "aaaaab");
  QTRY_VERIFY_WITH_TIMEOUT(d.hitsShown() == 1, kLongWaitMs);
  h.Settle();
  QCOMPARE(Get<QPushButton>(d, ids::kDialogOk)->text(), Itext(w, itext::kFindNext));
  QCOMPARE(Focus(w).row, 5);
  QCOMPARE(Focus(w).col, 2);
  for (int c : {2, 3, 4}) {
    QCOMPARE(Back(w, 5, c), GridRgb(0, 0, 255));
    QCOMPARE(Fore(w, 5, c), GridRgb(255, 255, 255));
  }
  QVERIFY(Back(w, 5, 5) != GridRgb(0, 0, 255));
  Screenshot("find-dialog.png");

  // Find next: the second hit straddles two rows.
  Click(d, ids::kDialogOk);
  QTRY_VERIFY_WITH_TIMEOUT(d.hitsShown() == 2, kLongWaitMs);
  h.Settle();
  QCOMPARE(CellText(w, Focus(w).row, 0), QStringLiteral("00000820"));
  QCOMPARE(Focus(w).col, 15);
  const int row = Focus(w).row;
  for (const auto& [r, c] : {std::pair{row, 15}, {row, 16}, {row + 1, 1}})
    QCOMPARE(Back(w, r, c), GridRgb(0, 0, 255));
  QVERIFY(boxes.texts().empty());

  // No third hit: the search ends with its notice.
  Click(d, ids::kDialogOk);
  QTRY_VERIFY_WITH_TIMEOUT(!boxes.texts().empty(), kLongWaitMs);
  QCOMPARE(boxes.texts().back(), Itext(w, itext::kFindFinished));
  QVERIFY(WaitForJob(w));

  // A pattern of non-hex characters is refused; text mode finds nothing.
  Edit(d, ids::kFindPatternEdit)->setText("AZ");
  Click(d, ids::kDialogOk);
  QTRY_COMPARE(boxes.texts().size(), std::size_t{2});
  QCOMPARE(boxes.texts().back(), Itext(w, itext::kFindNotHex));
  Get<QRadioButton>(d, ids::kFindTextRadio)->click();
  Click(d, ids::kDialogOk);
  QTRY_VERIFY_WITH_TIMEOUT(boxes.texts().size() == 3, kLongWaitMs);
  QCOMPARE(boxes.texts().back(), Itext(w, itext::kFindNothing));
  QVERIFY(WaitForJob(w));
  Click(d, ids::kDialogCancel);
  QVERIFY(!d.isVisible());
}

void WindowBufferToolsTest::dataViewShowsTheChipsByte() {
  BoxWatcher boxes;
  WindowHarness h;
  QVERIFY(ShowAndStart(h));
  ProgrammerDlg& w = h.window();
  QVERIFY(LoadBytes(h, QByteArray::fromHex("00112233")));
  DataViewDialog& d = w.bufferTools().dataView();
  QVERIFY(Open(w, ids::kDataView, d));
  QCOMPARE(d.windowTitle(), Ftext(w, ftext::kDataViewTitle));
  QVERIFY(!d.windowTitle().contains('&'));  // a title carries no access key
  QCOMPARE(LabelText(d, ids::kDataViewChipValue), QStringLiteral("null"));
  TypeAndEnter(d, ids::kDataViewAddressEdit, "2");
  QTRY_VERIFY_WITH_TIMEOUT(!d.busy(), kLongWaitMs);
  const std::vector<std::uint8_t> chip = h.box().ReadContent(2, 1);
  QCOMPARE(LabelText(d, ids::kDataViewChipValue),
           QStringLiteral("%1").arg(chip.at(0), 2, 16, QLatin1Char('0')).toUpper());
  QCOMPARE(LabelText(d, ids::kDataViewFileValue), QStringLiteral("22"));
  QCOMPARE(LabelText(d, ids::kDataViewState),
           Itext(w, itext::kFileValueRead) + Itext(w, itext::kChipValueRead) + "...");
  QCOMPARE(Focus(w).row, 1);
  QCOMPARE(Focus(w).col, 3);
  QTRY_COMPARE(StatusText(w), Itext(w, itext::kDataViewDone));

  // Past the chip's 8 MiB: no value from the box.
  const std::size_t commands = h.box().ReceivedCommands().size();
  TypeAndEnter(d, ids::kDataViewAddressEdit, "800000");
  QTRY_VERIFY_WITH_TIMEOUT(!d.busy(), kLongWaitMs);
  QCOMPARE(LabelText(d, ids::kDataViewChipValue), Itext(w, itext::kOutOfRange));
  QCOMPARE(LabelText(d, ids::kDataViewState),
           Itext(w, itext::kBeyondFileEnd) + Itext(w, itext::kBeyondChipSize) + "...");
  const std::vector<std::uint8_t> sent = h.box().ReceivedCommands();
  QVERIFY(std::find(sent.begin() + static_cast<std::ptrdiff_t>(commands), sent.end(),
                    protocol::CMD_PEEK) == sent.end());
  QVERIFY(boxes.texts().empty());
  Edit(d, ids::kDataViewAddressEdit)->clear();
  TypeAndEnter(d, ids::kDataViewAddressEdit, "");
  QTRY_COMPARE(boxes.texts().size(), std::size_t{1});
  QCOMPARE(boxes.texts().back(), Itext(w, itext::kDataViewNoAddress));
}

void WindowBufferToolsTest::closeWhileASearchWaitsAtAHit() {
  WindowHarness h;
  QVERIFY(ShowAndStart(h));
  ProgrammerDlg& w = h.window();
  QVERIFY(LoadBytes(h, QByteArray(1024, '\x77')));
  FindDialog& d = w.bufferTools().find();
  QVERIFY(Open(w, ids::kFind, d));
  TypeAndEnter(d, ids::kFindPatternEdit, "77");
  QTRY_VERIFY_WITH_TIMEOUT(d.hitsShown() == 1, kLongWaitMs);
  QCOMPARE(w.session().worker().JobCode(), std::uint8_t{0});  // waiting at the hit
  w.close();
  QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 20000);
  QVERIFY(w.session().WorkerGone());
  h.Reset();
}

void WindowBufferToolsTest::closeWhileADataViewWaitsForTheWorker() {
  BoxWatcher boxes(QMessageBox::Ok);  // OK to the close question
  WindowHarness h({}, sim::SpeedKind::Realistic);
  QVERIFY(ShowAndStart(h));
  ProgrammerDlg& w = h.window();
  DataViewDialog& d = w.bufferTools().dataView();
  QVERIFY(Open(w, ids::kDataView, d));
  // A read of the 8 MiB chip runs when the data view starts.
  w.SendCommand(ids::kReadButton);
  QTRY_VERIFY_WITH_TIMEOUT(w.session().worker().JobCode() == JobByte(Job::Read), 10000);
  TypeAndEnter(d, ids::kDataViewAddressEdit, "10");
  QVERIFY(d.busy());
  QVERIFY(w.session().ViewDataRunning());
  w.close();
  QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 20000);
  QVERIFY(w.session().WorkerGone());
  QVERIFY(!w.session().ViewDataRunning());
  h.Reset();
}

QTEST_MAIN(WindowBufferToolsTest)
#include "window_buffer_tools.moc"
