// Shared set-up for the grid widget tests: a grid shaped like the hex view
// (21 rows, 18 columns, one fixed row and column, one trailing fixed column),
// shown and active, with every owner notification recorded.
#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

#include <memory>
#include <tuple>
#include <vector>

#include "ui/grid/grid_ctrl.h"
#include "ui/grid/grid_in_place_edit.h"

namespace tarnwick::test {

struct GridNote {
  int row;
  int col;
  int code;
};

class GridHarness {
 public:
  explicit GridHarness(int rows = 21, int cols = 18) {
    grid = std::make_unique<CGridCtrl>(rows, cols, 1, 1);
    grid->SetTrailingFixedColumnCount(1);
    for (int r = 0; r < rows; ++r) grid->SetRowHeight(r, 18);
    for (int c = 0; c < cols; ++c) grid->SetColumnWidth(c, 25);
    grid->SetColumnWidth(0, 85);
    if (cols > 1) grid->SetColumnWidth(cols - 1, 132);
    for (int r = 0; r < rows; ++r) {
      for (int c = 0; c < cols; ++c) grid->SetCellText(r, c, QStringLiteral("%1,%2").arg(r).arg(c));
    }
    grid->setFrameShape(QFrame::NoFrame);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->resize(85 + 16 * 25 + 132, 21 * 18);
    QObject::connect(grid.get(), &CGridCtrl::GridNotify, [this](int r, int c, int code) {
      notes.push_back({r, c, code});
    });
    grid->show();
    grid->activateWindow();
    if (!QTest::qWaitForWindowActive(grid.get())) qWarning("grid window did not become active");
    grid->setFocus();
  }

  // Keys go where the keyboard focus is: the grid or its open editor.
  void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWidget* target = QApplication::focusWidget();
    if (!target) target = grid.get();
    QTest::keyClick(target, static_cast<Qt::Key>(key), mods);
  }
  void Type(const QString& text) {
    for (QChar ch : text) {
      QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : grid.get();
      QTest::keyClick(target, ch.toLatin1());
    }
  }

  QPoint CellCentre(int row, int col) const {
    QRect r;
    grid->GetCellRect(row, col, r);
    return r.center();
  }
  QWidget* View() const { return grid->viewport(); }
  void Click(int row, int col, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::mouseClick(View(), Qt::LeftButton, mods, CellCentre(row, col));
  }
  // A move with the left button held (or none), as the mouse sends it.
  void MoveTo(const QPoint& pos, Qt::MouseButtons buttons = Qt::LeftButton,
              Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QMouseEvent ev(QEvent::MouseMove, pos, View()->mapToGlobal(pos), Qt::NoButton, buttons, mods);
    QApplication::sendEvent(View(), &ev);
  }

  int Count(int code) const {
    int n = 0;
    for (const GridNote& note : notes) n += note.code == code ? 1 : 0;
    return n;
  }
  GridInPlaceEdit* Editor() const { return grid->GetInPlaceEdit(); }

  std::unique_ptr<CGridCtrl> grid;
  std::vector<GridNote> notes;
};

}  // namespace tarnwick::test
