// Mouse selection, resizing by the dividers, title tips and dropped files.
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QUrl>

#include "ui/grid/grid_ctrl.h"
#include "ui/grid/grid_in_place_edit.h"
#include "ui/grid/grid_title_tip.h"

namespace tarnwick {

bool CGridCtrl::viewportEvent(QEvent* e) {
  if (e->type() == QEvent::Leave) {
    HideTitleTip();
    tip_cell_ = CellId();
    if (mouse_mode_ == MouseMode::kNone) viewport()->unsetCursor();
  }
  return QAbstractScrollArea::viewportEvent(e);
}

void CGridCtrl::mousePressEvent(QMouseEvent* e) {
  HideTitleTip();
  const QPoint pos = e->position().toPoint();
  const CellId cell = GetCellFromPt(pos);
  if (e->button() == Qt::RightButton) {
    Notify(cell.row, cell.col, kGridRightClick);
    return;
  }
  if (e->button() != Qt::LeftButton) return;
  setFocus(Qt::MouseFocusReason);
  mouse_down_pos_ = pos;
  last_mouse_pos_ = pos;
  mouse_down_cell_ = cell;
  last_drag_cell_ = cell;
  const bool ctrl = e->modifiers() & Qt::ControlModifier;
  const bool shift = e->modifiers() & Qt::ShiftModifier;

  if (column_resize_) {
    const int c = ColumnDividerAt(pos);
    if (c >= 0) {
      mouse_mode_ = MouseMode::kSizingColumnArmed;
      sizing_index_ = c;
      sizing_line_ = pos.x();
      return;
    }
  }
  if (row_resize_) {
    const int r = RowDividerAt(pos);
    if (r >= 0) {
      mouse_mode_ = MouseMode::kSizingRowArmed;
      sizing_index_ = r;
      sizing_line_ = pos.y();
      return;
    }
  }
  if (!cell.IsValid()) return;

  if (cell.row < fixed_rows_ && cell.col >= fixed_cols_) {
    if (header_sort_) {
      const bool ascending = cell.col == sort_column_ ? !sort_ascending_ : true;
      SortByColumn(cell.col, ascending);
    }
    if (fixed_row_selection_ && selection_enabled_) {
      SelectWholeColumn(cell.col, shift);
      mouse_mode_ = MouseMode::kSelectColumns;
    }
    return;
  }
  if (cell.col < fixed_cols_ && cell.row >= fixed_rows_) {
    if (fixed_col_selection_ && selection_enabled_) {
      SelectWholeRow(cell.row, shift);
      mouse_mode_ = MouseMode::kSelectRows;
    }
    return;
  }
  if (cell.row < fixed_rows_ || cell.col < fixed_cols_) return;  // the corner

  if (drag_drop_ && IsCellSelected(cell.row, cell.col) && !ctrl && !shift) {
    mouse_mode_ = MouseMode::kPrepareDrag;
    return;
  }
  if (cell == focus_ && IsCellEditable(cell.row, cell.col) && !ctrl && !shift) {
    mouse_mode_ = MouseMode::kPrepareEdit;
    return;
  }
  if (ctrl && selection_enabled_) {
    SetCellState(cell.row, cell.col, GetCellState(cell.row, cell.col) ^ kCellSelected);
    previous_selection_ = selected_;
    selection_start_ = cell;
  } else {
    SelectFromStart(cell, shift);
  }
  ChangeFocusByUser(cell);
  mouse_mode_ = MouseMode::kSelectCells;
}

void CGridCtrl::SelectWholeColumn(int col, bool extend) {
  if (GetRowCount() <= fixed_rows_) return;
  if (!extend || !selection_start_.IsValid()) selection_start_ = CellId(fixed_rows_, col);
  SetSelectedRange(CellRange(fixed_rows_, std::min(selection_start_.col, col), GetRowCount() - 1,
                             std::max(selection_start_.col, col)));
  ChangeFocusByUser(CellId(std::max(top_row_, fixed_rows_), col));
}

void CGridCtrl::SelectWholeRow(int row, bool extend) {
  if (GetColumnCount() <= fixed_cols_) return;
  if (!extend || !selection_start_.IsValid()) selection_start_ = CellId(row, fixed_cols_);
  SetSelectedRange(CellRange(std::min(selection_start_.row, row), fixed_cols_,
                             std::max(selection_start_.row, row), GetColumnCount() - 1));
  ChangeFocusByUser(CellId(row, std::max(left_col_, fixed_cols_)));
}

void CGridCtrl::ExtendMouseSelection(const QPoint& pos) {
  const CellId cell = CellFromPointClamped(pos);
  if (!cell.IsValid() || cell == last_drag_cell_) return;
  last_drag_cell_ = cell;
  switch (mouse_mode_) {
    case MouseMode::kSelectColumns:
      SelectWholeColumn(cell.col, true);
      break;
    case MouseMode::kSelectRows:
      SelectWholeRow(cell.row, true);
      break;
    case MouseMode::kSelectCells: {
      const bool ctrl = QApplication::keyboardModifiers() & Qt::ControlModifier;
      SelectFromStart(cell, true, ctrl);
      ChangeFocusByUser(cell);
      break;
    }
    default:
      break;
  }
}

void CGridCtrl::mouseMoveEvent(QMouseEvent* e) {
  const QPoint pos = e->position().toPoint();
  last_mouse_pos_ = pos;
  if (!(e->buttons() & Qt::LeftButton)) {
    if (mouse_mode_ == MouseMode::kNone) {
      UpdateHoverCursor(pos);
      UpdateTitleTip(pos);
    }
    return;
  }
  const QRect view = viewport()->rect();
  switch (mouse_mode_) {
    case MouseMode::kSizingColumnArmed:
    case MouseMode::kSizingColumn:
      // The line stays inside the window, as the cursor would be kept there.
      mouse_mode_ = MouseMode::kSizingColumn;
      sizing_line_ = std::clamp(pos.x(), 0, std::max(view.right(), 0));
      viewport()->update();
      return;
    case MouseMode::kSizingRowArmed:
    case MouseMode::kSizingRow:
      mouse_mode_ = MouseMode::kSizingRow;
      sizing_line_ = std::clamp(pos.y(), 0, std::max(view.bottom(), 0));
      viewport()->update();
      return;
    case MouseMode::kPrepareEdit: {
      const CellId cell = GetCellFromPt(pos);
      if (cell == mouse_down_cell_) return;
      // Dragging away from the focus cell is a selection after all.
      mouse_mode_ = MouseMode::kSelectCells;
      SelectFromStart(mouse_down_cell_, false);
      break;
    }
    case MouseMode::kPrepareDrag:
      if ((pos - mouse_down_pos_).manhattanLength() >= QApplication::startDragDistance()) {
        mouse_mode_ = MouseMode::kDrag;
        Notify(mouse_down_cell_.row, mouse_down_cell_.col, kGridBeginDrag);
      }
      return;
    case MouseMode::kSelectCells:
    case MouseMode::kSelectRows:
    case MouseMode::kSelectColumns:
      break;
    default:
      return;
  }
  if (view.contains(pos)) {
    auto_scroll_timer_.stop();
  } else if (!auto_scroll_timer_.isActive()) {
    auto_scroll_timer_.start();
  }
  ExtendMouseSelection(pos);
}

void CGridCtrl::OnAutoScroll() {
  const QRect view = viewport()->rect();
  const QPoint pos = last_mouse_pos_;
  if (view.contains(pos) || mouse_mode_ == MouseMode::kNone) {
    auto_scroll_timer_.stop();
    return;
  }
  QScrollBar* v = verticalScrollBar();
  QScrollBar* h = horizontalScrollBar();
  if (mouse_mode_ != MouseMode::kSelectColumns) {
    if (pos.y() > view.bottom()) v->setValue(v->value() + 1);
    if (pos.y() < view.top()) v->setValue(v->value() - 1);
  }
  if (mouse_mode_ != MouseMode::kSelectRows) {
    if (pos.x() > view.right()) h->setValue(h->value() + 1);
    if (pos.x() < view.left()) h->setValue(h->value() - 1);
  }
  SyncScrollPositions();
  last_drag_cell_ = CellId();
  ExtendMouseSelection(pos);
}

void CGridCtrl::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  const QPoint pos = e->position().toPoint();
  auto_scroll_timer_.stop();
  const MouseMode mode = mouse_mode_;
  mouse_mode_ = MouseMode::kNone;
  switch (mode) {
    case MouseMode::kSizingColumn: {
      const int left = ColumnLeft(sizing_index_);
      SetColumnWidth(sizing_index_, std::max(0, sizing_line_ - left));
      sizing_line_ = -1;
      viewport()->update();
      return;
    }
    case MouseMode::kSizingRow: {
      const int top = RowTop(sizing_index_);
      SetRowHeight(sizing_index_, std::max(0, sizing_line_ - top));
      sizing_line_ = -1;
      viewport()->update();
      return;
    }
    case MouseMode::kSizingColumnArmed:
    case MouseMode::kSizingRowArmed:
      sizing_line_ = -1;
      return;
    case MouseMode::kPrepareEdit:
      if (GetCellFromPt(pos) == focus_) EditCell(focus_.row, focus_.col, kGridEditStartMouse);
      break;
    case MouseMode::kPrepareDrag:
      // No drag happened: the click selects just this cell.
      SelectFromStart(mouse_down_cell_, false);
      ChangeFocusByUser(mouse_down_cell_);
      break;
    default:
      break;
  }
  const CellId cell = GetCellFromPt(pos);
  if (cell.IsValid()) emit CellClicked(cell.row, cell.col, pos);
}

