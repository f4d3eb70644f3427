#include "ui/buffers/hex_view_panel.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPalette>
#include <QScrollBar>
#include <QSignalBlocker>
#include <algorithm>

#include "core/buffers/hex_layout.h"
#include "core/buffers/hex_view.h"
#include "ui/grid/grid_ctrl.h"

namespace tarnwick {

namespace hex = buffers::hex;

namespace {

GridColor ToGrid(hex::Rgb c) { return GridRgb(c.r, c.g, c.b); }

}  // namespace

HexViewPanel::HexViewPanel(buffers::HexView& model, CGridCtrl* grid, QScrollBar* bar,
                           QLineEdit* editor, QWidget* window)
    : QObject(window), model_(model), grid_(grid), bar_(bar), editor_(editor), window_(window) {
  SetupGrid();
  gridFocusSeen_ = model_.gridFocusRequests();
  connect(grid_, &CGridCtrl::CellClicked, this, &HexViewPanel::OnCellClicked);
  connect(grid_, &CGridCtrl::GridNotify, this, &HexViewPanel::OnGridNotify);
  editor_->installEventFilter(this);
  connect(bar_, &QScrollBar::actionTriggered, this, &HexViewPanel::OnScrollAction);
  connect(editor_, &QLineEdit::textEdited, this, &HexViewPanel::OnEditorEdited);
  Show();
}

void HexViewPanel::SetupGrid() {
  grid_->SetRowCount(model_.shownRows() + 1);
  grid_->SetColumnCount(hex::kGridColumns);
  grid_->SetFixedRowCount(1);
  grid_->SetFixedColumnCount(1);
  grid_->SetTrailingFixedColumnCount(1);
  // Typing goes through the overlay editor, never the grid's own one.
  grid_->SetEditable(false);
  grid_->SetFixedTextColor(ToGrid(hex::kFixedText));
  grid_->SetFixedBackColor(ToGrid(hex::kWhite));
  for (int c = 0; c < hex::kGridColumns; ++c) grid_->SetColumnWidth(c, hex::kByteColumnWidth);
  grid_->SetColumnWidth(0, hex::kAddressColumnWidth);
  grid_->SetColumnWidth(hex::kAsciiColumn, hex::kAsciiColumnWidth);
  grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grid_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

  font_ = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font_.setPixelSize(hex::kFontHeight);
  // Characters kFontWidth pixels wide, so sixteen ASCII characters fit their column.
  const int advance = QFontMetrics(font_).horizontalAdvance(QLatin1Char('0'));
  if (advance > hex::kFontWidth) font_.setStretch(std::max(50, hex::kFontWidth * 100 / advance));
  SetupRows(0);
  editor_->setFont(font_);
  editor_->setAlignment(Qt::AlignCenter);
  editor_->setMaxLength(2);
  editor_->setFrame(false);
  editor_->hide();
  gridViewport_ = grid_->viewport();
  gridViewport_->installEventFilter(this);
  connect(grid_->verticalScrollBar(), &QScrollBar::valueChanged, this,
          &HexViewPanel::OnGridScrolled);
  FitRows();
}

void HexViewPanel::SetupRows(int from) {
  const int rows = grid_->GetRowCount();
  for (int r = from; r < rows; ++r) {
    grid_->SetRowHeight(r, hex::kRowHeight);
    for (int c = 0; c < hex::kGridColumns; ++c) {
      grid_->SetCellFont(r, c, &font_);
      if (r > 0 && c > 0 && c < hex::kAsciiColumn) {
        grid_->SetCellTextColor(r, c, ToGrid(hex::kLightGrey));
        grid_->SetCellBackColor(r, c, ToGrid(hex::kWhite));
        grid_->SetCellFormat(r, c, kDtCenter | kDtVCenter | kDtSingleLine | kDtNoPrefix);
      }
    }
  }
  // New byte cells are painted in the no-data colours.
  const auto dataRows = static_cast<std::size_t>(std::max(rows - 1, 0));
  const auto kept = static_cast<std::size_t>(std::max(from - 1, 0));
  shown_.resize(dataRows);
  for (std::size_t r = std::min(kept, dataRows); r < dataRows; ++r) {
    shown_[r].fill(hex::CellClass::NoData);
  }
}

void HexViewPanel::FitRows() {
  const int avail = grid_->viewport()->height() - hex::kRowHeight;
  const int whole = std::max(1, avail / hex::kRowHeight);
  const int shown = avail > whole * hex::kRowHeight ? whole + 1 : whole;
  if (whole == model_.pageRows() && shown == model_.shownRows() &&
      grid_->GetRowCount() == shown + 1) {
    return;
  }
  model_.SetPageRows(whole, shown);
  const int before = grid_->GetRowCount();
  grid_->SetRedraw(false);
  grid_->SetRowCount(shown + 1);
  SetupRows(std::min(before, shown + 1));
  grid_->SetRedraw(true);
  Refresh();
}

void HexViewPanel::OnGridScrolled(int value) {
  if (value == 0) return;
  {
    const QSignalBlocker block(grid_->verticalScrollBar());
    grid_->verticalScrollBar()->setValue(0);
  }
  for (int i = 0; i < value; ++i) model_.OnHexScroll(buffers::ScrollCode::LineDown, 0);
  Show();
}

void HexViewPanel::Refresh() {
  model_.RefreshHexView();
  Show();
}

void HexViewPanel::Show() {
  updating_ = true;
  grid_->SetRedraw(false);
  const int rows = std::min(grid_->GetRowCount(), model_.shownRows() + 1);
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < hex::kGridColumns; ++c) {
      grid_->SetCellText(r, c, QString::fromStdString(model_.CellText(r, c)));
    }
  }
  ShowClasses();
  if (model_.focusRow() > 0 && model_.focusColumn() > 0) {
    const CellId focus = grid_->GetFocusCell();
    if (focus.row != model_.focusRow() || focus.col != model_.focusColumn()) {
      grid_->SetFocusCell(model_.focusRow(), model_.focusColumn());
      // The highlight follows the editor, so the byte just typed shows its
      // changed colour instead of the clicked cell's selection.
      grid_->SetSelectedRange(
          {model_.focusRow(), model_.focusColumn(), model_.focusRow(), model_.focusColumn()});
    }
  } else {
    // No focus, no highlight: a scroll or a load leaves no stale blue cell.
    grid_->SetFocusCell(-1, -1);
    if (grid_->GetSelectedCount() > 0) grid_->SetSelectedRange(CellRange());
  }
  grid_->SetRedraw(true);
  grid_->Refresh();

  const std::uint64_t max = model_.scrollMaximum();
  bar_->blockSignals(true);
  bar_->setRange(0, static_cast<int>(max));
  bar_->setPageStep(1);
  bar_->setValue(static_cast<int>(model_.scrollPosition()));
  bar_->blockSignals(false);
  bar_->setEnabled(model_.scrollEnabled());  // disabled, not hidden
  PlaceEditor();
  if (model_.gridFocusRequests() != gridFocusSeen_) {
    gridFocusSeen_ = model_.gridFocusRequests();
    if (!editor_->isVisible()) grid_->setFocus(Qt::OtherFocusReason);
  }
  updating_ = false;
}

