// Painting: only the cells in view and inside the damaged rectangle are
// drawn, optionally through an off-screen pixmap.
#include <QPaintEvent>
#include <QPainter>

#include "ui/grid/grid_ctrl.h"

namespace tarnwick {

namespace {

struct Span {
  int index;
  int pos;
  int size;
};

// The rows (or columns) in view: the leading fixed ones, then the scrollable
// ones from `first` until the view's extent is filled.
std::vector<Span> SpansInView(const std::vector<int>& sizes, int fixed, int first, int extent) {
  std::vector<Span> spans;
  int pos = 0;
  for (int i = 0; i < fixed && pos < extent; ++i) {
    const int s = sizes[static_cast<size_t>(i)];
    spans.push_back({i, pos, s});
    pos += s;
  }
  for (int i = first; i < static_cast<int>(sizes.size()) && pos < extent; ++i) {
    const int s = sizes[static_cast<size_t>(i)];
    spans.push_back({i, pos, s});
    pos += s;
  }
  return spans;
}

int SpanEnd(const std::vector<Span>& spans) {
  return spans.empty() ? 0 : spans.back().pos + spans.back().size;
}

}  // namespace

void CGridCtrl::resizeEvent(QResizeEvent* e) {
  QAbstractScrollArea::resizeEvent(e);
  UpdateScrollBars();
  HideTitleTip();
}

void CGridCtrl::paintEvent(QPaintEvent* e) {
  const QRect clip = e->rect();
  if (!double_buffer_) {
    QPainter p(viewport());
    PaintCells(p, clip);
    return;
  }
  const qreal dpr = viewport()->devicePixelRatioF();
  const QSize device_size = viewport()->size() * dpr;
  if (buffer_.size() != device_size) {
    buffer_ = QPixmap(device_size);
    buffer_.setDevicePixelRatio(dpr);
  }
  {
    QPainter bp(&buffer_);
    bp.setClipRect(clip);
    PaintCells(bp, clip);
  }
  QPainter p(viewport());
  p.drawPixmap(QRectF(clip), buffer_,
               QRectF(clip.x() * dpr, clip.y() * dpr, clip.width() * dpr, clip.height() * dpr));
}

GridDrawContext CGridCtrl::ZoneContext(bool fixed_row, bool fixed_col) const {
  const CGridDefaultCell& zone = *GetDefaultCell(fixed_row, fixed_col);
  const bool fixed_zone = fixed_row || fixed_col;
  GridDrawContext ctx;
  if (zone.GetTextClr() != kGridDefaultColor) {
    ctx.text = ToQColor(zone.GetTextClr());
  } else {
    ctx.text = fixed_zone ? ResolvedFixedText() : palette().color(QPalette::Text);
  }
  if (zone.GetBackClr() != kGridDefaultColor) {
    ctx.back = ToQColor(zone.GetBackClr());
  } else {
    ctx.back = fixed_zone ? ResolvedFixedBack() : palette().color(QPalette::Base);
  }
  ctx.selected_text = SelectedTextColor();
  ctx.selected_back = SelectedBackColor();
  ctx.edge_light = palette().color(QPalette::Light);
  ctx.edge_dark = FixedEdgeColor();
  ctx.focus_frame = palette().color(QPalette::WindowText);
  ctx.zone = &zone;
  ctx.text_inset = fixed_zone ? s_fixed_inset_ : s_normal_inset_;
  ctx.images = &images_;
  return ctx;
}

void CGridCtrl::PaintCells(QPainter& p, const QRect& clip) {
  const int vw = viewport()->width();
  const int vh = viewport()->height();
  const std::vector<Span> cols = SpansInView(col_widths_, fixed_cols_, left_col_, vw);
  const std::vector<Span> rows = SpansInView(row_heights_, fixed_rows_, top_row_, vh);
  const int right = SpanEnd(cols);
  const int bottom = SpanEnd(rows);

  const QColor outside = palette().color(QPalette::Window);
  if (right < vw) p.fillRect(QRect(right, 0, vw - right, vh), outside);
  if (bottom < vh) p.fillRect(QRect(0, bottom, std::min(right, vw), vh - bottom), outside);

  // One context per zone, built once per paint rather than once per cell.
  GridDrawContext zone_ctx[4];
  for (int z = 0; z < 4; ++z) zone_ctx[z] = ZoneContext(z & 1, z & 2);

  const bool horz = grid_lines_ & kGridLinesHorz;
  const bool vert = grid_lines_ & kGridLinesVert;
  for (const Span& row : rows) {
    if (row.size <= 0 || row.pos > clip.bottom() || row.pos + row.size <= clip.top()) continue;
    const Row& cells = rows_[static_cast<size_t>(row.index)];
    for (const Span& col : cols) {
      if (col.size <= 0 || col.pos > clip.right() || col.pos + col.size <= clip.left()) continue;
      const CGridCellBase& cell = *cells[static_cast<size_t>(col.index)];
      const unsigned s = cell.GetState();
      const int z = ((s & kCellFixedRow) ? 1 : 0) | ((s & kCellFixedCol) ? 2 : 0);
      const QRect rect(col.pos, row.pos, col.size - (vert ? 1 : 0), row.size - (horz ? 1 : 0));
      if (rect.width() > 0 && rect.height() > 0) cell.Draw(p, rect, zone_ctx[z]);
    }
  }

  p.setPen(ToQColor(grid_line_color_));
  if (horz) {
    for (const Span& row : rows) {
      if (row.size <= 0) continue;
      const int y = row.pos + row.size - 1;
      if (y >= clip.top() && y <= clip.bottom()) p.drawLine(0, y, right - 1, y);
    }
  }
  if (vert) {
    for (const Span& col : cols) {
      if (col.size <= 0) continue;
      const int x = col.pos + col.size - 1;
      if (x >= clip.left() && x <= clip.right()) p.drawLine(x, 0, x, bottom - 1);
    }
  }

  // The resizing line inverts what is under it, so it shows on any colour.
  if (sizing_line_ >= 0 &&
      (mouse_mode_ == MouseMode::kSizingColumn || mouse_mode_ == MouseMode::kSizingRow)) {
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    const QRect line = mouse_mode_ == MouseMode::kSizingColumn
                           ? QRect(sizing_line_, 0, kGridSizingLineWidth, vh)
                           : QRect(0, sizing_line_, vw, kGridSizingLineWidth);
    p.fillRect(line, Qt::white);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
  }
}

}  // namespace tarnwick
