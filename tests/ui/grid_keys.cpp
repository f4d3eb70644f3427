// Keyboard navigation and in-place editing of the grid, driven by real keys.
#include <QTest>

#include "tests/ui/grid_fixture.h"

using tarnwick::CellId;
using tarnwick::CellRange;
using tarnwick::test::GridHarness;
namespace tw = tarnwick;

class GridKeysTest : public QObject {
  Q_OBJECT

 private slots:
  void trailingFixedColumnIsNeverEntered() {
    GridHarness h;
    h.grid->SetFocusCell(1, 15);
    h.Key(Qt::Key_Right);
    QCOMPARE(h.grid->GetFocusCell(), CellId(1, 16));
    h.Key(Qt::Key_Right);
    QCOMPARE(h.grid->GetFocusCell(), CellId(1, 16));
    h.Key(Qt::Key_Tab);
    QCOMPARE(h.grid->GetFocusCell(), CellId(2, 1));
    h.Key(Qt::Key_Backtab);
    QCOMPARE(h.grid->GetFocusCell(), CellId(1, 16));
    h.Key(Qt::Key_End);
    QCOMPARE(h.grid->GetFocusCell(), CellId(1, 16));
    h.Key(Qt::Key_Home);
    QCOMPARE(h.grid->GetFocusCell(), CellId(1, 1));
    // Up stays out of the fixed header row.
    h.Key(Qt::Key_Up);
    QCOMPARE(h.grid->GetFocusCell(), CellId(1, 1));
    // Tab in the very last cell has no next row to wrap to.
    h.grid->SetFocusCell(20, 16);
    h.Key(Qt::Key_Tab);
    QCOMPARE(h.grid->GetFocusCell(), CellId(20, 16));
  }

  void hiddenColumnsAndRowsAreSkipped() {
    GridHarness h;
    h.grid->SetColumnWidth(5, 0);
    h.grid->SetRowHeight(3, 0);
    h.grid->SetFocusCell(2, 4);
    h.Key(Qt::Key_Right);
    QCOMPARE(h.grid->GetFocusCell(), CellId(2, 6));
    h.Key(Qt::Key_Left);
    QCOMPARE(h.grid->GetFocusCell(), CellId(2, 4));
    h.Key(Qt::Key_Down);
    QCOMPARE(h.grid->GetFocusCell(), CellId(4, 4));
    h.Key(Qt::Key_Up);
    QCOMPARE(h.grid->GetFocusCell(), CellId(2, 4));
  }