void HexViewPanel::ShowClasses() {
  const int rows = std::min(grid_->GetRowCount(), model_.shownRows() + 1);
  for (int r = 1; r < rows; ++r) {
    for (int c = 1; c < hex::kAsciiColumn; ++c) {
      const hex::CellClass cls = model_.CellClassAt(r, c);
      hex::CellClass& shown =
          shown_[static_cast<std::size_t>(r - 1)][static_cast<std::size_t>(c - 1)];
      if (cls == shown) continue;  // colours only change with the class
      shown = cls;
      grid_->SetCellTextColor(r, c, ToGrid(hex::TextColour(cls)));
      const std::optional<hex::Rgb> back = hex::Background(cls);
      grid_->SetCellBackColor(r, c, back ? ToGrid(*back) : ToGrid(hex::kWhite));
    }
  }
}

void HexViewPanel::PlaceEditor() {
  const buffers::EditorState& e = model_.editor();
  QRect cell;
  if (!e.visible || !grid_->GetCellRect(e.row, e.column, cell)) {
    editor_->hide();
    return;
  }
  // Our grid reports the exact cell rectangle with its grid lines on the
  // right and bottom edge. The editor covers the cell inside those lines, so
  // the typed digits sit where the cell's own digits were (the offsets of a
  // framed Windows edit would push them down and to the right).
  // On the partly shown last row it ends where the grid ends.
  const QPoint topLeft = grid_->viewport()->mapTo(window_, cell.topLeft());
  const int height = std::min(cell.height() - 1, grid_->viewport()->height() - cell.top());
  editor_->setGeometry(topLeft.x(), topLeft.y(), cell.width() - 1, height);
  // The digits keep the colour of the byte under them (changed bytes red).
  QPalette palette = editor_->palette();
  const hex::Rgb colour = hex::TextColour(model_.CellClassAt(e.row, e.column));
  palette.setColor(QPalette::Text, QColor(colour.r, colour.g, colour.b));
  palette.setColor(QPalette::Base, Qt::white);
  editor_->setPalette(palette);
  const QString text = QString::fromStdString(e.text);
  if (editor_->text() != text) editor_->setText(text);
  editor_->setSelection(e.selection.start, e.selection.end - e.selection.start);
  editor_->show();
  editor_->raise();
  editor_->setFocus();
}

