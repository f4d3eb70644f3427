// The grid's cells, zones, counts, refusals, growth failures and painting.
#include <QTest>

#include <new>

#include "tests/ui/grid_fixture.h"

using tarnwick::CellId;
using tarnwick::CellRange;
using tarnwick::CGridCtrl;
using tarnwick::GridCellDescription;
using tarnwick::GridRgb;
using tarnwick::test::GridHarness;
namespace tw = tarnwick;

namespace {

// A grid whose cell factory runs out of memory after a number of cells.
class StarvedGrid : public CGridCtrl {
 public:
  StarvedGrid(int rows, int cols) : CGridCtrl(rows, cols, 1, 1) {}
  int cells_left = -1;

 protected:
  std::unique_ptr<tw::CGridCellBase> CreateCell(int row, int col) override {
    if (cells_left == 0) throw std::bad_alloc();
    if (cells_left > 0) --cells_left;
    return CGridCtrl::CreateCell(row, col);
  }
};

QRgb PixelAt(QWidget* w, const QPoint& p) { return w->grab().toImage().pixel(p) & 0xFFFFFF; }

}  // namespace

class GridModelTest : public QObject {
  Q_OBJECT

 private slots:
  void outOfRangeCallsAreRefused() {
    CGridCtrl grid(21, 18, 1, 1);
    QVERIFY(!grid.SetCellText(-1, 0, QStringLiteral("x")));
    QVERIFY(!grid.SetCellText(21, 0, QStringLiteral("x")));
    QVERIFY(!grid.SetCellText(0, 18, QStringLiteral("x")));
    QCOMPARE(grid.GetCellText(0, 18), QString());
    QCOMPARE(grid.GetCellState(-3, 2), 0u);
    QVERIFY(!grid.SetCellState(30, 1, tw::kCellSelected));
    QCOMPARE(grid.GetSelectedCount(), 0);
    QVERIFY(!grid.SetRowHeight(0, -1));
    QVERIFY(!grid.SetColumnWidth(18, 10));
    QCOMPARE(grid.GetRowHeight(99), -1);
    QVERIFY(!grid.SetRowCount(-1));
    QVERIFY(!grid.SetFixedRowCount(22));
    QVERIFY(!grid.SetTrailingFixedColumnCount(19));
    QVERIFY(grid.SetFocusCell(2, 2));
    QVERIFY(!grid.SetFocusCell(30, 1));
    QCOMPARE(grid.GetFocusCell(), CellId(2, 2));
    QVERIFY(!grid.SetSelectedRange(CellRange(1, 1, 21, 3)));
    QVERIFY(!grid.SetSelectedRange(CellRange(3, 3, 1, 1)));
    GridCellDescription d;
    d.row = 21;
    d.mask = tw::kGridMaskText;
    QVERIFY(!grid.SetCell(d));
    QVERIFY(!grid.SetModified(true, 50, 1));
    QVERIFY(!grid.GetModified());
    QVERIFY(!grid.EditCell(40, 1, Qt::Key_F2));
    QVERIFY(!grid.GetCellData(-1, -1));
    QCOMPARE(grid.GetCellFont(99, 99), *grid.GetDefaultCell(false, false)->GetFont());
  }

