// Chip fill in the whole window against the virtual box: the dialog opens
// from its menu item, refuses incomplete fields, writes exactly the range
// (a value, or a file's bytes in file mode) with Cancel disabled while the
// passes run, and the main window still closes in the middle of a fill.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <vector>

#include "core/app/text_ids.h"
#include "core/operations/chip_fill/chip_filler.h"
#include "ui/app/main_menu.h"
#include "ui/operations/chip_fill_dialog.h"
#include "window_flow_support.h"

using namespace tarnwick;
using namespace tarnwick::test;

namespace {

QLineEdit* Edit(ChipFillDialog& d, int id) { return DialogControl<QLineEdit>(d, id); }
void Set(ChipFillDialog& d, int id, const QString& text) { Edit(d, id)->setText(text); }
QString State(ChipFillDialog& d) { return DialogControl<QLabel>(d, ids::kChipFillState)->text(); }

bool OpenChipFill(WindowHarness& h) {
  if (!ShowAndStart(h)) return false;
  h.window().menu().Action(ids::kChipFill)->trigger();
  return QTest::qWaitFor([&] { return h.window().chipFillDialog().isVisible(); }, kLongWaitMs);
}

// Presses OK and waits until the fill has ended and Cancel is back.
bool FillAndWait(ProgrammerDlg& w, ChipFillDialog& d) {
  if (!d.OkClicked()) return false;
  return WaitForJob(w, [&] {
    return DialogControl<QPushButton>(d, ids::kDialogCancel)->isEnabled() &&
           w.session().chipFill().LastOutcome() != 0;
  });
}

}  // namespace

class WindowChipFillTest : public QObject {
  Q_OBJECT

 private slots:
  void aValueFillsExactlyTheRangeWithCancelOffMeanwhile();
  void incompleteFieldsAreRefusedWithTheirText();
  void fileModeWritesTheFilesBytes();
  void theCloseAsksAndStopsTheFillBetweenTwoSectors();
  void theDataBoxFollowsTheChipChosenWhileOpen();
};

void WindowChipFillTest::aValueFillsExactlyTheRangeWithCancelOffMeanwhile() {
  BoxWatcher boxes;
  WindowHarness h;
  QVERIFY(OpenChipFill(h));
  ProgrammerDlg& w = h.window();
  ChipFillDialog& d = w.chipFillDialog();
  QCOMPARE(d.windowTitle(), Ftext(w, ftext::kChipFillTitle));
  // The default chip counts in bytes: the byte box, not the word box.
  QVERIFY(Edit(d, ids::kChipFillByteEdit)->isVisible());
  QVERIFY(!Edit(d, ids::kChipFillWordEdit)->isVisible());
  QVERIFY(!Edit(d, ids::kChipFillFileEdit)->isEnabled());
  const std::vector<std::uint8_t> before = h.box().ReadContent(0x1000, 0x1000);

  Set(d, ids::kChipFillAddressEdit, "1010");
  Set(d, ids::kChipFillLengthEdit, "16");
  Set(d, ids::kChipFillByteEdit, "AB");
  std::vector<bool> cancelWhileShown;
  connect(&d, &ChipFillDialog::stateShown, &d, [&] {
    cancelWhileShown.push_back(DialogControl<QPushButton>(d, ids::kDialogCancel)->isEnabled());
  });
  QSignalSpy states(&d, &ChipFillDialog::stateShown);
  QVERIFY(FillAndWait(w, d));

  QCOMPARE(State(d), Itext(w, itext::kFillDone));
  QCOMPARE(StatusText(w), Itext(w, itext::kFillDone));
  QVERIFY(boxes.texts().empty());
  // Every text after the first came with Cancel disabled, the last one too.
  QVERIFY(states.size() >= 2);
  QCOMPARE(states.front().front().toString(), Itext(w, itext::kFilling));
  for (std::size_t i = 1; i < cancelWhileShown.size(); ++i) QVERIFY(!cancelWhileShown[i]);

  const std::vector<std::uint8_t> after = h.box().ReadContent(0x1000, 0x1000);
  for (std::size_t i = 0; i < after.size(); ++i) {
    const bool inRange = i >= 0x10 && i < 0x20;
    QCOMPARE(after[i], inRange ? std::uint8_t{0xAB} : before[i]);
  }
  // Done: the dialog closes again.
  QVERIFY(d.close());
}

