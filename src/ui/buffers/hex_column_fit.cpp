#include "ui/buffers/hex_column_fit.h"

#include <QEvent>
#include <utility>
#include <vector>

#include "core/buffers/hex_layout.h"
#include "ui/grid/grid_ctrl.h"

namespace tarnwick {

namespace hex = buffers::hex;

namespace {

int BaseWidth(int column) {
  if (column == 0) return hex::kAddressColumnWidth;
  if (column == hex::kAsciiColumn) return hex::kAsciiColumnWidth;
  return hex::kByteColumnWidth;
}

}  // namespace

HexColumnFit::HexColumnFit(CGridCtrl* grid, std::function<void()> refitted)
    : QObject(grid),
      grid_(grid),
      refitted_(std::move(refitted)),
      baseWidth_(grid->width()),
      fittedWidth_(grid->width()) {
  grid_->installEventFilter(this);
}

std::vector<int> HexColumnFit::ColumnWidths(int width, int baseWidth) {
  int total = 0;
  for (int c = 0; c < hex::kGridColumns; ++c) total += BaseWidth(c);
  // At the first size, and when the grid has not been laid out yet, the
  // columns keep their own widths.
  const long long target =
      baseWidth > 0 && width > 0 ? static_cast<long long>(total) * width / baseWidth : total;
  std::vector<int> widths(hex::kGridColumns);
  long long used = 0;
  for (int c = 0; c < hex::kAsciiColumn; ++c) {
    widths[c] = static_cast<int>(BaseWidth(c) * target / total);
    used += widths[c];
  }
  // The ASCII column takes what rounding left over.
  widths[hex::kAsciiColumn] = static_cast<int>(target - used);
  return widths;
}

bool HexColumnFit::eventFilter(QObject* watched, QEvent* event) {
  if (watched == grid_ && event->type() == QEvent::Resize) Fit();
  return QObject::eventFilter(watched, event);
}

void HexColumnFit::Fit() {
  if (grid_->width() == fittedWidth_) return;
  fittedWidth_ = grid_->width();
  const std::vector<int> widths = ColumnWidths(fittedWidth_, baseWidth_);
  for (int c = 0; c < hex::kGridColumns; ++c) grid_->SetColumnWidth(c, widths[c]);
  grid_->Refresh();
  if (refitted_) refitted_();
}

}  // namespace tarnwick
