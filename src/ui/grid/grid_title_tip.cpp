#include "ui/grid/grid_title_tip.h"

#include <QFontMetrics>
#include <QPainter>

namespace tarnwick {

namespace {
constexpr int kTipBorder = 1;

QString Padded(const QString& text) { return QLatin1Char(' ') + text + QLatin1Char(' '); }
}  // namespace

// The tip lets every mouse event through to the grid below it, so clicks and
// double clicks land where the user aimed and the grid sees the mouse leave.
GridTitleTip::GridTitleTip(QWidget* owner)
    : QWidget(owner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                         Qt::WindowTransparentForInput) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
  setCursor(Qt::ArrowCursor);
  hide();
}

int GridTitleTip::PaddedTextWidth(const QString& text, const QFont& font) {
  return QFontMetrics(font).horizontalAdvance(Padded(text));
}

bool GridTitleTip::WantsTip(int cell_width, const QString& text, const QFont& font, int inset) {
  if (text.isEmpty()) return false;
  return cell_width < PaddedTextWidth(text, font) + 3 * inset;
}

void GridTitleTip::ShowTip(const QRect& global_cell_rect, const QString& text, const QFont& font,
                           int inset, const QColor& text_color, const QColor& back_color) {
  text_ = text;
  text_color_ = text_color;
  back_color_ = back_color;
  setFont(font);
  const int width = PaddedTextWidth(text, font) + 2 * kTipBorder;
  tip_rect_ = QRect(global_cell_rect.left() + inset, global_cell_rect.top(), width,
                    global_cell_rect.height());
  setGeometry(tip_rect_);
  show();
  update();
}

void GridTitleTip::HideTip() {
  if (isVisible()) hide();
  text_.clear();
  tip_rect_ = QRect();
}

void GridTitleTip::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QColor back = back_color_.isValid() ? back_color_ : palette().color(QPalette::ToolTipBase);
  const QColor fore = text_color_.isValid() ? text_color_ : palette().color(QPalette::ToolTipText);
  p.fillRect(rect(), back);
  p.setPen(fore);
  p.drawRect(rect().adjusted(0, 0, -1, -1));
  p.setFont(font());
  p.drawText(rect().adjusted(kTipBorder, 0, -kTipBorder, 0),
             Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, Padded(text_));
}

}  // namespace tarnwick
