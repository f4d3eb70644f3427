#include "ui/app/text_progress_bar.h"

#include <QPainter>
#include <QPalette>
#include <algorithm>

namespace tarnwick {

TextProgressBar::TextProgressBar(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TextProgressBar::SetRange(int lower, int upper) {
  lower_ = lower;
  upper_ = upper;
  update();
}

void TextProgressBar::SetPos(int pos) {
  pos_ = pos;
  update();
}

void TextProgressBar::SetPosText(int pos, const QString& text, int alignment) {
  text_ = text;
  alignment_ = alignment;
  SetPos(pos);
}

void TextProgressBar::SetBarColour(QColor rgb) {
  bar_ = rgb;
  update();
}

void TextProgressBar::SetTextFont(const QString& face, int height, QColor colour, bool bold,
                                  bool italic, bool underline, bool strikeout) {
  QFont f(face);
  f.setPixelSize(std::max(1, height));
  f.setWeight(bold ? QFont::Black : QFont::Light);
  f.setItalic(italic);
  f.setUnderline(underline);
  f.setStrikeOut(strikeout);
  setFont(f);
  textColour_ = colour;
  update();
}

int TextProgressBar::FilledWidth() const {
  const int span = upper_ - lower_;
  // An empty range would divide by zero; such a bar shows nothing filled.
  if (span <= 0) return 0;
  const long long w = static_cast<long long>(pos_ - lower_) * width() / span;
  return static_cast<int>(std::clamp<long long>(w, 0, width()));
}

void TextProgressBar::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRect r = rect();
  const int filled = FilledWidth();
  p.fillRect(QRect(0, 0, filled, r.height()), bar_);
  p.fillRect(QRect(filled, 0, r.width() - filled, r.height()), palette().color(QPalette::Button));
  if (text_.isEmpty()) return;
  Qt::Alignment h = Qt::AlignHCenter;
  if (alignment_ == kLeft) h = Qt::AlignLeft;
  if (alignment_ == kRight) h = Qt::AlignRight;
  p.setPen(textColour_);
  p.setFont(font());
  p.drawText(r, static_cast<int>(h | Qt::AlignVCenter | Qt::TextSingleLine), text_);
}

}  // namespace tarnwick
