// The pictures of the user manual, taken from the real window on the virtual
// box: the main window after a read of the virtual chip, and each main dialog
// opened from its menu item (or, for batch mode, its button) with its title.
// With TARNWICK_SHOT_DIR set, each picture is saved there as a PNG cropped to
// the widget; without it the same steps run and are checked.
#include <QDir>
#include <QTest>
#include <functional>

#include "core/app/text_ids.h"
#include "ui/app/main_menu.h"
#include "ui/buffers/buffer_tool_dialogs.h"
#include "ui/buffers/file_fill_dialog.h"
#include "ui/buffers/find_dialog.h"
#include "ui/buffers/merge_dialog.h"
#include "ui/buffers/split_dialog.h"
#include "ui/operations/batch_dialog.h"
#include "ui/operations/chip_fill_dialog.h"
#include "ui/operations/firmware_dialog.h"
#include "ui/operations/otp_dialog.h"
#include "window_flow_support.h"

using namespace tarnwick;
using namespace tarnwick::test;

namespace {

// Saves the widget's own picture as `name` when a shot folder is given.
void Shot(QWidget& widget, const char* name) {
  const QString dir = qEnvironmentVariable("TARNWICK_SHOT_DIR");
  if (dir.isEmpty()) return;
  QTest::qWait(200);
  QVERIFY2(widget.grab().save(QDir(dir).filePath(QString::fromLatin1(name))), name);
}

// A window started on the default virtual box, its chip read into the hex view.
bool StartAndRead(WindowHarness& h) {
  ProgrammerDlg& w = h.window();
  if (!ShowAndStart(h)) return false;
  QTest::keyClick(&w, Qt::Key_F7);
  return WaitForJob(w, [&] { return StatusText(w).startsWith(Itext(w, 78)); });
}

struct DialogCase {
  const char* shot;
  int opener;  // a menu item, or the batch button
  int title;   // the ftext of the dialog's title
  std::function<QDialog&(ProgrammerDlg&)> dialog;
};

}  // namespace

class WindowManualShotsTest : public QObject {
  Q_OBJECT

 private slots:
  void theMainWindowShowsTheReadChip();
  void eachDialogOpensFromItsMenuItemWithItsTitle();
};

void WindowManualShotsTest::theMainWindowShowsTheReadChip() {
  BoxWatcher boxes;
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  w.resize(1000, 720);
  QVERIFY(StartAndRead(h));
  const QByteArray chip = ReadAll(QString::fromStdString(h.box().ContentPath()));
  // The first row of the hex view holds the chip's first bytes.
  CGridCtrl* grid = Grid(w);
  QCOMPARE(grid->GetCellText(1, 0), QStringLiteral("00000000"));
  for (int c = 1; c <= 16; ++c) {
    QCOMPARE(grid->GetCellText(1, c), QString::fromLatin1(chip.mid(c - 1, 1).toHex().toUpper()));
  }
  QCOMPARE(ControlCaption(w, ids::kFileNameBox), Itext(w, 27));
  QVERIFY(boxes.texts().empty());
  Shot(w, "main-window.png");
  h.Reset();
}

void WindowManualShotsTest::eachDialogOpensFromItsMenuItemWithItsTitle() {
  BoxWatcher boxes;
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  QVERIFY(StartAndRead(h));
  // Batch mode needs the automatic identification; file fill needs edit mode.
  if (!w.menu().Action(ids::kAutoDetectSetting)->isChecked()) {
    w.SendCommand(ids::kAutoDetectSetting);
  }
  w.SendCommand(ids::kEditModeMenu);
  h.Settle();
  QVERIFY(w.menu().Action(ids::kFileFill)->isEnabled());

  const DialogCase cases[] = {
      {"batch-dialog.png", ids::kBatchButton, ftext::kBatchTitle,
       [](ProgrammerDlg& p) -> QDialog& { return p.batchDialog(); }},
      {"otp-dialog.png", ids::kOtpProgramming, ftext::kOtpTitle,
       [](ProgrammerDlg& p) -> QDialog& { return p.otpDialog(); }},
      {"firmware-dialog.png", ids::kFirmwareUpgrade, ftext::kFwTitle,
       [](ProgrammerDlg& p) -> QDialog& { return p.firmwareDialog(); }},
      {"find-dialog.png", ids::kFind, ftext::kFindTitle,
       [](ProgrammerDlg& p) -> QDialog& { return p.bufferTools().find(); }},
      {"file-fill-dialog.png", ids::kFileFill, ftext::kFileFillTitle,
       [](ProgrammerDlg& p) -> QDialog& { return p.bufferTools().fileFill(); }},
      {"chip-fill-dialog.png", ids::kChipFill, ftext::kChipFillTitle,
       [](ProgrammerDlg& p) -> QDialog& { return p.chipFillDialog(); }},
      {"merge-dialog.png", ids::kMergeFiles, ftext::kMergeTitle,
       [](ProgrammerDlg& p) -> QDialog& { return p.bufferTools().merge(); }},
      {"split-dialog.png", ids::kSplitFile, ftext::kSplitTitle,
       [](ProgrammerDlg& p) -> QDialog& { return p.bufferTools().split(); }},
  };
  for (const DialogCase& c : cases) {
    QDialog& d = c.dialog(w);
    QVERIFY2(!d.isVisible(), c.shot);
    if (c.opener == ids::kBatchButton) {
      Button(w, ids::kBatchButton)->click();
    } else {
      QAction* item = w.menu().Action(c.opener);
      QVERIFY2(item->isEnabled(), c.shot);
      item->trigger();
    }
    QVERIFY2(QTest::qWaitFor([&] { return d.isVisible(); }, kLongWaitMs), c.shot);
    QCOMPARE(d.windowTitle(), Ftext(w, c.title));
    Shot(d, c.shot);
    d.close();
    QVERIFY2(QTest::qWaitFor([&] { return !d.isVisible(); }, kLongWaitMs), c.shot);
    h.Settle();
  }
  QVERIFY(boxes.texts().empty());
  h.Reset();
}

QTEST_MAIN(WindowManualShotsTest)
#include "window_manual_shots.moc"