void WindowChipFillTest::incompleteFieldsAreRefusedWithTheirText() {
  BoxWatcher boxes;
  WindowHarness h;
  QVERIFY(OpenChipFill(h));
  ProgrammerDlg& w = h.window();
  ChipFillDialog& d = w.chipFillDialog();
  const std::vector<std::uint8_t> before = h.box().ReadContent(0, 64);

  struct Case {
    const char* address;
    const char* length;
    const char* data;
    int text;
  };
  for (const Case& c :
       {Case{"", "1", "FF", itext::kEnterAddress}, Case{"0", "", "FF", itext::kEnterLength},
        Case{"0", "1", "", itext::kEnterData}}) {
    Set(d, ids::kChipFillAddressEdit, c.address);
    Set(d, ids::kChipFillLengthEdit, c.length);
    Set(d, ids::kChipFillByteEdit, c.data);
    QVERIFY(!d.OkClicked());
    QCOMPARE(State(d), Itext(w, c.text));
    QCOMPARE(boxes.texts().back(), Itext(w, c.text));
  }
  // File mode without a file; the value and the length are off then.
  DialogControl<QCheckBox>(d, ids::kChipFillFileModeCheck)->setChecked(true);
  QVERIFY(!Edit(d, ids::kChipFillByteEdit)->isEnabled());
  QVERIFY(!Edit(d, ids::kChipFillLengthEdit)->isEnabled());
  QVERIFY(DialogControl<QPushButton>(d, ids::kChipFillBrowseButton)->isEnabled());
  QVERIFY(!d.OkClicked());
  QCOMPARE(boxes.texts().back(), Itext(w, itext::kChooseFile));
  QCOMPARE(boxes.texts().size(), std::size_t{4});

  // A letter past F never reaches the address.
  Edit(d, ids::kChipFillAddressEdit)->clear();
  Edit(d, ids::kChipFillAddressEdit)->setFocus();
  QTest::keyClicks(Edit(d, ids::kChipFillAddressEdit), "1z");
  QTRY_COMPARE(boxes.texts().size(), std::size_t{5});
  QCOMPARE(boxes.texts().back(), Itext(w, itext::kCharacterNotAllowed));
  QCOMPARE(Edit(d, ids::kChipFillAddressEdit)->text(), QStringLiteral("1"));

  h.Settle(50);
  QVERIFY(WorkerIdle(w));
  QCOMPARE(h.box().ReadContent(0, 64), before);
}

void WindowChipFillTest::fileModeWritesTheFilesBytes() {
  BoxWatcher boxes;
  WindowHarness h;
  QVERIFY(OpenChipFill(h));
  ProgrammerDlg& w = h.window();
  ChipFillDialog& d = w.chipFillDialog();
  const QString path = h.base() + "five.bin";
  const QByteArray five = QByteArrayLiteral("\x01\x02\x03\x04\x05");
  QVERIFY(WriteAll(path, five));
  const std::vector<std::uint8_t> before = h.box().ReadContent(0x2000, 16);

  DialogControl<QCheckBox>(d, ids::kChipFillFileModeCheck)->setChecked(true);
  {
    ModalScript script;
    script.ChooseFile(path);
    DialogControl<QPushButton>(d, ids::kChipFillBrowseButton)->click();
    QVERIFY(script.Done());
  }
  QCOMPARE(Edit(d, ids::kChipFillFileEdit)->text(), path);
  QCOMPARE(Edit(d, ids::kChipFillLengthEdit)->text(), QStringLiteral("5"));
  Set(d, ids::kChipFillAddressEdit, "2004");
  QVERIFY(FillAndWait(w, d));
  QCOMPARE(State(d), Itext(w, itext::kFillDone));

  std::vector<std::uint8_t> expected = before;
  for (int i = 0; i < five.size(); ++i) expected[std::size_t(4 + i)] = std::uint8_t(five[i]);
  QCOMPARE(h.box().ReadContent(0x2000, 16), expected);
  QVERIFY(boxes.texts().empty());
}

