// Clipboard commands and select-all.
#include <QClipboard>
#include <QGuiApplication>
#include <QRegularExpression>

#include "ui/grid/grid_ctrl.h"

namespace tarnwick {

// Visible rows of the selected range, each the tab-joined texts of its visible
// columns (an unselected cell inside the range gives an empty field so the
// columns stay aligned); rows joined by a line feed, none after the last.
bool CGridCtrl::CopySelection() {
  const CellRange range = GetSelectedRange();
  if (!range.IsValid()) return false;
  QStringList lines;
  for (int r = range.min_row; r <= range.max_row; ++r) {
    if (row_heights_[static_cast<size_t>(r)] == 0) continue;
    QStringList fields;
    for (int c = range.min_col; c <= range.max_col; ++c) {
      if (col_widths_[static_cast<size_t>(c)] == 0) continue;
      fields << (IsCellSelected(r, c) ? GetCellText(r, c) : QString());
    }
    lines << fields.join(QLatin1Char('\t'));
  }
  QGuiApplication::clipboard()->setText(lines.join(QLatin1Char('\n')));
  return true;
}

// Read-only and fixed cells keep their text: a paste must not overwrite what
// the user could not have edited by hand (headers, address or ASCII columns).
bool CGridCtrl::PasteAtFocus() {
  if (!IsCellEditable(focus_.row, focus_.col)) return false;
  const QString text = QGuiApplication::clipboard()->text();
  if (text.isEmpty()) return false;
  QStringList lines = text.split(QLatin1Char('\n'));
  // A final line feed ends the last row; it does not start an empty one.
  if (lines.size() > 1 && lines.last().isEmpty()) lines.removeLast();

  static const QRegularExpression kFieldSeparator(QStringLiteral("[\t,]"));
  int row = focus_.row;
  for (const QString& line : lines) {
    if (row < 0) break;
    const QStringList fields = line.split(kFieldSeparator);
    int col = focus_.col;
    for (const QString& field : fields) {
      if (col < 0) break;
      CGridCellBase* cell = GetCell(row, col);
      if (cell && !(cell->GetState() & (kCellReadOnly | kCellFixed))) {
        Notify(row, col, kGridBeginEdit);
        cell->SetText(field.trimmed());
        SetModified(true, row, col);
        SetCellState(row, col, cell->GetState() & ~kCellSelected);
        Notify(row, col, kGridEndEdit);
      }
      col = NextVisibleColumn(col, GetColumnCount() - 1);
    }
    row = NextVisibleRow(row, GetRowCount() - 1);
  }
  Refresh();
  return true;
}

bool CGridCtrl::CutSelection() {
  if (!editable_ || !CopySelection()) return false;
  const std::set<CellId> cells = selected_;
  for (const CellId& id : cells) {
    if (!IsCellEditable(id.row, id.col)) continue;
    Notify(id.row, id.col, kGridBeginEdit);
    SetCellText(id.row, id.col, QString());
    SetModified(true, id.row, id.col);
    Notify(id.row, id.col, kGridEndEdit);
  }
  Refresh();
  return true;
}

void CGridCtrl::SelectAll() {
  if (!selection_enabled_) return;
  if (GetRowCount() <= fixed_rows_ || GetColumnCount() <= fixed_cols_) return;
  SetSelectedRange(CellRange(fixed_rows_, fixed_cols_, GetRowCount() - 1, GetColumnCount() - 1));
}

}  // namespace tarnwick