void CGridCtrl::mouseDoubleClickEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  const QPoint pos = e->position().toPoint();
  if (column_resize_) {
    const int c = ColumnDividerAt(pos);
    if (c >= 0) {
      AutoSizeColumn(c);
      mouse_mode_ = MouseMode::kNone;
      return;
    }
  }
  if (row_resize_) {
    const int r = RowDividerAt(pos);
    if (r >= 0) {
      AutoSizeRow(r);
      mouse_mode_ = MouseMode::kNone;
      return;
    }
  }
  const CellId cell = GetCellFromPt(pos);
  if (CGridCellBase* c = GetCell(cell.row, cell.col)) {
    c->OnDblClick();
    Notify(cell.row, cell.col, kGridDoubleClick);
  }
}

void CGridCtrl::UpdateHoverCursor(const QPoint& pos) {
  if (column_resize_ && ColumnDividerAt(pos) >= 0) {
    viewport()->setCursor(Qt::SplitHCursor);
  } else if (row_resize_ && RowDividerAt(pos) >= 0) {
    viewport()->setCursor(Qt::SplitVCursor);
  } else {
    viewport()->unsetCursor();
  }
}

// ---------------------------------------------------------------------------
// title tips

void CGridCtrl::UpdateTitleTip(const QPoint& pos) {
  const QPoint global = viewport()->mapToGlobal(pos);
  if (title_tip_->isVisible() && !title_tip_->TipRect().contains(global)) {
    title_tip_->HideTip();
  }
  const CellId cell = GetCellFromPt(pos);
  if (cell == tip_cell_) return;  // shown (or refused) for this cell already
  HideTitleTip();
  tip_cell_ = cell;
  if (!title_tips_ || !cell.IsValid() || !QApplication::activeWindow()) return;
  if (IsEditing() && editor_->Row() == cell.row && editor_->Col() == cell.col) return;
  QRect rect;
  if (!GetCellRect(cell.row, cell.col, rect)) return;
  const CGridCellBase* c = GetCell(cell.row, cell.col);
  const QString text = c->GetText();
  const QFont font = ResolvedFont(cell.row, cell.col);
  const int inset = c->IsFixed() ? s_fixed_inset_ : s_normal_inset_;
  if (!GridTitleTip::WantsTip(rect.width(), text, font, inset)) return;
  title_tip_->ShowTip(QRect(viewport()->mapToGlobal(rect.topLeft()), rect.size()), text, font,
                      inset);
}

void CGridCtrl::HideTitleTip() {
  if (title_tip_) title_tip_->HideTip();
}

// ---------------------------------------------------------------------------
// dropped files go to the owner

void CGridCtrl::dragEnterEvent(QDragEnterEvent* e) {
  if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void CGridCtrl::dragMoveEvent(QDragMoveEvent* e) {
  if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void CGridCtrl::dropEvent(QDropEvent* e) {
  QStringList paths;
  for (const QUrl& url : e->mimeData()->urls()) {
    if (url.isLocalFile()) paths << url.toLocalFile();
  }
  e->acceptProposedAction();
  if (!paths.isEmpty()) emit FilesDropped(paths);
}

}  // namespace tarnwick