void WindowChipFillTest::theCloseAsksAndStopsTheFillBetweenTwoSectors() {
  BoxWatcher boxes(QMessageBox::Cancel);
  WindowHarness h({}, sim::SpeedKind::Realistic);
  QVERIFY(OpenChipFill(h));
  ProgrammerDlg& w = h.window();
  ChipFillDialog& d = w.chipFillDialog();
  const std::vector<std::uint8_t> before = h.box().ReadContent(0, 1 << 20);
  // 256 sectors of 4 KiB: long enough to be in the middle of it.
  Set(d, ids::kChipFillAddressEdit, "0");
  Set(d, ids::kChipFillLengthEdit, "1048576");
  Set(d, ids::kChipFillByteEdit, "5A");
  QVERIFY(d.OkClicked());
  QTRY_VERIFY_WITH_TIMEOUT(d.running(), 20000);
  // Running: the dialog does not close by itself.
  QVERIFY(!d.close());
  QVERIFY(d.isVisible());
  const QString question = Itext(w, itext::kCloseWhileProgramming);
  QTRY_VERIFY_WITH_TIMEOUT(h.box().ReadContent(0, 1)[0] == 0x5A, 20000);

  // Cancel keeps the window and the fill.
  w.close();
  QTRY_COMPARE(boxes.texts().size(), std::size_t{1});
  QCOMPARE(boxes.texts().back(), question);
  QVERIFY(w.isVisible());
  QVERIFY(d.running());
  const auto filledSectors = [&] {
    const std::vector<std::uint8_t> now = h.box().ReadContent(0, 1 << 20);
    int n = 0;
    while (n < 256 && now[static_cast<std::size_t>(n) * 4096] == 0x5A) ++n;
    return n;
  };
  const int whenKept = filledSectors();
  QTRY_VERIFY_WITH_TIMEOUT(filledSectors() > whenKept + 1, 20000);

  // OK stops it after the sector being rewritten, and the window goes.
  boxes.SetAnswer(QMessageBox::Ok);
  w.close();
  QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 30000);
  QCOMPARE(boxes.texts().size(), std::size_t{2});
  QVERIFY(w.session().WorkerGone());
  QVERIFY(!d.isVisible());

  // Whole sectors only: the filled ones hold the value, the rest is untouched.
  const std::vector<std::uint8_t> after = h.box().ReadContent(0, 1 << 20);
  const int sectors = filledSectors();
  QVERIFY(sectors > 1 && sectors < 256);
  const std::size_t reached = static_cast<std::size_t>(sectors) * 4096;
  for (std::size_t i = 0; i < after.size(); ++i) {
    if (after[i] != (i < reached ? std::uint8_t{0x5A} : before[i])) {
      QFAIL(qPrintable(QStringLiteral("byte 0x%1 was cut").arg(i, 0, 16)));
    }
  }
  // The log says what the chip now holds.
  const auto hex = [](std::size_t v) {
    return QString::number(v, 16).toUpper().rightJustified(8, QLatin1Char('0'));
  };
  const QString range = QStringLiteral("(stopped): 0x00000000-0x%1 filled, 0x%2-0x000FFFFF")
                            .arg(hex(reached - 1), hex(reached));
  QVERIFY2(QString::fromUtf8(ReadAll(h.base() + "log.txt")).contains(range), qPrintable(range));
  h.Reset();
}

// The dialog stays open while another chip is chosen in the window: the byte
// or the word box follows the chip now selected, not the one it opened on.
void WindowChipFillTest::theDataBoxFollowsTheChipChosenWhileOpen() {
  BoxWatcher boxes;
  WindowHarness h;
  QVERIFY(OpenChipFill(h));
  ProgrammerDlg& w = h.window();
  ChipFillDialog& d = w.chipFillDialog();
  QVERIFY(Edit(d, ids::kChipFillByteEdit)->isVisible());
  QVERIFY(!Edit(d, ids::kChipFillWordEdit)->isVisible());

  QVERIFY(ChooseChip(w, "93 EEPROM", "ATMEL", "AT93C46(x16)"));
  QVERIFY(d.isVisible());
  QTRY_VERIFY(Edit(d, ids::kChipFillWordEdit)->isVisible());
  QVERIFY(!Edit(d, ids::kChipFillByteEdit)->isVisible());

  QVERIFY(ChooseChip(w, "93 EEPROM", "ATMEL", "AT93C46(x8)"));
  QTRY_VERIFY(Edit(d, ids::kChipFillByteEdit)->isVisible());
  QVERIFY(!Edit(d, ids::kChipFillWordEdit)->isVisible());
  QVERIFY(boxes.texts().empty());
}

QTEST_MAIN(WindowChipFillTest)
#include "window_chip_fill.moc"