  void fixedCountsMarkAndUnmarkCells() {
    CGridCtrl grid(6, 5, 1, 1);
    grid.SetTrailingFixedColumnCount(1);
    const unsigned row_bits = tw::kCellFixed | tw::kCellFixedRow;
    const unsigned col_bits = tw::kCellFixed | tw::kCellFixedCol;
    QCOMPARE(grid.GetCellState(0, 2) & 0x70u, row_bits);
    QCOMPARE(grid.GetCellState(3, 0) & 0x70u, col_bits);
    QCOMPARE(grid.GetCellState(3, 4) & 0x70u, col_bits);
    QCOMPARE(grid.GetCellState(3, 2) & 0x70u, 0u);
    grid.SetCellTextColor(1, 2, GridRgb(1, 2, 3));
    QVERIFY(grid.SetFixedRowCount(2));
    QCOMPARE(grid.GetCellState(1, 2) & 0x70u, row_bits);
    QCOMPARE(grid.GetCell(1, 2)->GetTextClr(), tw::kGridDefaultColor);
    QVERIFY(grid.SetFixedRowCount(1));
    QCOMPARE(grid.GetCellState(1, 2) & 0x70u, 0u);
    QCOMPARE(grid.GetCellState(1, 0) & 0x70u, col_bits);
    // An earlier trailing mark stays when the count shrinks; new rows get it.
    QVERIFY(grid.SetTrailingFixedColumnCount(0));
    QCOMPARE(grid.GetCellState(3, 4) & 0x70u, col_bits);
    QVERIFY(grid.SetTrailingFixedColumnCount(1));
    QVERIFY(grid.SetRowCount(8));
    QCOMPARE(grid.GetCellState(7, 4) & 0x70u, col_bits);
    QCOMPARE(grid.GetCellState(7, 0) & 0x70u, col_bits);
    QVERIFY(grid.IsCellFixed(7, 4));
    QVERIFY(!grid.IsCellFixed(7, 3));
  }

  void growingAndShrinkingKeepsTheGridConsistent() {
    CGridCtrl grid(10, 6, 1, 1);
    grid.SetFocusCell(8, 5);
    grid.SetSelectedRange(CellRange(2, 2, 8, 5));
    QVERIFY(grid.SetRowCount(5));
    QCOMPARE(grid.GetFocusCell(), CellId());
    QCOMPARE(grid.GetSelectedRange(), CellRange(2, 2, 4, 5));
    QVERIFY(grid.SetColumnCount(4));
    QCOMPARE(grid.GetSelectedRange(), CellRange(2, 2, 4, 3));
    QVERIFY(grid.SetColumnCount(9));
    QCOMPARE(grid.GetColumnWidth(8), grid.GetDefaultCell(false, true)->GetWidth());
    QVERIFY(grid.SetRowCount(7));
    QCOMPARE(grid.GetRowHeight(6), grid.GetDefaultCell(false, false)->GetHeight());
    QVERIFY(grid.SetCellText(6, 8, QStringLiteral("corner")));
    QCOMPARE(grid.GetCellText(6, 8), QStringLiteral("corner"));
  }

  void runningOutOfMemoryKeepsTheGridUsable() {
    StarvedGrid grid(2, 3);
    grid.cells_left = 7;  // two full rows of three, then one cell
    QVERIFY(!grid.SetRowCount(10));
    QCOMPARE(grid.GetRowCount(), 4);
    QVERIFY(grid.SetCellText(3, 2, QStringLiteral("ok")));
    QCOMPARE(grid.GetRowHeight(3), grid.GetDefaultCell(false, false)->GetHeight());

    grid.cells_left = 5;  // not enough for one more column on four rows... twice
    QVERIFY(!grid.SetColumnCount(5));
    QCOMPARE(grid.GetColumnCount(), 3);
    QVERIFY(!grid.GetCell(0, 3));
    grid.cells_left = -1;
    QVERIFY(grid.SetColumnCount(5));
    for (int r = 0; r < 4; ++r) QVERIFY(grid.GetCell(r, 4));
  }

