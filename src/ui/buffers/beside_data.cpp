#include "ui/buffers/beside_data.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <array>

#include "ui/buffers/hex_view_panel.h"

namespace tarnwick {

namespace {

// Room left between the data and the dialog, in pixels.
constexpr int kGap = 8;

bool Fits(const QRect& at, const QRect& row, const QRect& screen) {
  return screen.contains(at) && !at.intersects(row);
}

int Clamp(int v, int low, int high) { return std::max(low, std::min(v, high)); }

QRect ScreenOf(const QWidget& dialog) {
  const QWidget* owner = dialog.parentWidget() ? dialog.parentWidget()->window() : &dialog;
  const QScreen* screen = owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry() : QRect();
}

}  // namespace

std::optional<QPoint> BesideData(const QSize& frame, const QRect& data, const QRect& row,
                                 const QRect& screen) {
  const int level = row.isEmpty() ? data.top() : row.top();
  const int y = Clamp(level, screen.top(), screen.bottom() + 1 - frame.height());
  const std::array sides = {QPoint(data.right() + 1 + kGap, y),
                            QPoint(data.left() - kGap - frame.width(), y)};
  for (const QPoint& p : sides) {
    if (Fits(QRect(p, frame), row, screen)) return p;
  }
  return std::nullopt;
}

std::optional<QPoint> OffTheRow(const QRect& frame, const QRect& data, const QRect& row,
                                const QRect& screen) {
  if (row.isEmpty() || !frame.intersects(row)) return std::nullopt;
  if (auto p = BesideData(frame.size(), data, row, screen)) return p;
  const int x = Clamp(frame.left(), screen.left(), screen.right() + 1 - frame.width());
  const QPoint below(x, row.bottom() + 1 + kGap);
  const QPoint above(x, row.top() - kGap - frame.height());
  // The nearer of the two, so the dialog moves no further than it must.
  const bool belowFirst = frame.center().y() >= row.center().y();
  for (const QPoint& p : belowFirst ? std::array{below, above} : std::array{above, below}) {
    if (Fits(QRect(p, frame.size()), row, screen)) return p;
  }
  // A screen too small for either: at least the row stays uncovered.
  return belowFirst ? below : above;
}

void PlaceBesideData(QWidget& dialog, const HexViewPanel& panel) {
  const QRect frame = dialog.frameGeometry();
  const QRect row = panel.ShownRowsRect();
  const QRect screen = ScreenOf(dialog);
  if (auto p = BesideData(frame.size(), panel.DataRect(), row, screen)) {
    dialog.move(*p);
  } else if (auto q = OffTheRow(frame, panel.DataRect(), row, screen)) {
    dialog.move(*q);
  }
}

void KeepOffShownRows(QWidget& dialog, const HexViewPanel& panel) {
  if (!dialog.isVisible()) return;
  if (auto p = OffTheRow(dialog.frameGeometry(), panel.DataRect(), panel.ShownRowsRect(),
                         ScreenOf(dialog))) {
    dialog.move(*p);
  }
}

}  // namespace tarnwick
