#include "ui/grid/grid_cell.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include "ui/grid/grid_in_place_edit.h"

namespace tarnwick {

void CGridCellBase::Draw(QPainter& p, const QRect& rect, const GridDrawContext& ctx) const {
  const bool highlighted = state_ & (kCellSelected | kCellDropHighlighted);
  QColor back;
  QColor fore;
  if (highlighted) {
    back = ctx.selected_back;
    fore = ctx.selected_text;
  } else {
    back = back_color_ == kGridDefaultColor ? ctx.back : ToQColor(back_color_);
    fore = text_color_ == kGridDefaultColor ? ctx.text : ToQColor(text_color_);
  }
  p.fillRect(rect, back);

  if (IsFixed() && rect.width() > 1 && rect.height() > 1) {
    p.setPen(ctx.edge_light);
    p.drawLine(rect.left(), rect.top(), rect.right(), rect.top());
    p.drawLine(rect.left(), rect.top(), rect.left(), rect.bottom());
    p.setPen(ctx.edge_dark);
    p.drawLine(rect.left(), rect.bottom(), rect.right(), rect.bottom());
    p.drawLine(rect.right(), rect.top(), rect.right(), rect.bottom());
  }
  if (IsFocused() && ctx.show_focus && rect.width() > 2 && rect.height() > 2) {
    p.setPen(ctx.focus_frame);
    p.setBrush(Qt::NoBrush);
    p.drawRect(rect.adjusted(0, 0, -1, -1));
  }

  const CGridDefaultCell* zone = ctx.zone;
  const int margin = static_cast<int>(HasMargin() || !zone ? GetMargin() : zone->GetMargin());
  QRect text_rect = rect.adjusted(margin + ctx.text_inset, 0, -margin, 0);

  if (image_ >= 0 && ctx.images && image_ < static_cast<int>(ctx.images->size())) {
    const QPixmap& pm = (*ctx.images)[static_cast<size_t>(image_)];
    const int y = rect.top() + (rect.height() - pm.height()) / 2;
    p.drawPixmap(text_rect.left(), y, pm);
    text_rect.setLeft(text_rect.left() + pm.width() + margin);
  }

  const QString text = GetText();
  if (text.isEmpty() || text_rect.width() <= 0) return;
  const QFont* font = GetFont();
  if (!font && zone) font = zone->GetFont();
  if (font) p.setFont(*font);
  p.setPen(fore);
  const unsigned format = HasFormat() || !zone ? GetFormat() : zone->GetFormat();
  const Qt::Alignment align = FormatToAlignment(format);
  const QFontMetrics fm = p.fontMetrics();
  if ((format & kDtEndEllipsis) && fm.horizontalAdvance(text) > text_rect.width()) {
    p.drawText(text_rect, static_cast<int>(align) | Qt::TextSingleLine,
               fm.elidedText(text, Qt::ElideRight, text_rect.width()));
  } else if (format & kDtSingleLine || !(format & kDtWordBreak)) {
    p.drawText(text_rect, static_cast<int>(align) | Qt::TextSingleLine, text);
  } else {
    p.drawText(text_rect, static_cast<int>(align) | Qt::TextWordWrap, text);
  }
}

GridInPlaceEdit* CGridCellBase::CreateEditor(QWidget* parent, int row, int col, const QRect& rect,
                                             const QFont& font, int start_key,
                                             const QString& start_text) const {
  return new GridInPlaceEdit(parent, rect, font, row, col, GetText(), start_key, start_text);
}

void CGridCell::SetFont(const QFont* font) {
  if (font) {
    font_ = *font;
  } else {
    font_.reset();
  }
}

CGridDefaultCell::CGridDefaultCell() {
  format_ = kDtDefaultFormat;
  margin_ = kGridFallbackMargin;
  // The desktop's message font, as the rest of the program's dialogs use.
  if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
    font_ = QApplication::font("QMessageBox");
  }
  Measure();
}

void CGridDefaultCell::SetFont(const QFont* font) {
  font_ = font ? *font : QFont();
  Measure();
}

void CGridDefaultCell::Measure() {
  // Fonts can only be measured against a screen.
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ||
      !QGuiApplication::primaryScreen()) {
    margin_ = kGridFallbackMargin;
    width_ = kGridFallbackWidth;
    height_ = kGridFallbackHeight;
    return;
  }
  const QFontMetrics fm(font_);
  margin_ = static_cast<unsigned>(fm.horizontalAdvance(QLatin1Char(' ')));
  width_ = fm.horizontalAdvance(QStringLiteral(" XXXXXXXXXXXX "));
  height_ = fm.height() * 3 / 2;
}

}  // namespace tarnwick