void HexViewPanel::OnCellClicked(int row, int column, const QPoint& pos) {
  QRect cell;
  const bool rightHalf = grid_->GetCellRect(row, column, cell) && pos.x() >= cell.center().x();
  model_.OnHexCellClicked(row, column, rightHalf);
  Show();
}

void HexViewPanel::OnScrollAction(int action) {
  using buffers::ScrollCode;
  ScrollCode code;
  switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
      code = ScrollCode::LineDown;
      break;
    case QAbstractSlider::SliderSingleStepSub:
      code = ScrollCode::LineUp;
      break;
    case QAbstractSlider::SliderPageStepAdd:
      code = ScrollCode::PageDown;
      break;
    case QAbstractSlider::SliderPageStepSub:
      code = ScrollCode::PageUp;
      break;
    case QAbstractSlider::SliderMove:
      code = ScrollCode::ThumbTrack;
      break;
    default:
      code = ScrollCode::EndScroll;
      break;
  }
  const int position = bar_->sliderPosition();
  bar_->setFocus();
  model_.OnHexScroll(code, static_cast<std::uint64_t>(position < 0 ? 0 : position));
  Show();
  // The model decides where the thumb stands, not the bar.
  bar_->setSliderPosition(static_cast<int>(model_.scrollPosition()));
}

void HexViewPanel::OnEditorEdited(const QString& text) {
  if (updating_) return;
  model_.OnEditorChanged(text.toUpper().toStdString(), editor_->cursorPosition());
  Show();
}

void HexViewPanel::OnGridNotify(int row, int column, int code) {
  // Keyboard moves change the grid's focus cell without a click.
  if (code == kGridSelChanged && !updating_) model_.OnGridFocusMoved(row, column);
}

bool HexViewPanel::eventFilter(QObject* watched, QEvent* event) {
  // Compared by address only: while the window is destroyed the grid may
  // already be gone when the editor's last events arrive.
  if (watched == gridViewport_) {
    if (event->type() == QEvent::Resize) FitRows();
    return false;
  }
  if (watched != editor_ || event->type() != QEvent::KeyPress) return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
  if (!plain || (key->key() != Qt::Key_Right && key->key() != Qt::Key_Left)) return false;
  // The line edit would leave the caret between two digits with nothing
  // selected, where its two-character limit drops the next digit.
  model_.OnEditorArrow(key->key() == Qt::Key_Right);
  Show();
  return true;
}

void HexViewPanel::CommitCellEdit() {
  model_.CommitCellEdit();
  Show();
}

bool HexViewPanel::FocusInView() const {
  QWidget* f = QApplication::focusWidget();
  return f && (f == grid_ || grid_->isAncestorOf(f) || f == bar_ || f == editor_);
}

void HexViewPanel::Wheel(int delta) {
  model_.OnHexWheel(delta, FocusInView());
  Show();
}

bool HexViewPanel::ShowAddress(std::uint64_t address) {
  const bool shown = model_.ShowAddress(address);
  Show();
  return shown;
}

QRect HexViewPanel::DataRect() const {
  QWidget* view = grid_->viewport();
  QRect cells = view->rect();
  QRect last;
  if (grid_->GetCellRect(0, hex::kAsciiColumn, last)) cells.setRight(last.right());
  QRect data(view->mapToGlobal(cells.topLeft()), cells.size());
  // The scroll bar beside the rows belongs to them.
  if (bar_->isVisible()) data = data.united(QRect(bar_->mapToGlobal(QPoint(0, 0)), bar_->size()));
  return data;
}

QRect HexViewPanel::ShownRowsRect() const {
  QRect rows;
  auto add = [&](int row) {
    QRect first;
    QRect last;
    if (!grid_->GetCellRect(row, 0, first) || !grid_->GetCellRect(row, hex::kAsciiColumn, last)) {
      return;
    }
    const QRect span = first.united(last).intersected(grid_->viewport()->rect());
    rows = rows.united(QRect(grid_->viewport()->mapToGlobal(span.topLeft()), span.size()));
  };
  if (model_.focusRow() > 0) add(model_.focusRow());
  const int shown = std::min(grid_->GetRowCount() - 1, model_.shownRows());
  for (int r = 1; r <= shown; ++r) {
    for (int c = 1; c < hex::kAsciiColumn; ++c) {
      if (model_.CellClassAt(r, c) == hex::CellClass::SearchHit) {
        add(r);
        break;
      }
    }
  }
  return rows;
}

bool HexViewPanel::ShowSearchHit(std::uint64_t offset, std::size_t length) {
  const bool shown = model_.ShowSearchHit(offset, length);
  Show();
  return shown;
}

}  // namespace tarnwick
