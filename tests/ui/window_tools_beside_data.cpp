// Go to, find and data view stand beside the hex view's data, never over
// the row they have just shown: opened, they take the side of the data with
// room on the screen; put over the data by the user, they move off the row
// an address or a hit shows under them.
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include "ui/app/main_menu.h"
#include "ui/buffers/beside_data.h"
#include "ui/buffers/buffer_tool_dialogs.h"
#include "ui/buffers/data_view_dialog.h"
#include "ui/buffers/find_dialog.h"
#include "ui/buffers/go_to_dialog.h"
#include "window_flow_support.h"

using namespace tarnwick;
using namespace tarnwick::test;

namespace {

// The window at its place on the screen with 4 KiB loaded; `marks` go into
// the zero bytes.
bool Prepare(WindowHarness& h, const std::vector<std::pair<int, QByteArray>>& marks = {}) {
  ProgrammerDlg& w = h.window();
  w.move(0, 0);
  if (!ShowAndStart(h)) return false;
  QByteArray data(4096, '\0');
  for (const auto& [at, bytes] : marks) data.replace(at, bytes.size(), bytes);
  const QString file = h.base() + "image.bin";
  if (!WriteAll(file, data)) return false;
  const bool ok = w.session().LoadUserFile(file.toStdString());
  h.Settle();
  return ok;
}

// The grid row `row` across all its columns, on the screen.
QRect RowOnScreen(CGridCtrl* grid, int row) {
  QRect first;
  QRect last;
  if (!grid->GetCellRect(row, 0, first) ||
      !grid->GetCellRect(row, grid->GetColumnCount() - 1, last))
    return {};
  const QRect r = first.united(last);
  return QRect(grid->viewport()->mapToGlobal(r.topLeft()), r.size());
}

QRect GridOnScreen(CGridCtrl* grid) {
  return QRect(grid->viewport()->mapToGlobal(QPoint(0, 0)), grid->viewport()->size());
}

// Puts the dialog's middle on the middle of the grid's row `row`.
void PutOver(QWidget& d, CGridCtrl* grid, int row) {
  const QRect r = RowOnScreen(grid, row);
  d.move(r.center() - QPoint(d.frameGeometry().width() / 2, d.frameGeometry().height() / 2));
  QCoreApplication::processEvents();
}

QString Describe(const QRect& a, const QRect& b) {
  return QStringLiteral("dialog %1,%2 %3x%4, row %5,%6 %7x%8")
      .arg(a.x())
      .arg(a.y())
      .arg(a.width())
      .arg(a.height())
      .arg(b.x())
      .arg(b.y())
      .arg(b.width())
      .arg(b.height());
}

}  // namespace

class WindowToolsBesideDataTest : public QObject {
  Q_OBJECT

 private slots:
  void placementKeepsTheRowInSightOnAnyScreen();
  void goToOpensBesideTheDataAndItsRowStaysInSight();
  void goToMovesOffTheRowItShowsUnderIt();
  void findMovesOffTheHitItMarksUnderIt();
  void dataViewMovesOffTheRowItShowsUnderIt();
};

// The rule itself, on screens of several shapes: the dialog never ends on
// the row, and it stays on the screen whenever the screen leaves it room.
void WindowToolsBesideDataTest::placementKeepsTheRowInSightOnAnyScreen() {
  const QRect data(100, 50, 700, 400);
  const QSize dialog(240, 90);
  for (const QRect& screen : {QRect(0, 0, 1600, 1000), QRect(0, 0, 900, 600), QRect(0, 0, 820, 470),
                              QRect(-1600, 0, 2450, 1000)}) {
    for (int rowTop = 68; rowTop < 440; rowTop += 18) {
      const QRect row(100, rowTop, 700, 18);
      // Placed right over the row, as a dialog centred on the window may be.
      const QRect over(QPoint(row.center().x() - 120, row.center().y() - 45), dialog);
      const std::optional<QPoint> p = OffTheRow(over, data, row, screen);
      QVERIFY(p.has_value());
      const QRect moved(*p, dialog);
      QVERIFY2(!moved.intersects(row), qPrintable(Describe(moved, row)));
      QVERIFY2(screen.contains(moved), qPrintable(Describe(moved, screen)));
      // Room on the right of the data: the dialog stands there, level with the row.
      if (screen.right() > data.right() + 8 + dialog.width()) {
        QCOMPARE(moved.left(), data.right() + 1 + 8);
        QCOMPARE(moved.top(), std::min(row.top(), screen.bottom() + 1 - dialog.height()));
      }
    }
    // Clear of the row already: it stays where it is.
    QVERIFY(!OffTheRow(QRect(QPoint(120, 300), dialog), data, QRect(100, 68, 700, 18), screen));
  }
}

