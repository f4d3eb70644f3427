// The hex view's columns follow the grid's width: a wider window spreads the
// address, the sixteen bytes and the ASCII text over the room it gives, in
// the proportions of their widths at the window's first size.
#pragma once

#include <QObject>
#include <functional>
#include <vector>

namespace tarnwick {

class CGridCtrl;

class HexColumnFit : public QObject {
 public:
  // `refitted` runs after the columns changed (an overlay over a cell moves with it).
  HexColumnFit(CGridCtrl* grid, std::function<void()> refitted);

  // Widths for a grid `width` pixels wide, from the widths at `baseWidth`.
  static std::vector<int> ColumnWidths(int width, int baseWidth);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Fit();

  CGridCtrl* grid_;
  std::function<void()> refitted_;
  int baseWidth_;
  int fittedWidth_;
};

}  // namespace tarnwick
