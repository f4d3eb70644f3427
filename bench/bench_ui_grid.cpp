// Repaint cost of a hex-view-shaped grid (21 x 18 cells): new texts and
// colours on every cell, then a synchronous repaint, many times over.
// Run with QT_QPA_PLATFORM=offscreen when no display is around.
#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>

#include "ui/grid/grid_ctrl.h"

namespace tw = tarnwick;

namespace {

double RunOnce(tw::CGridCtrl& grid, bool buffered, int frames) {
  grid.SetDoubleBuffering(buffered);
  QElapsedTimer timer;
  timer.start();
  for (int f = 0; f < frames; ++f) {
    for (int r = 1; r < 21; ++r) {
      for (int c = 1; c < 17; ++c) {
        const int v = (r * 16 + c + f) & 0xFF;
        grid.SetCellText(r, c, QStringLiteral("%1").arg(v, 2, 16, QLatin1Char('0')).toUpper());
        grid.SetCellTextColor(r, c, (v & 1) ? tw::GridRgb(255, 0, 0) : tw::GridRgb(0, 0, 0));
      }
      grid.SetCellText(r, 17, QStringLiteral("................"));
    }
    grid.viewport()->repaint();
  }
  return static_cast<double>(timer.nsecsElapsed()) / 1e6 / frames;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  tw::CGridCtrl grid(21, 18, 1, 1);
  grid.SetTrailingFixedColumnCount(1);
  for (int r = 0; r < 21; ++r) grid.SetRowHeight(r, 18);
  for (int c = 0; c < 18; ++c) grid.SetColumnWidth(c, 25);
  grid.SetColumnWidth(0, 85);
  grid.SetColumnWidth(17, 132);
  grid.resize(85 + 16 * 25 + 132, 21 * 18 + 4);
  grid.show();
  QApplication::processEvents();

  constexpr int kFrames = 500;
  RunOnce(grid, true, 20);  // warm-up
  std::printf("grid 21x18 refresh (texts + colours + repaint), %d frames\n", kFrames);
  std::printf("  off-screen buffer: %.3f ms/frame\n", RunOnce(grid, true, kFrames));
  std::printf("  direct painting:   %.3f ms/frame\n", RunOnce(grid, false, kFrames));
  return 0;
}
