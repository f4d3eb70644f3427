// The main window grows like any desktop window: from the template's size,
// which is also its least, the hex view and the log pane take the room, the
// status line takes the width, and the chip, operation and notice panels
// keep their place at the edges.
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTest>
#include <map>

#include "core/app/text_ids.h"
#include "core/app/text_table.h"
#include "main_window_fixture.h"
#include "resources/ids.h"
#include "ui/app/elided_label.h"
#include "ui/grid/grid_ctrl.h"

using namespace tarnwick;
using tarnwick::test::WindowHarness;

namespace {

const QSize kLargeWindow(1600, 1000);

// Data rows of the hex view whose whole height shows inside the grid.
int WholeRowsShown(CGridCtrl* grid) {
  int y = grid->GetRowHeight(0);
  int rows = 0;
  for (int r = 1; r < grid->GetRowCount(); ++r) {
    y += grid->GetRowHeight(r);
    if (y > grid->viewport()->height()) break;
    ++rows;
  }
  return rows;
}

int ColumnsWidth(CGridCtrl* grid) {
  int total = 0;
  for (int c = 0; c < grid->GetColumnCount(); ++c) total += grid->GetColumnWidth(c);
  return total;
}

}  // namespace

class WindowResizeTest : public QObject {
  Q_OBJECT

 private slots:
  void theTemplateSizeIsTheLeastAndTheWindowGrowsFromIt();
  void aLargerWindowGivesItsRoomToTheHexViewAndTheLogPane();
  void theStatusLineTakesTheWidthTheWindowGives();
  void theWindowFitsTheScreenItOpensOn();
};

void WindowResizeTest::theTemplateSizeIsTheLeastAndTheWindowGrowsFromIt() {
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  w.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w));
  const QSize start = w.size();
  QCOMPARE(w.minimumSize(), start);
  QVERIFY(w.maximumWidth() > kLargeWindow.width() && w.maximumHeight() > kLargeWindow.height());
  w.resize(start - QSize(100, 100));
  h.Settle();
  QCOMPARE(w.size(), start);  // never smaller than the template
  w.resize(kLargeWindow);
  h.Settle();
  QCOMPARE(w.size(), kLargeWindow);
}

void WindowResizeTest::aLargerWindowGivesItsRoomToTheHexViewAndTheLogPane() {
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  w.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w));
  h.Settle();
  auto* grid = qobject_cast<CGridCtrl*>(w.Control(ids::kHexGrid));
  std::map<int, QRect> before;
  for (const auto& [id, c] :
       std::map<int, QWidget*>{{ids::kHexGrid, grid},
                               {ids::kLogPane, w.Control(ids::kLogPane)},
                               {ids::kChipGroup, w.Control(ids::kChipGroup)},
                               {ids::kOperationGroup, w.Control(ids::kOperationGroup)},
                               {ids::kAutoProgramButton, w.Control(ids::kAutoProgramButton)},
                               {ids::kNoticeGroup, w.Control(ids::kNoticeGroup)},
                               {ids::kBrowseButton, w.Control(ids::kBrowseButton)}}) {
    before[id] = c->geometry();
  }
  const QWidget* client = w.centralWidget();
  const int noticeMargin = client->width() - before[ids::kNoticeGroup].right();
  const int columnsBefore = ColumnsWidth(grid);
  const int byteColumnBefore = grid->GetColumnWidth(1);
  const int rowsBefore = WholeRowsShown(grid);

  w.resize(kLargeWindow);
  h.Settle();

  // The hex view is larger both ways; its columns spread over the width.
  const QRect hex = grid->geometry();
  QVERIFY(hex.width() > before[ids::kHexGrid].width() + 400);
  QVERIFY(hex.height() > before[ids::kHexGrid].height() + 200);
  QVERIFY(ColumnsWidth(grid) > columnsBefore + 400);
  QVERIFY(ColumnsWidth(grid) <= grid->viewport()->width());
  QVERIFY(grid->GetColumnWidth(1) > byteColumnBefore);
  // The rows follow the height: more of them show.
  QVERIFY(WholeRowsShown(grid) > rowsBefore + 10);
  // The data panel holds the grid and the pane at any size.
  const QRect data = w.Control(ids::kDataGroup)->geometry();
  QVERIFY(data.contains(hex) && data.contains(w.Control(ids::kLogPane)->geometry()));
  // The log pane grows in width and stays below the hex view.
  const QRect pane = w.Control(ids::kLogPane)->geometry();
  QVERIFY(pane.width() > before[ids::kLogPane].width() + 400);
  QVERIFY(pane.top() > hex.bottom());
  QCOMPARE(pane.height(), before[ids::kLogPane].height());
  // The left panels keep their place and size; the notice panel stays at
  // the right edge, as far from it as before; browse stays beside it.
  for (int id : {ids::kChipGroup, ids::kOperationGroup, ids::kAutoProgramButton}) {
    QCOMPARE(w.Control(id)->geometry(), before[id]);
  }
  const QRect notice = w.Control(ids::kNoticeGroup)->geometry();
  QCOMPARE(client->width() - notice.right(), noticeMargin);
  QCOMPARE(notice.width(), before[ids::kNoticeGroup].width());
  QVERIFY(w.Control(ids::kBrowseButton)->geometry().right() < notice.left());
  QVERIFY(pane.right() < notice.left());

  // Back to the least size: everything where the template puts it.
  w.resize(w.minimumSize());
  h.Settle();
  QCOMPARE(grid->geometry(), before[ids::kHexGrid]);
  QCOMPARE(ColumnsWidth(grid), columnsBefore);
  QCOMPARE(w.Control(ids::kNoticeGroup)->geometry(), before[ids::kNoticeGroup]);
}

