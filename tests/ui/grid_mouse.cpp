// Mouse selection, resizing by dividers, editing by click, title tips, drops.
#include <QDropEvent>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include "tests/ui/grid_fixture.h"
#include "ui/grid/grid_title_tip.h"

using tarnwick::CellId;
using tarnwick::CellRange;
using tarnwick::CGridCtrl;
using tarnwick::test::GridHarness;
namespace tw = tarnwick;

class GridMouseTest : public QObject {
  Q_OBJECT

 private slots:
  void draggingADividerResizesColumnsAndRows() {
    GridHarness h;
    // Column 2 spans x 110..134 in the header row (height 18).
    h.MoveTo(QPoint(133, 9), Qt::NoButton);
    QCOMPARE(h.View()->cursor().shape(), Qt::SplitHCursor);
    QTest::mousePress(h.View(), Qt::LeftButton, Qt::NoModifier, QPoint(133, 9));
    QCOMPARE(h.grid->GetMouseMode(), CGridCtrl::MouseMode::kSizingColumnArmed);
    h.MoveTo(QPoint(160, 9));
    QCOMPARE(h.grid->GetMouseMode(), CGridCtrl::MouseMode::kSizingColumn);
    QTest::mouseRelease(h.View(), Qt::LeftButton, Qt::NoModifier, QPoint(160, 9));
    QCOMPARE(h.grid->GetColumnWidth(2), 50);
    QCOMPARE(h.grid->GetMouseMode(), CGridCtrl::MouseMode::kNone);
    // Row 1 spans y 18..35 in the fixed column.
    QTest::mousePress(h.View(), Qt::LeftButton, Qt::NoModifier, QPoint(40, 35));
    h.MoveTo(QPoint(40, 60));
    QTest::mouseRelease(h.View(), Qt::LeftButton, Qt::NoModifier, QPoint(40, 60));
    QCOMPARE(h.grid->GetRowHeight(1), 42);
    // Dividers of ordinary cells do not resize.
    QTest::mouseClick(h.View(), Qt::LeftButton, Qt::NoModifier, QPoint(134, 80));
    QCOMPARE(h.grid->GetColumnWidth(2), 50);
  }

  void resizingLineInvertsThePixelsUnderIt() {
    GridHarness h;
    const QPoint probe(300, 200);
    const QRgb before = h.View()->grab().toImage().pixel(probe);
    QTest::mousePress(h.View(), Qt::LeftButton, Qt::NoModifier, QPoint(133, 9));
    h.MoveTo(QPoint(probe.x(), 9));
    const QRgb during = h.View()->grab().toImage().pixel(probe);
    QCOMPARE(during & 0xFFFFFF, ~before & 0xFFFFFF);
    QTest::mouseRelease(h.View(), Qt::LeftButton, Qt::NoModifier, QPoint(probe.x(), 9));
  }

  void doubleClickOnADividerFitsTheColumn() {
    GridHarness h;
    const QString wide = QStringLiteral("a rather long cell text");
    h.grid->SetCellText(5, 3, wide);
    // Column 3 ends at x 160.
    QTest::mouseDClick(h.View(), Qt::LeftButton, Qt::NoModifier, QPoint(159, 9));
    const int text_width = QFontMetrics(h.grid->GetCellFont(5, 3)).horizontalAdvance(wide);
    QVERIFY(h.grid->GetColumnWidth(3) > text_width);
  }

  void ctrlTogglesAndShiftExtends() {
    GridHarness h;
    h.Click(2, 2);
    h.Click(4, 4, Qt::ControlModifier);
    QCOMPARE(h.grid->GetSelectedCount(), 2);
    QVERIFY(h.grid->IsCellSelected(2, 2) && h.grid->IsCellSelected(4, 4));
    h.Click(2, 2, Qt::ControlModifier);
    QVERIFY(!h.grid->IsCellSelected(2, 2));
    QCOMPARE(h.grid->GetSelectedCount(), 1);

    h.Click(2, 2);
    QCOMPARE(h.grid->GetSelectedCount(), 1);
    h.Click(3, 4, Qt::ShiftModifier);
    QCOMPARE(h.grid->GetSelectedRange(), CellRange(2, 2, 3, 4));
    QCOMPARE(h.grid->GetSelectedCount(), 6);
    QCOMPARE(h.grid->GetFocusCell(), CellId(3, 4));
  }

  void draggingSelectsARangeAndScrollsOutside() {
    GridHarness h(60, 18);
    QTest::mousePress(h.View(), Qt::LeftButton, Qt::NoModifier, h.CellCentre(1, 1));
    h.MoveTo(h.CellCentre(3, 3));
    QCOMPARE(h.grid->GetSelectedRange(), CellRange(1, 1, 3, 3));
    // Below the window the timer keeps scrolling and extending.
    h.MoveTo(QPoint(100, h.View()->height() + 30));
    QTRY_VERIFY(h.grid->GetTopLeftNonFixedCell().row > 3);
    QTest::mouseRelease(h.View(), Qt::LeftButton, Qt::NoModifier,
                        QPoint(100, h.View()->height() + 30));
    const CellRange range = h.grid->GetSelectedRange();
    QCOMPARE(range.min_row, 1);
    QVERIFY(range.max_row > 20);
    const int top = h.grid->GetTopLeftNonFixedCell().row;
    QTest::qWait(100);
    QCOMPARE(h.grid->GetTopLeftNonFixedCell().row, top);  // stopped on release
  }

