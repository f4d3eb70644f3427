// Clipboard copy, paste and cut of the grid.
#include <QClipboard>
#include <QTest>

#include "tests/ui/grid_fixture.h"

using tarnwick::CellId;
using tarnwick::CellRange;
using tarnwick::test::GridHarness;
namespace tw = tarnwick;

namespace {
QString Clip() { return QGuiApplication::clipboard()->text(); }
void SetClip(const QString& text) { QGuiApplication::clipboard()->setText(text); }
}  // namespace

class GridClipboardTest : public QObject {
  Q_OBJECT

 private slots:
  void copyLeavesHiddenRowsAndColumnsOut() {
    GridHarness h;
    h.grid->SetSelectedRange(CellRange(1, 1, 4, 3));
    h.grid->SetRowHeight(2, 0);
    h.grid->SetColumnWidth(2, 0);
    QVERIFY(h.grid->CopySelection());
    QCOMPARE(Clip(), QStringLiteral("1,1\t1,3\n3,1\t3,3\n4,1\t4,3"));
  }

  void copyKeepsUnselectedCellsAsEmptyFields() {
    GridHarness h;
    h.grid->SetFocusCell(1, 1);
    h.grid->SetSelectedRange(CellRange(1, 1, 2, 2));
    h.grid->SetCellState(1, 2, h.grid->GetCellState(1, 2) & ~tw::kCellSelected);
    h.Key(Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(Clip(), QStringLiteral("1,1\t\n2,1\t2,2"));
    h.grid->SetSelectedRange(CellRange());
    SetClip(QStringLiteral("unchanged"));
    QVERIFY(!h.grid->CopySelection());
    QCOMPARE(Clip(), QStringLiteral("unchanged"));
  }

  void pasteFillsBlockSkippingHiddenColumns() {
    GridHarness h;
    h.grid->SetColumnWidth(3, 0);
    h.grid->SetFocusCell(2, 1);
    h.grid->SetSelectedRange(CellRange(2, 1, 3, 2));
    SetClip(QStringLiteral("a\t b \tc\nd\te\tf"));
    h.Key(Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(h.grid->GetCellText(2, 1), QStringLiteral("a"));
    QCOMPARE(h.grid->GetCellText(2, 2), QStringLiteral("b"));
    QCOMPARE(h.grid->GetCellText(2, 3), QStringLiteral("2,3"));
    QCOMPARE(h.grid->GetCellText(2, 4), QStringLiteral("c"));
    QCOMPARE(h.grid->GetCellText(3, 1), QStringLiteral("d"));
    QCOMPARE(h.grid->GetCellText(3, 2), QStringLiteral("e"));
    QCOMPARE(h.grid->GetCellText(3, 4), QStringLiteral("f"));
    QCOMPARE(h.grid->GetCellText(4, 1), QStringLiteral("4,1"));
    QVERIFY(h.grid->GetModified(3, 4));
    QVERIFY(!h.grid->GetModified(2, 3));
    // Pasted cells leave the selection; each is framed by begin/end edit.
    QVERIFY(!h.grid->IsCellSelected(2, 1));
    QVERIFY(!h.grid->IsCellSelected(3, 2));
    QCOMPARE(h.Count(tw::kGridBeginEdit), 6);
    QCOMPARE(h.Count(tw::kGridEndEdit), 6);
  }

  void pasteSplitsAtCommasAndIgnoresAFinalLineFeed() {
    GridHarness h;
    h.grid->SetFocusCell(5, 5);
    SetClip(QStringLiteral("x,y\r\n"));
    QVERIFY(h.grid->PasteAtFocus());
    QCOMPARE(h.grid->GetCellText(5, 5), QStringLiteral("x"));
    QCOMPARE(h.grid->GetCellText(5, 6), QStringLiteral("y"));
    QCOMPARE(h.grid->GetCellText(6, 5), QStringLiteral("6,5"));
    QVERIFY(!h.grid->GetModified(6, 5));
  }

  void pasteLeavesReadOnlyAndFixedCellsAlone() {
    GridHarness h;
    h.grid->SetCellState(1, 16, h.grid->GetCellState(1, 16) | tw::kCellReadOnly);
    h.grid->SetFocusCell(1, 15);
    SetClip(QStringLiteral("p\tq\tr\ts\nt\tu\tv"));
    QVERIFY(h.grid->PasteAtFocus());
    QCOMPARE(h.grid->GetCellText(1, 15), QStringLiteral("p"));
    QCOMPARE(h.grid->GetCellText(1, 16), QStringLiteral("1,16"));
    QCOMPARE(h.grid->GetCellText(1, 17), QStringLiteral("1,17"));
    QCOMPARE(h.grid->GetCellText(2, 15), QStringLiteral("t"));
    QCOMPARE(h.grid->GetCellText(2, 16), QStringLiteral("u"));
    QCOMPARE(h.grid->GetCellText(2, 17), QStringLiteral("2,17"));
    // Paste into the last rows stops at the grid's edge.
    h.grid->SetFocusCell(20, 1);
    SetClip(QStringLiteral("m\nn\no"));
    QVERIFY(h.grid->PasteAtFocus());
    QCOMPARE(h.grid->GetCellText(20, 1), QStringLiteral("m"));
  }

  void pasteNeedsAnEditableFocusCellAndText() {
    GridHarness h;
    SetClip(QStringLiteral("w"));
    QVERIFY(!h.grid->PasteAtFocus());  // no focus cell
    h.grid->SetFocusCell(3, 3);
    h.grid->SetCellState(3, 3, h.grid->GetCellState(3, 3) | tw::kCellReadOnly);
    QVERIFY(!h.grid->PasteAtFocus());
    QCOMPARE(h.grid->GetCellText(3, 3), QStringLiteral("3,3"));
    h.grid->SetFocusCell(3, 4);
    SetClip(QString());
    QVERIFY(!h.grid->PasteAtFocus());
    QVERIFY(h.notes.empty());
  }

  void cutCopiesThenEmptiesEditableSelectedCells() {
    GridHarness h;
    h.grid->SetFocusCell(1, 1);
    h.grid->SetSelectedRange(CellRange(1, 1, 1, 2));
    h.grid->SetCellState(1, 2, h.grid->GetCellState(1, 2) | tw::kCellReadOnly);
    h.Key(Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(Clip(), QStringLiteral("1,1\t1,2"));
    QCOMPARE(h.grid->GetCellText(1, 1), QString());
    QCOMPARE(h.grid->GetCellText(1, 2), QStringLiteral("1,2"));
    QVERIFY(h.grid->GetModified(1, 1));
    QCOMPARE(h.Count(tw::kGridBeginEdit), 1);

    h.grid->SetEditable(false);
    h.grid->SetSelectedRange(CellRange(2, 1, 2, 1));
    QVERIFY(!h.grid->CutSelection());
    QCOMPARE(h.grid->GetCellText(2, 1), QStringLiteral("2,1"));
  }

  void selectAllTakesEveryNonFixedCell() {
    GridHarness h;
    h.grid->SetFocusCell(4, 4);
    h.Key(Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(h.grid->GetSelectedRange(), CellRange(1, 1, 20, 17));
    QCOMPARE(h.grid->GetSelectedCount(), 20 * 17);
    QVERIFY(!h.grid->IsCellSelected(0, 1));
  }
};

QTEST_MAIN(GridClipboardTest)
#include "grid_clipboard.moc"