void WindowResizeTest::theStatusLineTakesTheWidthTheWindowGives() {
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  w.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w));
  auto* status = dynamic_cast<ElidedLabel*>(w.Control(ids::kStatusLine));
  QVERIFY(status != nullptr);
  const std::string message = w.session().texts().itext(itext::kSeveralMatches);
  const QString whole = QString::fromStdString(message);
  w.surface().SetStatusLine(message, true);
  h.Settle();
  // At the least size the line may cut the text; the tooltip has all of it.
  QCOMPARE(status->toolTip(), whole);

  w.resize(kLargeWindow);
  h.Settle();
  QVERIFY(!status->Elided());
  QCOMPARE(status->text(), whole);
  // It ends before the file name, which moved right with the window.
  const QRect file = w.Control(ids::kFileNameLabel)->geometry();
  QVERIFY(status->geometry().right() < file.left());
  QVERIFY(w.Control(ids::kProgressBar)->geometry() == status->geometry());
}

void WindowResizeTest::theWindowFitsTheScreenItOpensOn() {
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  const QSize templateSize = w.size();
  w.FitToScreen();
  w.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w));
  const QRect available = w.screen()->availableGeometry();
  const QRect frame = w.frameGeometry();
  QVERIFY2(available.contains(frame), qPrintable(QStringLiteral("%1,%2 %3x%4 on %5x%6")
                                                     .arg(frame.x())
                                                     .arg(frame.y())
                                                     .arg(frame.width())
                                                     .arg(frame.height())
                                                     .arg(available.width())
                                                     .arg(available.height())));
  // The template's size unless the screen is smaller: then the whole
  // layout is, in smaller units, and the left panels keep their rectangles
  // in those units.
  const QSize border = frame.size() - w.size();
  const bool templateFits = templateSize.width() + border.width() <= available.width() &&
                            templateSize.height() + border.height() <= available.height();
  if (templateFits) {
    QCOMPARE(w.minimumSize(), templateSize);
  } else {
    QVERIFY(w.minimumWidth() < templateSize.width() || w.minimumHeight() < templateSize.height());
  }
  QCOMPARE(w.Control(ids::kOperationGroup)->geometry(), w.units().ToPixels(QRect(5, 77, 105, 265)));
  QVERIFY(w.Control(ids::kOperationGroup)->geometry().bottom() <
          w.Control(ids::kStatusLine)->geometry().top());
}

QTEST_MAIN(WindowResizeTest)
#include "window_resize.moc"
