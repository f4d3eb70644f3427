// Geometry of the grid in its viewport and scrolling. The view scrolls by
// whole rows and columns: the scroll bar value is the index of the first
// scrollable row/column in view, counted from the end of the fixed ones.
#include <QScrollBar>

#include <climits>
#include <cstdlib>

#include "ui/grid/grid_ctrl.h"
#include "ui/grid/grid_in_place_edit.h"

namespace tarnwick {

namespace {
constexpr int kBeforeView = INT_MIN;  // scrolled away above/left
constexpr int kAfterView = INT_MAX;   // past the right/bottom edge
}  // namespace

int CGridCtrl::FixedRowHeight() const {
  int h = 0;
  for (int r = 0; r < fixed_rows_; ++r) h += row_heights_[static_cast<size_t>(r)];
  return h;
}

int CGridCtrl::FixedColumnWidth() const {
  int w = 0;
  for (int c = 0; c < fixed_cols_; ++c) w += col_widths_[static_cast<size_t>(c)];
  return w;
}

int CGridCtrl::ColumnLeft(int col) const {
  int x = 0;
  if (col < fixed_cols_) {
    for (int c = 0; c < col; ++c) x += col_widths_[static_cast<size_t>(c)];
    return x;
  }
  if (col < left_col_) return kBeforeView;
  x = FixedColumnWidth();
  const int limit = viewport()->width();
  for (int c = left_col_; c < col; ++c) {
    x += col_widths_[static_cast<size_t>(c)];
    if (x > limit) return kAfterView;
  }
  return x;
}

int CGridCtrl::RowTop(int row) const {
  int y = 0;
  if (row < fixed_rows_) {
    for (int r = 0; r < row; ++r) y += row_heights_[static_cast<size_t>(r)];
    return y;
  }
  if (row < top_row_) return kBeforeView;
  y = FixedRowHeight();
  const int limit = viewport()->height();
  for (int r = top_row_; r < row; ++r) {
    y += row_heights_[static_cast<size_t>(r)];
    if (y > limit) return kAfterView;
  }
  return y;
}

bool CGridCtrl::GetCellRect(int row, int col, QRect& rect) const {
  if (!IsValid(row, col)) return false;
  const int x = ColumnLeft(col);
  const int y = RowTop(row);
  if (x == kBeforeView || x == kAfterView || y == kBeforeView || y == kAfterView) return false;
  const QRect r(x, y, col_widths_[static_cast<size_t>(col)],
                row_heights_[static_cast<size_t>(row)]);
  if (!r.intersects(viewport()->rect())) return false;
  rect = r;
  return true;
}

bool CGridCtrl::IsCellVisible(int row, int col) const {
  QRect r;
  return GetCellRect(row, col, r);
}

CellId CGridCtrl::GetCellFromPt(const QPoint& pos) const {
  if (pos.x() < 0 || pos.y() < 0) return CellId();
  auto find = [](int p, int fixed, int first, const std::vector<int>& sizes) {
    int edge = 0;
    for (int i = 0; i < fixed; ++i) {
      edge += sizes[static_cast<size_t>(i)];
      if (p < edge) return i;
    }
    for (int i = first; i < static_cast<int>(sizes.size()); ++i) {
      edge += sizes[static_cast<size_t>(i)];
      if (p < edge) return i;
    }
    return -1;
  };
  const int col = find(pos.x(), fixed_cols_, left_col_, col_widths_);
  const int row = find(pos.y(), fixed_rows_, top_row_, row_heights_);
  if (row < 0 || col < 0) return CellId();
  return CellId(row, col);
}

// The cell nearest to pos among the scrollable cells in view: used while the
// mouse drags a selection beyond the cells or the window.
CellId CGridCtrl::CellFromPointClamped(const QPoint& pos) const {
  const QRect view = viewport()->rect();
  const QPoint p(std::clamp(pos.x(), 0, std::max(view.right(), 0)),
                 std::clamp(pos.y(), 0, std::max(view.bottom(), 0)));
  CellId id = GetCellFromPt(p);
  if (id.col < 0) {
    id.col = left_col_;
    int x = FixedColumnWidth();
    for (int c = left_col_; c < GetColumnCount() && x <= p.x(); ++c) {
      id.col = c;
      x += col_widths_[static_cast<size_t>(c)];
    }
  }
  if (id.row < 0) {
    id.row = top_row_;
    int y = FixedRowHeight();
    for (int r = top_row_; r < GetRowCount() && y <= p.y(); ++r) {
      id.row = r;
      y += row_heights_[static_cast<size_t>(r)];
    }
  }
  // Dragging into the headers selects up to the first scrollable cell in view.
  if (id.col < fixed_cols_) id.col = left_col_;
  if (id.row < fixed_rows_) id.row = top_row_;
  if (!IsValid(id.row, id.col)) return CellId();
  return id;
}

void CGridCtrl::UpdateScrollBars() {
  auto update_bar = [](QScrollBar* bar, int fixed, int first, int avail,
                       const std::vector<int>& sizes) {
    const int count = static_cast<int>(sizes.size());
    // Smallest first index that still shows the last row/column completely.
    int t = count;
    int sum = 0;
    while (t > fixed && sum + sizes[static_cast<size_t>(t - 1)] <= avail) {
      sum += sizes[static_cast<size_t>(t - 1)];
      --t;
    }
    if (t == count && count > fixed) t = count - 1;
    // Whole rows/columns in view from the current first one.
    int page = 0;
    sum = 0;
    for (int i = first; i < count && sum + sizes[static_cast<size_t>(i)] <= avail; ++i) {
      sum += sizes[static_cast<size_t>(i)];
      ++page;
    }
    bar->setRange(0, std::max(0, t - fixed));
    bar->setPageStep(std::max(1, page));
    bar->setSingleStep(1);
  };
  update_bar(verticalScrollBar(), fixed_rows_, top_row_, viewport()->height() - FixedRowHeight(),
             row_heights_);
  update_bar(horizontalScrollBar(), fixed_cols_, left_col_,
             viewport()->width() - FixedColumnWidth(), col_widths_);
  SyncScrollPositions();
}

void CGridCtrl::SyncScrollPositions() {
  top_row_ = fixed_rows_ + verticalScrollBar()->value();
  left_col_ = fixed_cols_ + horizontalScrollBar()->value();
}

void CGridCtrl::scrollContentsBy(int, int) {
  SyncScrollPositions();
  // The editor would float over the wrong cell: finish it first.
  if (editor_) {
    const bool had_focus = editor_->hasFocus();
    editor_->EndEdit();
    if (had_focus) setFocus(Qt::OtherFocusReason);
  }
  HideTitleTip();
  viewport()->update();
}

bool CGridCtrl::EnsureVisible(int row, int col) {
  if (!IsValid(row, col)) return false;
  if (row >= fixed_rows_) {
    if (row < top_row_) {
      verticalScrollBar()->setValue(row - fixed_rows_);
    } else {
      const int avail = viewport()->height() - FixedRowHeight();
      int t = row;
      int sum = row_heights_[static_cast<size_t>(row)];
      while (t > fixed_rows_ && sum + row_heights_[static_cast<size_t>(t - 1)] <= avail) {
        sum += row_heights_[static_cast<size_t>(t - 1)];
        --t;
      }
      if (top_row_ < t) verticalScrollBar()->setValue(t - fixed_rows_);
    }
  }
  if (col >= fixed_cols_) {
    if (col < left_col_) {
      horizontalScrollBar()->setValue(col - fixed_cols_);
    } else {
      const int avail = viewport()->width() - FixedColumnWidth();
      int t = col;
      int sum = col_widths_[static_cast<size_t>(col)];
      while (t > fixed_cols_ && sum + col_widths_[static_cast<size_t>(t - 1)] <= avail) {
        sum += col_widths_[static_cast<size_t>(t - 1)];
        --t;
      }
      if (left_col_ < t) horizontalScrollBar()->setValue(t - fixed_cols_);
    }
  }
  SyncScrollPositions();
  return true;
}

// ---------------------------------------------------------------------------
// sizes

bool CGridCtrl::SetRowHeight(int row, int px) {
  if (px < 0 || row < 0 || row >= GetRowCount()) return false;
  row_heights_[static_cast<size_t>(row)] = px;
  UpdateScrollBars();
  Refresh();
  return true;
}

bool CGridCtrl::SetColumnWidth(int col, int px) {
  if (px < 0 || col < 0 || col >= GetColumnCount()) return false;
  col_widths_[static_cast<size_t>(col)] = px;
  UpdateScrollBars();
  Refresh();
  return true;
}

int CGridCtrl::GetRowHeight(int row) const {
  if (row < 0 || row >= GetRowCount()) return -1;
  return row_heights_[static_cast<size_t>(row)];
}

int CGridCtrl::GetColumnWidth(int col) const {
  if (col < 0 || col >= GetColumnCount()) return -1;
  return col_widths_[static_cast<size_t>(col)];
}

bool CGridCtrl::AutoSizeColumn(int col) {
  if (col < 0 || col >= GetColumnCount()) return false;
  int width = 0;
  for (int r = 0; r < GetRowCount(); ++r) {
    const CGridCellBase* cell = GetCell(r, col);
    const int margin =
        static_cast<int>(cell->HasMargin() ? cell->GetMargin() : ZoneOf(*cell).GetMargin());
    const int inset = cell->IsFixed() ? s_fixed_inset_ : s_normal_inset_;
    const QFontMetrics fm(ResolvedFont(r, col));
    width = std::max(width, fm.horizontalAdvance(cell->GetText()) + 2 * margin + inset + 1);
  }
  return SetColumnWidth(col, width);
}

bool CGridCtrl::AutoSizeRow(int row) {
  if (row < 0 || row >= GetRowCount()) return false;
  int height = 0;
  for (int c = 0; c < GetColumnCount(); ++c) {
    const QFontMetrics fm(ResolvedFont(row, c));
    height = std::max(height, fm.height() + 2);
  }
  return SetRowHeight(row, height);
}

// ---------------------------------------------------------------------------
// navigation helpers

int CGridCtrl::LastNavColumn(bool from_fixed) const {
  return GetColumnCount() - 1 - (from_fixed ? 0 : trailing_cols_);
}

int CGridCtrl::LastNavRow(bool from_fixed) const {
  return GetRowCount() - 1 - (from_fixed ? 0 : trailing_rows_);
}

int CGridCtrl::NextVisibleColumn(int col, int last) const {
  for (int c = col + 1; c <= last; ++c) {
    if (col_widths_[static_cast<size_t>(c)] > 0) return c;
  }
  return -1;
}

int CGridCtrl::PrevVisibleColumn(int col) const {
  for (int c = col - 1; c >= fixed_cols_; --c) {
    if (col_widths_[static_cast<size_t>(c)] > 0) return c;
  }
  return -1;
}

int CGridCtrl::NextVisibleRow(int row, int last) const {
  for (int r = row + 1; r <= last; ++r) {
    if (row_heights_[static_cast<size_t>(r)] > 0) return r;
  }
  return -1;
}

int CGridCtrl::PrevVisibleRow(int row) const {
  for (int r = row - 1; r >= fixed_rows_; --r) {
    if (row_heights_[static_cast<size_t>(r)] > 0) return r;
  }
  return -1;
}

int CGridCtrl::ColumnDividerAt(const QPoint& pos) const {
  if (pos.y() < 0 || pos.y() >= FixedRowHeight()) return -1;
  int best = -1;
  int best_dist = kGridResizeCapture + 1;
  auto consider = [&](int c, int right) {
    const int dist = std::abs(pos.x() - right);
    if (col_widths_[static_cast<size_t>(c)] > 0 && dist < best_dist) {
      best = c;
      best_dist = dist;
    }
  };
  int x = 0;
  for (int c = 0; c < fixed_cols_; ++c) {
    x += col_widths_[static_cast<size_t>(c)];
    consider(c, x);
  }
  for (int c = left_col_; c < GetColumnCount() && x <= viewport()->width() + kGridResizeCapture;
       ++c) {
    x += col_widths_[static_cast<size_t>(c)];
    consider(c, x);
  }
  return best;
}

int CGridCtrl::RowDividerAt(const QPoint& pos) const {
  if (pos.x() < 0 || pos.x() >= FixedColumnWidth()) return -1;
  int best = -1;
  int best_dist = kGridResizeCapture + 1;
  auto consider = [&](int r, int bottom) {
    const int dist = std::abs(pos.y() - bottom);
    if (row_heights_[static_cast<size_t>(r)] > 0 && dist < best_dist) {
      best = r;
      best_dist = dist;
    }
  };
  int y = 0;
  for (int r = 0; r < fixed_rows_; ++r) {
    y += row_heights_[static_cast<size_t>(r)];
    consider(r, y);
  }
  for (int r = top_row_; r < GetRowCount() && y <= viewport()->height() + kGridResizeCapture; ++r) {
    y += row_heights_[static_cast<size_t>(r)];
    consider(r, y);
  }
  return best;
}

}  // namespace tarnwick