  void moveSelectsAndShiftExtends() {
    GridHarness h;
    h.grid->SetFocusCell(2, 2);
    h.Key(Qt::Key_Right);
    QCOMPARE(h.grid->GetSelectedCount(), 1);
    QVERIFY(h.grid->IsCellSelected(2, 3));
    h.Key(Qt::Key_Right, Qt::ShiftModifier);
    h.Key(Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(h.grid->GetSelectedRange(), CellRange(2, 3, 3, 4));
    QCOMPARE(h.grid->GetSelectedCount(), 4);
    QCOMPARE(h.grid->GetFocusCell(), CellId(3, 4));
    QVERIFY(h.grid->GetCellState(3, 4) & tw::kCellFocused);
    QVERIFY(!(h.grid->GetCellState(2, 3) & tw::kCellFocused));
    // The owner hears the focus move: changing first, then changed.
    h.notes.clear();
    h.Key(Qt::Key_Left);
    QCOMPARE(h.notes.size(), size_t{2});
    QCOMPARE(h.notes[0].code, tw::kGridSelChanging);
    QCOMPARE(h.notes[1].code, tw::kGridSelChanged);
    QCOMPARE(h.notes[1].col, 3);
    QCOMPARE(h.grid->GetSelectedCount(), 1);
  }

  void pageKeysAndCtrlHomeEndScroll() {
    GridHarness h(60, 18);
    h.grid->SetFocusCell(1, 3);
    h.Key(Qt::Key_PageDown);
    const CellId after = h.grid->GetFocusCell();
    const int scrolled = h.grid->GetTopLeftNonFixedCell().row - 1;
    QVERIFY(scrolled > 0);
    QCOMPARE(after.row, 1 + scrolled);
    QVERIFY(h.grid->IsCellVisible(after.row, after.col));
    h.Key(Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(h.grid->GetFocusCell(), CellId(59, 16));
    QVERIFY(h.grid->IsCellVisible(59, 16));
    h.Key(Qt::Key_PageDown);  // nothing left to scroll: goes to the last row
    QCOMPARE(h.grid->GetFocusCell().row, 59);
    h.Key(Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(h.grid->GetFocusCell(), CellId(1, 1));
    QCOMPARE(h.grid->GetTopLeftNonFixedCell().row, 1);
    h.Key(Qt::Key_PageUp);
    QCOMPARE(h.grid->GetFocusCell().row, 1);
    // Moving down past the view scrolls it along.
    for (int i = 0; i < 25; ++i) h.Key(Qt::Key_Down);
    QCOMPARE(h.grid->GetFocusCell().row, 26);
    QVERIFY(h.grid->IsCellVisible(26, 1));
  }

  void typingReplacesAndEnterCommitsKeepingFocus() {
    GridHarness h;
    h.grid->SetFocusCell(3, 4);
    h.Type("A");
    QVERIFY(h.Editor());
    QCOMPARE(h.Editor()->text(), QStringLiteral("A"));
    QCOMPARE(h.Count(tw::kGridBeginEdit), 1);
    h.Key(Qt::Key_Return);
    QVERIFY(!h.Editor());
    QCOMPARE(h.grid->GetCellText(3, 4), QStringLiteral("A"));
    QVERIFY(h.grid->GetModified(3, 4));
    QVERIFY(h.grid->GetModified());
    QCOMPARE(h.grid->GetFocusCell(), CellId(3, 4));
    QCOMPARE(h.Count(tw::kGridEndEdit), 1);
    QVERIFY(h.grid->hasFocus());
  }

  void arrowCommitsMovesAndEditsTheNextCell() {
    GridHarness h;
    h.grid->SetFocusCell(2, 5);
    h.Type("B");
    h.Key(Qt::Key_Right);
    QCOMPARE(h.grid->GetCellText(2, 5), QStringLiteral("B"));
    QCOMPARE(h.grid->GetFocusCell(), CellId(2, 6));
    QVERIFY(h.Editor());
    QCOMPARE(h.Editor()->Col(), 6);
    QCOMPARE(h.Editor()->selectedText(), QStringLiteral("2,6"));
    h.Type("C");
    h.Key(Qt::Key_Tab);
    QCOMPARE(h.grid->GetCellText(2, 6), QStringLiteral("C"));
    QCOMPARE(h.grid->GetFocusCell(), CellId(2, 7));
    QVERIFY(h.Editor());
    // Tab out of the last byte column flows to the next row, not the ASCII column.
    h.grid->SetFocusCell(4, 16);
    h.Key(Qt::Key_Escape);
    h.Key(Qt::Key_F2);
    QCOMPARE(h.Editor()->Col(), 16);
    h.Key(Qt::Key_Tab);
    QCOMPARE(h.grid->GetFocusCell(), CellId(5, 1));
    QCOMPARE(h.Editor()->Row(), 5);
    QCOMPARE(h.Count(tw::kGridBeginEdit), h.Count(tw::kGridEndEdit) + 1);
  }

  void escapeRestoresWithoutModification() {
    GridHarness h;
    h.grid->SetFocusCell(4, 4);
    h.Type("Z");
    h.Type("Q");
    QCOMPARE(h.Editor()->text(), QStringLiteral("ZQ"));
    h.Key(Qt::Key_Escape);
    QVERIFY(!h.Editor());
    QCOMPARE(h.grid->GetCellText(4, 4), QStringLiteral("4,4"));
    QVERIFY(!h.grid->GetModified(4, 4));
    QVERIFY(!h.grid->GetModified());
    QCOMPARE(h.grid->GetFocusCell(), CellId(4, 4));
    QCOMPARE(h.Count(tw::kGridEndEdit), 1);
  }

  void startKeysGiveTheirStartStates() {
    GridHarness h;
    h.grid->SetFocusCell(7, 7);
    h.Key(Qt::Key_F2);
    QCOMPARE(h.Editor()->text(), QStringLiteral("7,7"));
    QVERIFY(!h.Editor()->hasSelectedText());
    QCOMPARE(h.Editor()->cursorPosition(), 3);
    h.Key(Qt::Key_Escape);

    // Enter start: arrows move the caret; only Ctrl+arrow leaves the cell.
    h.Key(Qt::Key_Return);
    h.Key(Qt::Key_Left);
    QVERIFY(h.Editor());
    QCOMPARE(h.Editor()->cursorPosition(), 2);
    h.Type("x");
    h.Key(Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(h.grid->GetCellText(7, 7), QStringLiteral("7,x7"));
    QCOMPARE(h.grid->GetFocusCell(), CellId(7, 8));
    QVERIFY(h.Editor());
    h.Key(Qt::Key_Escape);

    h.Key(Qt::Key_Backspace);
    QCOMPARE(h.Editor()->text(), QStringLiteral("7,"));
    h.Key(Qt::Key_Return);
    QCOMPARE(h.grid->GetCellText(7, 8), QStringLiteral("7,"));

    h.Key(Qt::Key_Space);
    QCOMPARE(h.Editor()->selectedText(), QStringLiteral("7,"));
    h.Key(Qt::Key_Escape);
  }

  void editorWidensWhileTyping() {
    GridHarness h;
    h.grid->SetFocusCell(1, 1);
    h.Type("0123456789");
    QVERIFY(h.Editor()->width() > 25);
    QVERIFY(h.Editor()->geometry().right() < h.grid->viewport()->width());
  }

  void readOnlyCellsDoNotEdit() {
    GridHarness h;
    h.grid->SetCellState(6, 7, h.grid->GetCellState(6, 7) | tw::kCellReadOnly);
    h.grid->SetFocusCell(6, 7);
    h.Type("A");
    h.Key(Qt::Key_Delete);
    QVERIFY(!h.Editor());
    QCOMPARE(h.grid->GetCellText(6, 7), QStringLiteral("6,7"));
    QVERIFY(h.notes.empty());

    h.grid->SetFocusCell(6, 6);
    h.Key(Qt::Key_Delete);
    QCOMPARE(h.grid->GetCellText(6, 6), QString());
    QVERIFY(h.grid->GetModified(6, 6));
    QCOMPARE(h.Count(tw::kGridBeginEdit), 1);
    QCOMPARE(h.Count(tw::kGridEndEdit), 1);

    h.grid->SetEditable(false);
    h.Key(Qt::Key_F2);
    QVERIFY(!h.Editor());
  }

  void focusLossEndsTheEditOnce() {
    GridHarness h;
    h.grid->SetFocusCell(2, 2);
    h.Type("K");
    h.Click(9, 9);
    QVERIFY(!h.Editor());
    QCOMPARE(h.grid->GetCellText(2, 2), QStringLiteral("K"));
    QCOMPARE(h.Count(tw::kGridEndEdit), 1);
    QCOMPARE(h.grid->GetFocusCell(), CellId(9, 9));
  }

  void shrinkingOrDestroyingTheGridWhileEditingIsSafe() {
    GridHarness h;
    h.grid->SetFocusCell(20, 3);
    h.Type("E");
    QVERIFY(h.Editor());
    QVERIFY(h.grid->SetRowCount(10));  // the edited row goes away
    QVERIFY(!h.Editor());
    QCOMPARE(h.grid->GetFocusCell(), CellId());
    h.grid->SetFocusCell(2, 2);
    h.Type("F");
    QVERIFY(h.Editor());
    h.grid.reset();
    QCoreApplication::processEvents();
  }
};

QTEST_MAIN(GridKeysTest)
#include "grid_keys.moc"