  void headerClicksSelectColumnsAndRows() {
    GridHarness h;
    h.Click(0, 5);
    QCOMPARE(h.grid->GetSelectedRange(), CellRange(1, 5, 20, 5));
    h.Click(0, 7, Qt::ShiftModifier);
    QCOMPARE(h.grid->GetSelectedRange(), CellRange(1, 5, 20, 7));
    h.Click(6, 0);
    QCOMPARE(h.grid->GetSelectedRange(), CellRange(6, 1, 6, 17));
    h.grid->SetFixedRowSelection(false);
    h.Click(0, 3);
    QCOMPARE(h.grid->GetSelectedRange(), CellRange(6, 1, 6, 17));
  }

  void secondClickOnTheFocusCellEdits() {
    GridHarness h;
    h.Click(5, 5);
    QVERIFY(!h.Editor());
    QCOMPARE(h.grid->GetFocusCell(), CellId(5, 5));
    h.Click(5, 5);
    QVERIFY(h.Editor());
    QCOMPARE(h.Count(tw::kGridBeginEdit), 1);
    // A mouse start keeps the arrows inside the editor.
    h.Key(Qt::Key_Left);
    QVERIFY(h.Editor());
    h.Key(Qt::Key_Return);
    QVERIFY(!h.Editor());
    h.grid->SetCellState(5, 5, h.grid->GetCellState(5, 5) | tw::kCellReadOnly);
    h.Click(5, 5);
    QVERIFY(!h.Editor());
  }

  void rightAndDoubleClicksAreReported() {
    GridHarness h;
    QSignalSpy clicked(h.grid.get(), &CGridCtrl::CellClicked);
    QTest::mouseClick(h.View(), Qt::RightButton, Qt::NoModifier, h.CellCentre(3, 2));
    QCOMPARE(h.Count(tw::kGridRightClick), 1);
    QCOMPARE(h.notes.back().row, 3);
    QCOMPARE(h.notes.back().col, 2);
    QTest::mouseDClick(h.View(), Qt::LeftButton, Qt::NoModifier, h.CellCentre(4, 6));
    QCOMPARE(h.Count(tw::kGridDoubleClick), 1);
    QCOMPARE(h.notes.back().row, 4);
    h.Click(7, 8);
    QVERIFY(!clicked.isEmpty());
    QCOMPARE(clicked.last().at(0).toInt(), 7);
    QCOMPARE(clicked.last().at(1).toInt(), 8);
  }

  void titleTipOnlyForCutOffText() {
    GridHarness h;
    const tw::GridTitleTip* tip = h.grid->GetTitleTip();
    h.grid->SetCellText(5, 5, QStringLiteral("1"));
    h.grid->SetCellText(9, 9, QString());
    h.grid->SetCellText(12, 2, QString());
    h.grid->SetCellText(5, 6, QStringLiteral("text far too long for the cell"));
    h.MoveTo(h.CellCentre(5, 5), Qt::NoButton);
    QVERIFY(!tip->isVisible());
    h.MoveTo(h.CellCentre(5, 6), Qt::NoButton);
    QVERIFY(tip->isVisible());
    QCOMPARE(tip->TipText(), QStringLiteral("text far too long for the cell"));
    QRect cell;
    QVERIFY(h.grid->GetCellRect(5, 6, cell));
    const QPoint cell_global = h.View()->mapToGlobal(cell.topLeft());
    QCOMPARE(tip->TipRect().topLeft(), cell_global);
    QCOMPARE(tip->TipRect().height(), cell.height());
    QVERIFY(tip->TipRect().width() >
            QFontMetrics(h.grid->GetCellFont(5, 6)).horizontalAdvance(tip->TipText()));
    // Any key hides it.
    h.grid->SetFocusCell(1, 1);
    h.Key(Qt::Key_Down);
    QVERIFY(!tip->isVisible());
    // Leaving its rectangle hides it too.
    h.MoveTo(h.CellCentre(9, 9), Qt::NoButton);
    h.MoveTo(h.CellCentre(5, 6), Qt::NoButton);
    QVERIFY(tip->isVisible());
    h.MoveTo(h.CellCentre(12, 2), Qt::NoButton);
    QVERIFY(!tip->isVisible());
    h.grid->EnableTitleTips(false);
    h.MoveTo(h.CellCentre(5, 6), Qt::NoButton);
    QVERIFY(!tip->isVisible());
  }

  void titleTipWidthRuleCountsTheInset() {
    const QFont font;
    const int padded = tw::GridTitleTip::PaddedTextWidth(QStringLiteral("abc"), font);
    QVERIFY(!tw::GridTitleTip::WantsTip(padded, QStringLiteral("abc"), font, 0));
    QVERIFY(tw::GridTitleTip::WantsTip(padded - 1, QStringLiteral("abc"), font, 0));
    QVERIFY(tw::GridTitleTip::WantsTip(padded + 8, QStringLiteral("abc"), font, 3));
    QVERIFY(!tw::GridTitleTip::WantsTip(padded + 9, QStringLiteral("abc"), font, 3));
    QVERIFY(!tw::GridTitleTip::WantsTip(1, QString(), font, 0));
  }

  void droppedFilesGoToTheOwner() {
    GridHarness h;
    QSignalSpy dropped(h.grid.get(), &CGridCtrl::FilesDropped);
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a.bin")),
                  QUrl::fromLocalFile(QStringLiteral("/tmp/b.rom"))});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(h.View(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(h.View(), &drop);
    QCOMPARE(dropped.size(), 1);
    QCOMPARE(dropped.first().first().toStringList(),
             QStringList({QStringLiteral("/tmp/a.bin"), QStringLiteral("/tmp/b.rom")}));
  }
};

QTEST_MAIN(GridMouseTest)
#include "grid_mouse.moc"