void WindowToolsBesideDataTest::goToOpensBesideTheDataAndItsRowStaysInSight() {
  WindowHarness h;
  QVERIFY(Prepare(h));
  ProgrammerDlg& w = h.window();
  CGridCtrl* grid = Grid(w);
  GoToDialog& d = w.bufferTools().goTo();
  // The window stands so that the screen has room on the left of the data
  // only (a test screen is narrower than the window).
  const QRect screen = w.screen()->availableGeometry();
  w.move(screen.left() + 320 - GridOnScreen(grid).left() + w.frameGeometry().left(), 0);
  h.Settle();
  QVERIFY2(screen.right() < GridOnScreen(grid).right() + 300,
           qPrintable(Describe(GridOnScreen(grid), screen)));
  QVERIFY(Open(w, ids::kGoToAddress, d));
  const QRect data = GridOnScreen(grid);
  QVERIFY2(!d.frameGeometry().intersects(data), qPrintable(Describe(d.frameGeometry(), data)));
  QVERIFY(screen.contains(d.frameGeometry()));
  for (const QString& address :
       {QStringLiteral("A5"), QStringLiteral("3A7"), QStringLiteral("FF0")}) {
    TypeAndEnter(d, ids::kGoToAddressEdit, address);
    h.Settle();
    const int row = grid->GetFocusCell().row;
    QVERIFY(row > 0);
    const QRect shown = RowOnScreen(grid, row);
    QVERIFY2(!d.frameGeometry().intersects(shown), qPrintable(Describe(d.frameGeometry(), shown)));
  }
  // Room on the right of the data: opened again, it stands there, clear of
  // the view's scroll bar too.
  d.hide();
  QWidget* bar = w.Control(ids::kHexScrollBar);
  const QRect barBefore(bar->mapToGlobal(QPoint(0, 0)), bar->size());
  w.move(w.frameGeometry().left() + screen.left() + 400 - barBefore.right(), 0);
  h.Settle();
  QVERIFY(Open(w, ids::kGoToAddress, d));
  const QRect barOnScreen(bar->mapToGlobal(QPoint(0, 0)), bar->size());
  QVERIFY2(d.frameGeometry().left() > barOnScreen.right(),
           qPrintable(Describe(d.frameGeometry(), barOnScreen)));
  h.Reset();
}

void WindowToolsBesideDataTest::goToMovesOffTheRowItShowsUnderIt() {
  WindowHarness h;
  QVERIFY(Prepare(h));
  ProgrammerDlg& w = h.window();
  CGridCtrl* grid = Grid(w);
  GoToDialog& d = w.bufferTools().goTo();
  QVERIFY(Open(w, ids::kGoToAddress, d));
  // The user drags it over the middle of the data; address 0x94 is on row 10.
  PutOver(d, grid, 10);
  QVERIFY(d.frameGeometry().intersects(RowOnScreen(grid, 10)));
  TypeAndEnter(d, ids::kGoToAddressEdit, QStringLiteral("94"));
  h.Settle();
  QCOMPARE(grid->GetFocusCell(), CellId(10, 5));
  const QRect shown = RowOnScreen(grid, 10);
  QVERIFY2(!d.frameGeometry().intersects(shown), qPrintable(Describe(d.frameGeometry(), shown)));
  // Where it went it stays: the next address, on another row, moves nothing.
  const QPoint at = d.pos();
  TypeAndEnter(d, ids::kGoToAddressEdit, QStringLiteral("14"));
  h.Settle();
  if (!d.frameGeometry().intersects(RowOnScreen(grid, 2))) QCOMPARE(d.pos(), at);
  h.Reset();
}

void WindowToolsBesideDataTest::findMovesOffTheHitItMarksUnderIt() {
  BoxWatcher boxes;
  WindowHarness h;
  // The hit straddles rows 12 and 13 of the first page.
  QVERIFY(Prepare(h, {{0xBE, QByteArray::fromHex("C0FFEE")}}));
  ProgrammerDlg& w = h.window();
  CGridCtrl* grid = Grid(w);
  FindDialog& d = w.bufferTools().find();
  QVERIFY(Open(w, ids::kFind, d));
  PutOver(d, grid, 12);
  QVERIFY(d.frameGeometry().intersects(RowOnScreen(grid, 12)));
  TypeAndEnter(d, ids::kFindPatternEdit, QStringLiteral("C0FFEE"));
  QTRY_VERIFY_WITH_TIMEOUT(d.hitsShown() == 1, kLongWaitMs);
  h.Settle();
  QCOMPARE(grid->GetFocusCell(), CellId(12, 15));
  const QRect hit = RowOnScreen(grid, 12).united(RowOnScreen(grid, 13));
  QVERIFY2(!d.frameGeometry().intersects(hit), qPrintable(Describe(d.frameGeometry(), hit)));
  d.reject();
  h.Settle();
  h.Reset();
}

void WindowToolsBesideDataTest::dataViewMovesOffTheRowItShowsUnderIt() {
  BoxWatcher boxes;
  WindowHarness h;
  QVERIFY(Prepare(h));
  ProgrammerDlg& w = h.window();
  CGridCtrl* grid = Grid(w);
  DataViewDialog& d = w.bufferTools().dataView();
  QVERIFY(Open(w, ids::kDataView, d));
  PutOver(d, grid, 9);
  QVERIFY(d.frameGeometry().intersects(RowOnScreen(grid, 9)));
  TypeAndEnter(d, ids::kDataViewAddressEdit, QStringLiteral("8B"));
  QTRY_VERIFY_WITH_TIMEOUT(!d.busy(), kLongWaitMs);
  h.Settle();
  QCOMPARE(grid->GetFocusCell(), CellId(9, 12));
  const QRect shown = RowOnScreen(grid, 9);
  QVERIFY2(!d.frameGeometry().intersects(shown), qPrintable(Describe(d.frameGeometry(), shown)));
  d.reject();
  h.Settle();
  h.Reset();
}

QTEST_MAIN(WindowToolsBesideDataTest)
#include "window_tools_beside_data.moc"
