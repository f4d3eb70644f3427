// The hex view at any height: the rows reach the bottom of the grid (the
// last one drawn in part), the end of the image scrolls fully into view, and
// a move onto the partly shown row scrolls the page instead of the grid.
#include <QImage>
#include <QScrollBar>

#include "core/buffers/hex_view.h"
#include "window_flow_support.h"

using namespace tarnwick;
using namespace tarnwick::test;

namespace {

// Grid heights around whole rows of 18 pixels: shorter than the window's
// own, exactly whole, one pixel over and under, and taller.
constexpr int kHeights[] = {200, 252, 253, 271, 306, 377, 379, 450, 523};

QScrollBar* Bar(ProgrammerDlg& w) {
  return qobject_cast<QScrollBar*>(w.Control(ids::kHexScrollBar));
}

// A 512-byte chip with a 512-byte image: 32 rows, the last at 0x1F0.
bool PrepareRows(WindowHarness& h) {
  ProgrammerDlg& w = h.window();
  if (!ShowAndStart(h)) return false;
  if (!ChooseChip(w, QStringLiteral("24 EEPROM"), QStringLiteral("ATMEL"),
                  QStringLiteral("AT24C04"))) {
    return false;
  }
  const QString path = h.base() + "rows.bin";
  if (!WriteAll(path, Pattern(512, 5))) return false;
  const bool loaded = w.session().LoadUserFile(path.toStdString());
  h.Settle();
  return loaded;
}

void SetGridHeight(CGridCtrl* grid, int height) {
  grid->resize(grid->width(), height);
  QCoreApplication::processEvents();
}

// The grid row whose address cell reads `address`, or -1.
int RowShowing(CGridCtrl* grid, const QString& address) {
  for (int r = 1; r < grid->GetRowCount(); ++r) {
    if (grid->GetCellText(r, 0) == address) return r;
  }
  return -1;
}

// Pixel rows at the bottom of the viewport painted in the colour outside the
// cells (the band an unfilled grid leaves), looked at in a byte column.
int EmptyBandHeight(CGridCtrl* grid) {
  const QImage image = grid->viewport()->grab().toImage();
  const QColor outside = grid->palette().color(QPalette::Window);
  QRect cell;
  if (!grid->GetCellRect(1, 1, cell)) return image.height();
  const int x = cell.center().x();
  int band = 0;
  for (int y = image.height() - 1; y >= 0 && QColor(image.pixel(x, y)) == outside; --y) ++band;
  return band;
}

}  // namespace

class WindowHexRowsTest : public QObject {
  Q_OBJECT

 private slots:
  void rowsReachTheBottomAtEveryHeight();
  void theEndShowsTheLastRowWholeAtEveryHeight();
  void downOnThePartlyShownRowScrollsThePage();
};

void WindowHexRowsTest::rowsReachTheBottomAtEveryHeight() {
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  QVERIFY(PrepareRows(h));
  CGridCtrl* grid = Grid(w);
  for (int height : kHeights) {
    SetGridHeight(grid, height);
    const int view = grid->viewport()->height();
    const int page = w.session().hexView().pageRows();
    // Header and whole rows fit; the next row starts inside the view.
    QVERIFY2((page + 1) * 18 <= view, qPrintable(QString::number(height)));
    QVERIFY2((page + 2) * 18 > view, qPrintable(QString::number(height)));
    QCOMPARE(EmptyBandHeight(grid), 0);
    // The partly shown row holds the next row of data, not a blank.
    if ((page + 1) * 18 < view) {
      QCOMPARE(grid->GetRowCount(), page + 2);
      QCOMPARE(grid->GetCellText(page + 1, 0),
               QStringLiteral("%1").arg(page * 16, 8, 16, QLatin1Char('0')).toUpper());
      QCOMPARE(
          grid->GetCellText(page + 1, 1),
          QStringLiteral("%1")
              .arg(static_cast<std::uint8_t>(Pattern(512, 5)[page * 16]), 2, 16, QLatin1Char('0'))
              .toUpper());
    }
  }
  h.Reset();
}

void WindowHexRowsTest::theEndShowsTheLastRowWholeAtEveryHeight() {
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  QVERIFY(PrepareRows(h));
  CGridCtrl* grid = Grid(w);
  QScrollBar* bar = Bar(w);
  for (int height : kHeights) {
    SetGridHeight(grid, height);
    // Page steps on the bar's track until the end.
    for (int i = 0; i < 40; ++i) bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCoreApplication::processEvents();
    const int last = RowShowing(grid, QStringLiteral("000001F0"));
    QVERIFY2(last > 0, qPrintable(QString::number(height)));
    QRect cell;
    QVERIFY(grid->GetCellRect(last, 1, cell));
    QVERIFY2(cell.bottom() < grid->viewport()->height(), qPrintable(QString::number(height)));
    // Nothing above it is wasted: the last row is the last whole row.
    QCOMPARE(last, w.session().hexView().pageRows());
    QCOMPARE(EmptyBandHeight(grid), 0);
    for (int i = 0; i < 40; ++i) bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    QCoreApplication::processEvents();
    QCOMPARE(grid->GetCellText(1, 0), QStringLiteral("00000000"));
  }
  // Growing the view at the end brings rows in above instead of blank ones below.
  SetGridHeight(grid, 300);
  for (int i = 0; i < 40; ++i) bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  SetGridHeight(grid, 450);
  QCOMPARE(RowShowing(grid, QStringLiteral("000001F0")), w.session().hexView().pageRows());
  h.Reset();
}

void WindowHexRowsTest::downOnThePartlyShownRowScrollsThePage() {
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  QVERIFY(PrepareRows(h));
  CGridCtrl* grid = Grid(w);
  SetGridHeight(grid, 210);  // 10 whole rows and part of an eleventh
  const int page = w.session().hexView().pageRows();
  QCOMPARE(grid->GetRowCount(), page + 2);
  QRect cell;
  QVERIFY(grid->GetCellRect(page, 3, cell));
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
  QCoreApplication::processEvents();
  QTest::keyClick(grid, Qt::Key_Down);
  QCoreApplication::processEvents();
  // The page moved one row; the grid itself did not scroll under its header.
  QCOMPARE(grid->GetCellText(1, 0), QStringLiteral("00000010"));
  QCOMPARE(grid->verticalScrollBar()->value(), 0);
  QCOMPARE(grid->GetFocusCell(), CellId(page, 3));
  QCOMPARE(grid->GetCellText(page, 0),
           QStringLiteral("%1").arg(page * 16, 8, 16, QLatin1Char('0')).toUpper());
  // A click on the partly shown row brings it into view as well.
  QVERIFY(grid->GetCellRect(page + 1, 5, cell));
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                    QPoint(cell.center().x(), cell.top() + 1));
  QCoreApplication::processEvents();
  QCOMPARE(grid->GetCellText(1, 0), QStringLiteral("00000020"));
  QCOMPARE(grid->GetFocusCell(), CellId(page, 5));
  QCOMPARE(EmptyBandHeight(grid), 0);
  h.Reset();
}

QTEST_MAIN(WindowHexRowsTest)
#include "window_hex_rows.moc"
