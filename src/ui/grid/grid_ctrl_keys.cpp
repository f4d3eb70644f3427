// Keyboard navigation, typing and in-place editing of the grid.
#include <QKeyEvent>
#include <QScrollBar>

#include "ui/grid/grid_ctrl.h"
#include "ui/grid/grid_in_place_edit.h"

namespace tarnwick {

namespace {

// Keys that end an edit and then move on, restarting the editor there.
bool IsFlowKey(int key) {
  return key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Home ||
         key == Qt::Key_End || IsPageOrArrowKey(key);
}

}  // namespace

bool CGridCtrl::event(QEvent* e) {
  // Tab moves between cells instead of leaving the grid.
  if (e->type() == QEvent::KeyPress && handle_tab_ && focus_.IsValid()) {
    auto* ke = static_cast<QKeyEvent*>(e);
    if ((ke->key() == Qt::Key_Tab || ke->key() == Qt::Key_Backtab) &&
        !(ke->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
      keyPressEvent(ke);
      return true;
    }
  }
  // Claim the clipboard keys before any window shortcut takes them.
  if (e->type() == QEvent::ShortcutOverride && focus_.IsValid()) {
    auto* ke = static_cast<QKeyEvent*>(e);
    const bool ctrl = ke->modifiers() & Qt::ControlModifier;
    const bool shift = ke->modifiers() & Qt::ShiftModifier;
    const int k = ke->key();
    if ((ctrl && (k == Qt::Key_C || k == Qt::Key_X || k == Qt::Key_V || k == Qt::Key_A ||
                  k == Qt::Key_Insert)) ||
        (shift && k == Qt::Key_Insert)) {
      e->accept();
      return true;
    }
  }
  return QAbstractScrollArea::event(e);
}

void CGridCtrl::keyPressEvent(QKeyEvent* e) {
  HideTitleTip();
  if (!focus_.IsValid()) {
    QAbstractScrollArea::keyPressEvent(e);
    return;
  }
  const int key = e->key();
  const bool ctrl = e->modifiers() & Qt::ControlModifier;
  const bool shift = e->modifiers() & Qt::ShiftModifier;

  if (ctrl && (key == Qt::Key_C || key == Qt::Key_Insert)) {
    CopySelection();
    return;
  }
  if (ctrl && key == Qt::Key_X) {
    CutSelection();
    return;
  }
  if ((ctrl && key == Qt::Key_V) || (shift && !ctrl && key == Qt::Key_Insert)) {
    PasteAtFocus();
    return;
  }
  if (ctrl && key == Qt::Key_A) {
    SelectAll();
    return;
  }
  if (HandleNavigationKey(key, e->modifiers())) return;
  if (key == Qt::Key_Delete) {
    DeleteFocusCellText();
    return;
  }
  if (key == Qt::Key_F2) {
    EditCell(focus_.row, focus_.col, Qt::Key_F2);
    return;
  }

  // Typing starts editing the focus cell with that character.
  const QString text = e->text();
  const bool is_char = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Backspace ||
                       (!text.isEmpty() && text.at(0).isPrint());
  if (is_char && !ctrl && key != Qt::Key_Escape && mouse_mode_ == MouseMode::kNone) {
    const QString typed = !text.isEmpty() && text.at(0).isPrint() ? text : QString();
    if (EditCell(focus_.row, focus_.col, key, typed)) return;
  }
  QAbstractScrollArea::keyPressEvent(e);
}

bool CGridCtrl::HandleNavigationKey(int key, Qt::KeyboardModifiers mods) {
  const bool ctrl = mods & Qt::ControlModifier;
  const bool shift = mods & Qt::ShiftModifier;
  const bool from_fixed = IsCellFixed(focus_.row, focus_.col);
  CellId next = focus_;
  bool tab_like = false;

  switch (key) {
    case Qt::Key_Tab:
      if (shift) return HandleNavigationKey(Qt::Key_Backtab, mods);
      tab_like = true;
      [[fallthrough]];
    case Qt::Key_Right: {
      const int c = NextVisibleColumn(focus_.col, LastNavColumn(from_fixed));
      if (c >= 0) {
        next.col = c;
      } else if (key == Qt::Key_Tab) {
        const int r = NextVisibleRow(focus_.row, LastNavRow(from_fixed));
        const int first = NextVisibleColumn(fixed_cols_ - 1, LastNavColumn(from_fixed));
        if (r >= 0 && first >= 0) next = CellId(r, first);
      }
      break;
    }
    case Qt::Key_Backtab:
      tab_like = true;
      [[fallthrough]];
    case Qt::Key_Left: {
      const int c = PrevVisibleColumn(focus_.col);
      if (c >= 0) {
        next.col = c;
      } else if (key == Qt::Key_Backtab) {
        const int r = PrevVisibleRow(focus_.row);
        int c_last = LastNavColumn(from_fixed);
        if (c_last >= 0 && col_widths_[static_cast<size_t>(c_last)] == 0) {
          c_last = PrevVisibleColumn(c_last);
        }
        if (r >= 0 && c_last >= fixed_cols_) next = CellId(r, c_last);
      }
      break;
    }
    case Qt::Key_Down: {
      const int r = NextVisibleRow(focus_.row, LastNavRow(from_fixed));
      if (r >= 0) next.row = r;
      break;
    }
    case Qt::Key_Up: {
      const int r = PrevVisibleRow(focus_.row);
      if (r >= 0) next.row = r;
      break;
    }
    case Qt::Key_PageDown:
    case Qt::Key_PageUp: {
      QScrollBar* bar = verticalScrollBar();
      const int old_top = top_row_;
      bar->setValue(bar->value() + (key == Qt::Key_PageDown ? bar->pageStep() : -bar->pageStep()));
      SyncScrollPositions();
      const int moved = top_row_ - old_top;
      if (moved != 0) {
        next.row = std::clamp(focus_.row + moved, fixed_rows_, GetRowCount() - 1);
      } else {
        next.row = key == Qt::Key_PageUp ? fixed_rows_ : GetRowCount() - 1;
      }
      break;
    }
    case Qt::Key_Home:
    case Qt::Key_End: {
      const bool home = key == Qt::Key_Home;
      QScrollBar* hbar = horizontalScrollBar();
      hbar->setValue(home ? hbar->minimum() : hbar->maximum());
      const int c = home ? NextVisibleColumn(fixed_cols_ - 1, GetColumnCount() - 1)
                         : PrevVisibleColumn(GetColumnCount());
      if (c >= 0) next.col = c;
      if (ctrl) {
        QScrollBar* vbar = verticalScrollBar();
        vbar->setValue(home ? vbar->minimum() : vbar->maximum());
        const int r = home ? NextVisibleRow(fixed_rows_ - 1, GetRowCount() - 1)
                           : PrevVisibleRow(GetRowCount());
        if (r >= 0) next.row = r;
      }
      SyncScrollPositions();
      break;
    }
    default:
      return false;
  }

  // Keyboard moves from ordinary cells never land in the trailing fixed cells.
  if (!from_fixed) {
    next.col = std::min(next.col, LastNavColumn(false));
    next.row = std::min(next.row, LastNavRow(false));
  }
  if (!IsValid(next.row, next.col)) return true;

  if (!shift || tab_like) {
    SelectFromStart(next, false);
  } else {
    SelectFromStart(next, true);
  }
  if (next != focus_) ChangeFocusByUser(next);
  EnsureVisible(next.row, next.col);
  return true;
}

void CGridCtrl::DeleteFocusCellText() {
  if (!IsCellEditable(focus_.row, focus_.col)) return;
  Notify(focus_.row, focus_.col, kGridBeginEdit);
  SetCellText(focus_.row, focus_.col, QString());
  SetModified(true, focus_.row, focus_.col);
  Notify(focus_.row, focus_.col, kGridEndEdit);
  RedrawCell(focus_.row, focus_.col);
}

bool CGridCtrl::EditCell(int row, int col, int start_key, const QString& start_text) {
  if (!IsCellEditable(row, col)) return false;
  if (editor_) {
    editor_->EndEdit();
    if (!IsCellEditable(row, col)) return false;
  }
  EnsureVisible(row, col);
  QRect rect;
  if (!GetCellRect(row, col, rect)) return false;
  HideTitleTip();
  Notify(row, col, kGridBeginEdit);
  // The owner may have changed the grid while handling the notification.
  const CGridCellBase* cell = GetCell(row, col);
  if (!cell) return false;
  editor_ =
      cell->CreateEditor(viewport(), row, col, rect, ResolvedFont(row, col), start_key, start_text);
  connect(editor_, &GridInPlaceEdit::EditEnded, this, &CGridCtrl::OnEndInPlaceEdit);
  return true;
}

bool CGridCtrl::IsEditing() const { return editor_ && !editor_->IsEnded(); }

GridInPlaceEdit* CGridCtrl::GetInPlaceEdit() const {
  return IsEditing() ? editor_.data() : nullptr;
}

void CGridCtrl::OnEndInPlaceEdit(const QString& text, int row, int col, int last_key) {
  auto* ended = qobject_cast<GridInPlaceEdit*>(sender());
  if (ended && ended == editor_) editor_ = nullptr;
  // A key ended it inside the editor, so the keyboard comes back to the grid;
  // an edit ended by losing the focus leaves the focus where it went.
  const bool had_focus = last_key != 0;
  CGridCellBase* cell = GetCell(row, col);
  if (!cell) return;
  cell->OnEndEdit();
  if (text != cell->GetText()) {
    SetModified(true, row, col);
    cell->SetText(text);
  }
  Notify(row, col, kGridEndEdit);
  RedrawCell(row, col);
  if (had_focus) setFocus(Qt::OtherFocusReason);
  if (had_focus && IsFlowKey(last_key) && focus_.IsValid()) {
    // Typing flows on: move as the key says and edit the next cell at once.
    HandleNavigationKey(last_key, Qt::NoModifier);
    EditCell(focus_.row, focus_.col, last_key);
  }
}

}  // namespace tarnwick
