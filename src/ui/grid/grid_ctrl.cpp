#include "ui/grid/grid_ctrl.h"

#include <QApplication>
#include <QPalette>
#include <QScrollBar>

#include <algorithm>
#include <new>

#include "ui/grid/grid_in_place_edit.h"
#include "ui/grid/grid_title_tip.h"

namespace tarnwick {

CGridCtrl::CGridCtrl(int rows, int cols, int fixed_rows, int fixed_cols, QWidget* parent)
    : QAbstractScrollArea(parent) {
  for (auto& zone_row : defaults_) {
    for (auto& zone : zone_row) zone = std::make_unique<CGridDefaultCell>();
  }
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setMouseTracking(true);
  viewport()->setAcceptDrops(true);
  setAcceptDrops(true);
  // Painting covers every pixel itself, so Qt need not clear the background.
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  auto_scroll_timer_.setInterval(kGridAutoScrollMs);
  connect(&auto_scroll_timer_, &QTimer::timeout, this, &CGridCtrl::OnAutoScroll);
  title_tip_ = new GridTitleTip(this);

  SetRowCount(std::max(rows, 0));
  SetColumnCount(std::max(cols, 0));
  SetFixedRowCount(std::clamp(fixed_rows, 0, GetRowCount()));
  SetFixedColumnCount(std::clamp(fixed_cols, 0, GetColumnCount()));
}

CGridCtrl::~CGridCtrl() {
  // An open editor would report its end into a half-destroyed grid.
  if (editor_) editor_->disconnect(this);
}

// ---------------------------------------------------------------------------
// shape

std::unique_ptr<CGridCellBase> CGridCtrl::CreateCell(int, int) {
  return std::make_unique<CGridCell>();
}

unsigned CGridCtrl::ZoneBits(int row, int col) const {
  unsigned bits = 0;
  if (row < fixed_rows_ || (trailing_rows_ > 0 && row >= GetRowCount() - trailing_rows_)) {
    bits |= kCellFixedRow | kCellFixed;
  }
  if (col < fixed_cols_ || (trailing_cols_ > 0 && col >= GetColumnCount() - trailing_cols_)) {
    bits |= kCellFixedCol | kCellFixed;
  }
  return bits;
}

std::unique_ptr<CGridCellBase> CGridCtrl::NewCell(int row, int col) {
  auto cell = CreateCell(row, col);
  cell->SetState(cell->GetState() | ZoneBits(row, col));
  return cell;
}

bool CGridCtrl::SetRowCount(int n) {
  if (n < 0) return false;
  const int old = GetRowCount();
  bool ok = true;
  if (n > old) {
    try {
      rows_.reserve(static_cast<size_t>(n));
      row_heights_.reserve(static_cast<size_t>(n));
    } catch (const std::bad_alloc&) {
      return false;
    }
    const int height = defaults_[0][0]->GetHeight();
    for (int r = old; r < n; ++r) {
      // A row that cannot be completed is dropped; the rows made so far stay.
      try {
        Row row;
        row.reserve(col_widths_.size());
        for (int c = 0; c < GetColumnCount(); ++c) row.push_back(NewCell(r, c));
        rows_.push_back(std::move(row));
        row_heights_.push_back(height);
      } catch (const std::bad_alloc&) {
        ok = false;
        break;
      }
    }
  } else if (n < old) {
    if (editor_ && editor_->Row() >= n) editor_->EndEdit();
    rows_.resize(static_cast<size_t>(n));
    row_heights_.resize(static_cast<size_t>(n));
    fixed_rows_ = std::min(fixed_rows_, n);
    DropOutOfRangeState();
  }
  UpdateScrollBars();
  Refresh();
  return ok;
}

bool CGridCtrl::SetColumnCount(int n) {
  if (n < 0) return false;
  const int old = GetColumnCount();
  if (n > old) {
    try {
      col_widths_.reserve(static_cast<size_t>(n));
      for (auto& row : rows_) row.reserve(static_cast<size_t>(n));
      for (int r = 0; r < GetRowCount(); ++r) {
        for (int c = old; c < n; ++c) rows_[static_cast<size_t>(r)].push_back(NewCell(r, c));
      }
    } catch (const std::bad_alloc&) {
      // Every row must keep the same length: undo the partial growth.
      for (auto& row : rows_) row.resize(static_cast<size_t>(old));
      return false;
    }
    col_widths_.resize(static_cast<size_t>(n), defaults_[0][1]->GetWidth());
  } else if (n < old) {
    if (editor_ && editor_->Col() >= n) editor_->EndEdit();
    for (auto& row : rows_) row.resize(static_cast<size_t>(n));
    col_widths_.resize(static_cast<size_t>(n));
    fixed_cols_ = std::min(fixed_cols_, n);
    DropOutOfRangeState();
  }
  UpdateScrollBars();
  Refresh();
  return true;
}

void CGridCtrl::DropOutOfRangeState() {
  if (!IsValid(focus_.row, focus_.col)) focus_ = CellId();
  if (!IsValid(selection_start_.row, selection_start_.col)) selection_start_ = CellId();
  for (auto it = selected_.begin(); it != selected_.end();) {
    it = IsValid(it->row, it->col) ? std::next(it) : selected_.erase(it);
  }
  previous_selection_.clear();
  if (!IsValid(tip_cell_.row, tip_cell_.col)) HideTitleTip();
}

bool CGridCtrl::SetFixedRowCount(int n) {
  if (n < 0 || n > GetRowCount()) return false;
  const int old = fixed_rows_;
  fixed_rows_ = n;
  for (int r = std::min(old, n); r < std::max(old, n); ++r) {
    for (int c = 0; c < GetColumnCount(); ++c) {
      CGridCellBase* cell = GetCell(r, c);
      unsigned state = cell->GetState();
      if (r < n) {
        state |= kCellFixedRow | kCellFixed;
        cell->SetTextClr(kGridDefaultColor);
        cell->SetBackClr(kGridDefaultColor);
      } else {
        state &= ~kCellFixedRow;
        if (!(state & kCellFixedCol)) state &= ~kCellFixed;
      }
      cell->SetState(state);
    }
  }
  if (focus_.IsValid() && focus_.row < n) SetFocusCell(-1, -1);
  UpdateScrollBars();
  Refresh();
  return true;
}

bool CGridCtrl::SetFixedColumnCount(int n) {
  if (n < 0 || n > GetColumnCount()) return false;
  const int old = fixed_cols_;
  fixed_cols_ = n;
  for (int r = 0; r < GetRowCount(); ++r) {
    for (int c = std::min(old, n); c < std::max(old, n); ++c) {
      CGridCellBase* cell = GetCell(r, c);
      unsigned state = cell->GetState();
      if (c < n) {
        state |= kCellFixedCol | kCellFixed;
        cell->SetTextClr(kGridDefaultColor);
        cell->SetBackClr(kGridDefaultColor);
      } else {
        state &= ~kCellFixedCol;
        if (!(state & kCellFixedRow)) state &= ~kCellFixed;
      }
      cell->SetState(state);
    }
  }
  if (focus_.IsValid() && focus_.col < n) SetFocusCell(-1, -1);
  UpdateScrollBars();
  Refresh();
  return true;
}

// Trailing cells keep their colours at the default marker: their fixed bits
// place them in a fixed zone, whose colours are the grid's fixed colours, so
// they also follow later SetFixedTextColor/SetFixedBackColor calls.
bool CGridCtrl::SetTrailingFixedColumnCount(int n) {
  if (n < 0 || n > GetColumnCount()) return false;
  trailing_cols_ = n;
  for (int r = 0; r < GetRowCount(); ++r) {
    for (int c = GetColumnCount() - n; c < GetColumnCount(); ++c) {
      CGridCellBase* cell = GetCell(r, c);
      cell->SetState(cell->GetState() | kCellFixedCol | kCellFixed);
      cell->SetTextClr(kGridDefaultColor);
      cell->SetBackClr(kGridDefaultColor);
    }
  }
  Refresh();
  return true;
}

bool CGridCtrl::SetTrailingFixedRowCount(int n) {
  if (n < 0 || n > GetRowCount()) return false;
  trailing_rows_ = n;
  for (int r = GetRowCount() - n; r < GetRowCount(); ++r) {
    for (int c = 0; c < GetColumnCount(); ++c) {
      CGridCellBase* cell = GetCell(r, c);
      cell->SetState(cell->GetState() | kCellFixedRow | kCellFixed);
      cell->SetTextClr(kGridDefaultColor);
      cell->SetBackClr(kGridDefaultColor);
    }
  }
  Refresh();
  return true;
}

// ---------------------------------------------------------------------------
// colours

void CGridCtrl::SetFixedTextColor(GridColor c) {
  fixed_text_color_ = c;
  defaults_[1][0]->SetTextClr(c);
  defaults_[0][1]->SetTextClr(c);
  defaults_[1][1]->SetTextClr(c);
  Refresh();
}

void CGridCtrl::SetFixedBackColor(GridColor c) {
  fixed_back_color_ = c;
  defaults_[1][0]->SetBackClr(c);
  defaults_[0][1]->SetBackClr(c);
  defaults_[1][1]->SetBackClr(c);
  Refresh();
}

QColor CGridCtrl::ResolvedFixedText() const {
  return fixed_text_color_ == kGridDefaultColor ? palette().color(QPalette::WindowText)
                                                : ToQColor(fixed_text_color_);
}

QColor CGridCtrl::ResolvedFixedBack() const {
  return fixed_back_color_ == kGridDefaultColor ? palette().color(QPalette::Button)
                                                : ToQColor(fixed_back_color_);
}

GridColor CGridCtrl::GetFixedTextColor() const { return FromQColor(ResolvedFixedText()); }
GridColor CGridCtrl::GetFixedBackColor() const { return FromQColor(ResolvedFixedBack()); }

void CGridCtrl::SetGridLineColor(GridColor c) {
  grid_line_color_ = c;
  Refresh();
}

void CGridCtrl::SetGridLines(int which) {
  grid_lines_ = which & kGridLinesBoth;
  Refresh();
}

CGridDefaultCell* CGridCtrl::GetDefaultCell(bool fixed_row, bool fixed_col) {
  return defaults_[fixed_row ? 1 : 0][fixed_col ? 1 : 0].get();
}

const CGridDefaultCell* CGridCtrl::GetDefaultCell(bool fixed_row, bool fixed_col) const {
  return defaults_[fixed_row ? 1 : 0][fixed_col ? 1 : 0].get();
}

const CGridDefaultCell& CGridCtrl::ZoneOf(const CGridCellBase& cell) const {
  const unsigned s = cell.GetState();
  return *GetDefaultCell(s & kCellFixedRow, s & kCellFixedCol);
}

void CGridCtrl::SetImageList(std::vector<QPixmap> images) {
  images_ = std::move(images);
  Refresh();
}

void CGridCtrl::SetSelectionColors(GridColor text, GridColor back) {
  s_selected_text_ = text;
  s_selected_back_ = back;
}

QColor CGridCtrl::SelectedTextColor() {
  return s_selected_text_ == kGridDefaultColor
             ? QApplication::palette().color(QPalette::HighlightedText)
             : ToQColor(s_selected_text_);
}

QColor CGridCtrl::SelectedBackColor() {
  return s_selected_back_ == kGridDefaultColor ? QApplication::palette().color(QPalette::Highlight)
                                               : ToQColor(s_selected_back_);
}

void CGridCtrl::SetFixedEdgeColor(GridColor c) { s_fixed_edge_ = c; }

QColor CGridCtrl::FixedEdgeColor() {
  return s_fixed_edge_ == kGridDefaultColor ? QApplication::palette().color(QPalette::Shadow)
                                            : ToQColor(s_fixed_edge_);
}

void CGridCtrl::SetTextInsets(int normal, int fixed) {
  s_normal_inset_ = std::max(normal, 0);
  s_fixed_inset_ = std::max(fixed, 0);
}

// ---------------------------------------------------------------------------
// cells

CGridCellBase* CGridCtrl::GetCell(int row, int col) const {
  if (!IsValid(row, col)) return nullptr;
  return rows_[static_cast<size_t>(row)][static_cast<size_t>(col)].get();
}

bool CGridCtrl::SetCell(const GridCellDescription& d) {
  CGridCellBase* cell = GetCell(d.row, d.col);
  if (!cell) return false;
  SetModified(true, d.row, d.col);
  if (d.mask & kGridMaskText) cell->SetText(d.text);
  if (d.mask & kGridMaskData) cell->SetData(d.data);
  if (d.mask & kGridMaskImage) cell->SetImage(d.image);
  if (d.mask & kGridMaskState) SetCellState(d.row, d.col, d.state);
  if (d.mask & kGridMaskFormat) cell->SetFormat(d.format);
  if (d.mask & kGridMaskBackColor) cell->SetBackClr(d.back_color);
  if (d.mask & kGridMaskTextColor) cell->SetTextClr(d.text_color);
  if (d.mask & kGridMaskFont) cell->SetFont(&d.font);
  if (d.mask & kGridMaskMargin) cell->SetMargin(d.margin);
  RedrawCell(d.row, d.col);
  return true;
}

bool CGridCtrl::SetCellText(int row, int col, const QString& text) {
  CGridCellBase* cell = GetCell(row, col);
  if (!cell) return false;
  cell->SetText(text);
  RedrawCell(row, col);
  return true;
}

QString CGridCtrl::GetCellText(int row, int col) const {
  const CGridCellBase* cell = GetCell(row, col);
  return cell ? cell->GetText() : QString();
}

bool CGridCtrl::SetCellState(int row, int col, unsigned state) {
  CGridCellBase* cell = GetCell(row, col);
  if (!cell) return false;
  cell->SetState(state);
  if (state & kCellSelected) {
    selected_.insert(CellId(row, col));
  } else {
    selected_.erase(CellId(row, col));
  }
  RedrawCell(row, col);
  return true;
}

unsigned CGridCtrl::GetCellState(int row, int col) const {
  const CGridCellBase* cell = GetCell(row, col);
  return cell ? cell->GetState() : 0u;
}

bool CGridCtrl::SetCellBackColor(int row, int col, GridColor c) {
  CGridCellBase* cell = GetCell(row, col);
  if (!cell) return false;
  cell->SetBackClr(c);
  RedrawCell(row, col);
  return true;
}

bool CGridCtrl::SetCellTextColor(int row, int col, GridColor c) {
  CGridCellBase* cell = GetCell(row, col);
  if (!cell) return false;
  cell->SetTextClr(c);
  RedrawCell(row, col);
  return true;
}

bool CGridCtrl::SetCellFont(int row, int col, const QFont* font) {
  CGridCellBase* cell = GetCell(row, col);
  if (!cell) return false;
  cell->SetFont(font);
  RedrawCell(row, col);
  return true;
}

QFont CGridCtrl::GetCellFont(int row, int col) const {
  const CGridCellBase* cell = GetCell(row, col);
  if (!cell) return *defaults_[0][0]->GetFont();
  return ResolvedFont(row, col);
}

QFont CGridCtrl::ResolvedFont(int row, int col) const {
  const CGridCellBase* cell = GetCell(row, col);
  if (cell && cell->GetFont()) return *cell->GetFont();
  return cell ? *ZoneOf(*cell).GetFont() : *defaults_[0][0]->GetFont();
}

bool CGridCtrl::SetCellFormat(int row, int col, unsigned format) {
  CGridCellBase* cell = GetCell(row, col);
  if (!cell) return false;
  cell->SetFormat(format);
  RedrawCell(row, col);
  return true;
}

bool CGridCtrl::SetCellImage(int row, int col, int image) {
  CGridCellBase* cell = GetCell(row, col);
  if (!cell) return false;
  cell->SetImage(image);
  RedrawCell(row, col);
  return true;
}

bool CGridCtrl::SetCellData(int row, int col, std::intptr_t data) {
  CGridCellBase* cell = GetCell(row, col);
  if (!cell) return false;
  cell->SetData(data);
  return true;
}

std::intptr_t CGridCtrl::GetCellData(int row, int col) const {
  const CGridCellBase* cell = GetCell(row, col);
  return cell ? cell->GetData() : 0;
}

bool CGridCtrl::SetCellMargin(int row, int col, unsigned margin) {
  CGridCellBase* cell = GetCell(row, col);
  if (!cell) return false;
  cell->SetMargin(margin);
  RedrawCell(row, col);
  return true;
}

bool CGridCtrl::IsCellFixed(int row, int col) const {
  const CGridCellBase* cell = GetCell(row, col);
  if (!cell) return false;
  return row < fixed_rows_ || col < fixed_cols_ || cell->IsFixed();
}

bool CGridCtrl::IsCellEditable(int row, int col) const {
  const CGridCellBase* cell = GetCell(row, col);
  return cell && editable_ && !(cell->GetState() & kCellReadOnly);
}

bool CGridCtrl::IsCellSelected(int row, int col) const {
  return selected_.count(CellId(row, col)) != 0;
}

// ---------------------------------------------------------------------------
// focus and selection

bool CGridCtrl::SetFocusCell(int row, int col) {
  const bool clear = row == -1 && col == -1;
  if (!clear && !IsValid(row, col)) return false;
  if (CGridCellBase* old = GetCell(focus_.row, focus_.col)) {
    old->SetState(old->GetState() & ~kCellFocused);
    RedrawCell(focus_.row, focus_.col);
  }
  focus_ = clear ? CellId() : CellId(row, col);
  if (CGridCellBase* cell = GetCell(focus_.row, focus_.col)) {
    cell->SetState(cell->GetState() | kCellFocused);
    RedrawCell(focus_.row, focus_.col);
  }
  return true;
}

void CGridCtrl::ClearSelection() {
  for (const CellId& id : selected_) {
    if (CGridCellBase* cell = GetCell(id.row, id.col)) {
      cell->SetState(cell->GetState() & ~kCellSelected);
    }
  }
  selected_.clear();
  SetFocusCell(-1, -1);
  Refresh();
}

// CellRange() clears the selection; any other range must lie in the grid.
bool CGridCtrl::SetSelectedRange(const CellRange& range) {
  if (!(range == CellRange()) && (!range.IsValid() || !IsValid(range.max_row, range.max_col))) {
    return false;
  }
  previous_selection_ = selected_;
  for (const CellId& id : selected_) {
    if (CGridCellBase* cell = GetCell(id.row, id.col)) {
      cell->SetState(cell->GetState() & ~kCellSelected);
    }
  }
  selected_.clear();
  if (range.IsValid()) {
    for (int r = range.min_row; r <= range.max_row; ++r) {
      for (int c = range.min_col; c <= range.max_col; ++c) {
        CGridCellBase* cell = GetCell(r, c);
        cell->SetState(cell->GetState() | kCellSelected);
        selected_.insert(CellId(r, c));
      }
    }
  }
  Refresh();
  return true;
}

CellRange CGridCtrl::GetSelectedRange() const {
  if (selected_.empty()) return CellRange();
  CellRange r(selected_.begin()->row, selected_.begin()->col, selected_.begin()->row,
              selected_.begin()->col);
  for (const CellId& id : selected_) {
    r.min_row = std::min(r.min_row, id.row);
    r.max_row = std::max(r.max_row, id.row);
    r.min_col = std::min(r.min_col, id.col);
    r.max_col = std::max(r.max_col, id.col);
  }
  return r;
}

// Rebuilds the selection from the selection start to `to` (or restarts it at
// `to`); add_previous keeps what was selected before the gesture (Ctrl).
void CGridCtrl::SelectFromStart(CellId to, bool extend, bool add_previous) {
  if (!selection_enabled_) return;
  if (!extend || !selection_start_.IsValid()) selection_start_ = to;
  CellRange range = CellRange::Spanning(selection_start_, to);
  if (list_mode_) {
    range.min_col = fixed_cols_;
    range.max_col = GetColumnCount() - 1;
  }
  const std::set<CellId> keep = add_previous ? previous_selection_ : std::set<CellId>();
  SetSelectedRange(range);
  if (add_previous) {
    for (const CellId& id : keep) {
      if (CGridCellBase* cell = GetCell(id.row, id.col)) {
        cell->SetState(cell->GetState() | kCellSelected);
        selected_.insert(id);
      }
    }
    previous_selection_ = keep;
  }
}

// The focus moves by the user's hand: the owner hears before and after.
void CGridCtrl::ChangeFocusByUser(CellId cell) {
  Notify(focus_.row, focus_.col, kGridSelChanging);
  SetFocusCell(cell.row, cell.col);
  Notify(cell.row, cell.col, kGridSelChanged);
}

void CGridCtrl::EnableSelection(bool on) {
  selection_enabled_ = on;
  if (!on) SetSelectedRange(CellRange());
}

// ---------------------------------------------------------------------------
// modification, redraw, notifications

bool CGridCtrl::SetModified(bool flag, int row, int col) {
  if (row >= 0 && col >= 0) {
    CGridCellBase* cell = GetCell(row, col);
    if (!cell) return false;
    if (flag) {
      cell->SetState(cell->GetState() | kCellModified);
      modified_ = true;
    } else {
      cell->SetState(cell->GetState() & ~kCellModified);
    }
  } else {
    modified_ = flag;
  }
  if (!modified_) {
    for (auto& r : rows_) {
      for (auto& cell : r) cell->SetState(cell->GetState() & ~kCellModified);
    }
  }
  if (col < 0 || col == sort_column_) sort_column_ = -1;
  return true;
}

bool CGridCtrl::GetModified(int row, int col) const {
  if (row < 0 || col < 0) return modified_;
  return GetCellState(row, col) & kCellModified;
}

void CGridCtrl::Refresh() {
  if (redraw_) viewport()->update();
}

void CGridCtrl::SetRedraw(bool allow) {
  redraw_ = allow;
  if (allow) {
    UpdateScrollBars();
    Refresh();
  }
}

void CGridCtrl::RedrawCell(int row, int col) {
  if (!redraw_) return;
  QRect rect;
  if (GetCellRect(row, col, rect)) viewport()->update(rect);
}

void CGridCtrl::Notify(int row, int col, int code) { emit GridNotify(row, col, code); }

void CGridCtrl::EnableTitleTips(bool on) {
  title_tips_ = on;
  if (!on) HideTitleTip();
}

bool CGridCtrl::SortByColumn(int col, bool ascending) {
  if (col < 0 || col >= GetColumnCount()) return false;
  if (editor_) editor_->EndEdit();
  const auto first = rows_.begin() + fixed_rows_;
  std::vector<size_t> order(rows_.size() - static_cast<size_t>(fixed_rows_));
  for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<size_t>(fixed_rows_) + i;
  const auto text_of = [&](size_t r) { return rows_[r][static_cast<size_t>(col)]->GetText(); };
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    const int cmp = text_of(a).localeAwareCompare(text_of(b));
    return ascending ? cmp < 0 : cmp > 0;
  });
  std::vector<Row> sorted_rows;
  std::vector<int> sorted_heights;
  for (size_t r : order) {
    sorted_rows.push_back(std::move(rows_[r]));
    sorted_heights.push_back(row_heights_[r]);
  }
  std::move(sorted_rows.begin(), sorted_rows.end(), first);
  std::copy(sorted_heights.begin(), sorted_heights.end(), row_heights_.begin() + fixed_rows_);
  // Cell identities moved with their rows: rebuild the per-cell bookkeeping.
  SetFocusCell(-1, -1);
  SetSelectedRange(CellRange());
  for (int r = 0; r < GetRowCount(); ++r) {
    for (int c = 0; c < GetColumnCount(); ++c) {
      CGridCellBase* cell = GetCell(r, c);
      cell->SetState(cell->GetState() & ~(kCellFocused | kCellSelected));
    }
  }
  sort_column_ = col;
  sort_ascending_ = ascending;
  Refresh();
  return true;
}

}  // namespace tarnwick