  void setCellAppliesOnlyMaskedFieldsInOrder() {
    CGridCtrl grid(4, 4, 1, 1);
    GridCellDescription d;
    d.row = 2;
    d.col = 2;
    d.mask = tw::kGridMaskText | tw::kGridMaskTextColor | tw::kGridMaskData;
    d.text = QStringLiteral("t");
    d.text_color = GridRgb(255, 0, 0);
    d.data = 42;
    d.image = 3;
    QVERIFY(grid.SetCell(d));
    const tw::CGridCellBase* cell = grid.GetCell(2, 2);
    QCOMPARE(cell->GetText(), QStringLiteral("t"));
    QCOMPARE(cell->GetTextClr(), GridRgb(255, 0, 0));
    QCOMPARE(grid.GetCellData(2, 2), std::intptr_t{42});
    QCOMPARE(cell->GetImage(), -1);
    QCOMPARE(cell->GetBackClr(), tw::kGridDefaultColor);
    QVERIFY(grid.GetModified(2, 2));
    // A masked state replaces the word, modified bit included.
    d.mask = tw::kGridMaskState | tw::kGridMaskFormat | tw::kGridMaskMargin;
    d.state = tw::kCellReadOnly | tw::kCellSelected;
    d.format = tw::kDtCenter;
    d.margin = 9;
    QVERIFY(grid.SetCell(d));
    QCOMPARE(cell->GetState(), tw::kCellReadOnly | tw::kCellSelected);
    QVERIFY(grid.IsCellSelected(2, 2));
    QVERIFY(!grid.IsCellEditable(2, 2));
    QCOMPARE(cell->GetFormat(), tw::kDtCenter | tw::kDtNoPrefix);
    QCOMPARE(cell->GetMargin(), 9u);
  }

  void modifiedFlagsFollowTheGridFlag() {
    CGridCtrl grid(5, 5, 1, 1);
    QVERIFY(grid.SetModified(true, 2, 2));
    QVERIFY(grid.SetModified(true, 0, 3));  // header cells are cells too
    QVERIFY(grid.GetModified(0, 3));
    QVERIFY(grid.GetModified());
    QVERIFY(grid.SetModified(false, 2, 2));
    QVERIFY(!grid.GetModified(2, 2));
    QVERIFY(grid.GetModified());
    QVERIFY(grid.SetModified(false));
    QVERIFY(!grid.GetModified());
    QVERIFY(!grid.GetModified(0, 3));
  }

  void cellStateKeepsTheSelectionInStep() {
    CGridCtrl grid(5, 5, 1, 1);
    grid.SetCellState(2, 3, tw::kCellSelected);
    QVERIFY(grid.IsCellSelected(2, 3));
    QCOMPARE(grid.GetSelectedRange(), CellRange(2, 3, 2, 3));
    grid.SetCellState(2, 3, 0);
    QCOMPARE(grid.GetSelectedCount(), 0);
    grid.SetSelectedRange(CellRange(1, 1, 2, 2));
    grid.SetFocusCell(1, 1);
    grid.ClearSelection();
    QCOMPARE(grid.GetSelectedCount(), 0);
    QCOMPARE(grid.GetFocusCell(), CellId());
    QVERIFY(!(grid.GetCellState(1, 1) & (tw::kCellSelected | tw::kCellFocused)));
  }

  void fontsAndFormatsFallBackToTheZone() {
    CGridCtrl grid(4, 4, 1, 1);
    QFont zone_font = *grid.GetDefaultCell(true, false)->GetFont();
    zone_font.setPointSize(21);
    grid.GetDefaultCell(true, false)->SetFont(&zone_font);
    QCOMPARE(grid.GetCellFont(0, 2).pointSize(), 21);
    QVERIFY(grid.GetCellFont(2, 2).pointSize() != 21);
    QFont own;
    own.setPixelSize(14);
    grid.SetCellFont(2, 2, &own);
    QCOMPARE(grid.GetCellFont(2, 2).pixelSize(), 14);
    grid.SetCellFont(2, 2, nullptr);
    QVERIFY(grid.GetCellFont(2, 2).pixelSize() != 14);

    QCOMPARE(tw::FormatToAlignment(tw::kDtDefaultFormat), Qt::AlignLeft | Qt::AlignVCenter);
    QCOMPARE(tw::FormatToAlignment(tw::kDtRight | tw::kDtBottom), Qt::AlignRight | Qt::AlignBottom);
    QCOMPARE(tw::FormatToAlignment(tw::kDtCenter), Qt::AlignHCenter | Qt::AlignTop);
    const tw::CGridDefaultCell& zone = *grid.GetDefaultCell(false, false);
    QCOMPARE(zone.GetFormat(), tw::kDtDefaultFormat);
    QVERIFY(zone.GetHeight() > QFontMetrics(*zone.GetFont()).height());
    QVERIFY(zone.GetWidth() > 12 * QFontMetrics(*zone.GetFont()).horizontalAdvance('X') - 1);
  }

  void paintsSelectionFixedColoursAndGridLines() {
    GridHarness h;
    CGridCtrl::SetSelectionColors(GridRgb(255, 255, 255), GridRgb(0, 0, 200));
    CGridCtrl::SetFixedEdgeColor(GridRgb(10, 10, 10));
    h.grid->SetFixedTextColor(GridRgb(0, 0, 255));
    h.grid->SetFixedBackColor(GridRgb(250, 250, 250));
    h.grid->GetDefaultCell(false, false)->SetBackClr(GridRgb(255, 255, 255));
    for (int r = 0; r < 21; ++r) {
      for (int c = 0; c < 18; ++c) h.grid->SetCellText(r, c, QString());
    }
    h.grid->SetSelectedRange(CellRange(2, 2, 2, 2));
    h.grid->SetCellBackColor(3, 3, GridRgb(0, 200, 0));
    for (bool buffered : {true, false}) {
      h.grid->SetDoubleBuffering(buffered);
      QRect sel, own, fixed, trailing, plain;
      QVERIFY(h.grid->GetCellRect(2, 2, sel));
      QVERIFY(h.grid->GetCellRect(3, 3, own));
      QVERIFY(h.grid->GetCellRect(0, 5, fixed));
      QVERIFY(h.grid->GetCellRect(4, 17, trailing));
      QVERIFY(h.grid->GetCellRect(5, 5, plain));
      QCOMPARE(PixelAt(h.View(), sel.center()), QColor(0, 0, 200).rgb() & 0xFFFFFF);
      QCOMPARE(PixelAt(h.View(), own.center()), QColor(0, 200, 0).rgb() & 0xFFFFFF);
      QCOMPARE(PixelAt(h.View(), fixed.center()), QColor(250, 250, 250).rgb() & 0xFFFFFF);
      QCOMPARE(PixelAt(h.View(), trailing.center()), QColor(250, 250, 250).rgb() & 0xFFFFFF);
      QCOMPARE(PixelAt(h.View(), plain.center()), QColor(255, 255, 255).rgb() & 0xFFFFFF);
      // Grid line on the last pixel column; dark edge just inside it.
      QCOMPARE(PixelAt(h.View(), QPoint(plain.right(), plain.center().y())),
               QColor(192, 192, 192).rgb() & 0xFFFFFF);
      QCOMPARE(PixelAt(h.View(), QPoint(fixed.right() - 1, fixed.center().y())),
               QColor(10, 10, 10).rgb() & 0xFFFFFF);
    }
    CGridCtrl::SetSelectionColors(tw::kGridDefaultColor, tw::kGridDefaultColor);
    CGridCtrl::SetFixedEdgeColor(tw::kGridDefaultColor);
  }

  void textIsDrawnInItsCellColour() {
    GridHarness h;
    h.grid->GetDefaultCell(false, false)->SetBackClr(GridRgb(255, 255, 255));
    h.grid->SetCellText(5, 5, QStringLiteral("MM"));
    h.grid->SetCellTextColor(5, 5, GridRgb(255, 0, 0));
    QRect rect;
    QVERIFY(h.grid->GetCellRect(5, 5, rect));
    const QImage img = h.View()->grab().toImage();
    bool red = false;
    for (int y = rect.top(); y < rect.bottom() && !red; ++y) {
      for (int x = rect.left(); x < rect.right() && !red; ++x) {
        const QColor c = img.pixelColor(x, y);
        red = c.red() > 150 && c.green() < 100 && c.blue() < 100;
      }
    }
    QVERIFY(red);
  }
};

QTEST_MAIN(GridModelTest)
#include "grid_model.moc"
