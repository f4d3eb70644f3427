#include "ui/services/hyperlink.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QPainter>

#include "core/services/links/link_errors.h"
#include "ui/app/message_box.h"
#include "ui/services/link_opener.h"

namespace tarnwick {

const QColor HyperLink::kLinkColour(0, 0, 238);
const QColor HyperLink::kVisitedColour(85, 26, 139);
const QColor HyperLink::kHoverColour(255, 0, 0);

HyperLink::HyperLink(QWidget* parent) : QLabel(parent) {
  hoverTimer_.setInterval(kHoverTimerMs);
  connect(&hoverTimer_, &QTimer::timeout, this, &HyperLink::HoverTick);
  setMouseTracking(true);
  setCursor(Qt::PointingHandCursor);
}

void HyperLink::Attach() {
  attached_ = true;
  if (url_.isEmpty()) url_ = text();
  if (text().isEmpty()) setText(url_);
  normalFont_ = font();
  normalFont_.setUnderline(false);
  underlineFont_ = normalFont_;
  underlineFont_.setUnderline(true);
  FitToText();
  ApplyFont();
  setToolTip(url_);
}

void HyperLink::SetURL(const QString& url) {
  url_ = url;
  if (!attached_) return;
  if (text().isEmpty()) setText(url_);
  FitToText();
  setToolTip(url_);
}

void HyperLink::SetUnderline(int mode) {
  if (mode == underlineMode_) return;
  underlineMode_ = mode;
  if (attached_) ApplyFont();
}

void HyperLink::SetVisited(bool visited) {
  visited_ = visited;
  update();
}

QColor HyperLink::TextColour() const {
  if (mouseOver_) return kHoverColour;
  return visited_ ? kVisitedColour : kLinkColour;
}

void HyperLink::ApplyFont() {
  const bool under = underlineMode_ == kAlways || (underlineMode_ == kHoverOnly && mouseOver_);
  setFont(under ? underlineFont_ : normalFont_);
  update();
}

void HyperLink::FitToText() {
  if (!autoSize_) return;
  // Measured in the underlined font, kept where the alignment anchors it.
  const QSize text = QFontMetrics(underlineFont_).size(Qt::TextSingleLine, this->text());
  const int frame = 2 * frameWidth();
  QRect r = geometry();
  const int w = text.width() + frame;
  const int h = text.height() + frame;
  const Qt::Alignment a = alignment();
  if (a & Qt::AlignVCenter) {
    r.setTop(r.top() + (r.height() - h) / 2);
  }
  r.setHeight(h);
  if (a & Qt::AlignHCenter) {
    r.setLeft(r.left() + (r.width() - w) / 2);
    r.setWidth(w);
  } else if (a & Qt::AlignRight) {
    r.setLeft(r.right() - w + 1);
  } else {
    r.setWidth(w);
  }
  setGeometry(r);
}

void HyperLink::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().button());
  p.setFont(font());
  p.setPen(TextColour());
  p.drawText(contentsRect(), static_cast<int>(alignment()) | Qt::TextSingleLine, text());
}

void HyperLink::Hover() {
  if (mouseOver_) return;
  mouseOver_ = true;
  ApplyFont();
  hoverTimer_.start();
}

void HyperLink::mouseMoveEvent(QMouseEvent* event) {
  Hover();
  QLabel::mouseMoveEvent(event);
}

void HyperLink::enterEvent(QEnterEvent* event) {
  Hover();
  QLabel::enterEvent(event);
}

void HyperLink::leaveEvent(QEvent* event) {
  EndHover();
  QLabel::leaveEvent(event);
}

void HyperLink::HoverTick() {
  if (!rect().contains(mapFromGlobal(QCursor::pos()))) EndHover();
}

void HyperLink::EndHover() {
  if (!mouseOver_) return;
  mouseOver_ = false;
  hoverTimer_.stop();
  ApplyFont();
}

void HyperLink::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !rect().contains(event->position().toPoint())) {
    QLabel::mouseReleaseEvent(event);
    return;
  }
  mouseOver_ = false;
  hoverTimer_.stop();
  ApplyFont();
  const int result = GotoURL(url_);
  if (links::Opened(result)) {
    SetVisited(true);
  } else {
    QApplication::beep();
    RunMessageBox(this, QString::fromStdString(links::LinkFailureText(result)),
                  QApplication::applicationDisplayName(), BoxIcon::Warning, BoxButtons::Ok);
  }
  emit clicked(result);
}

int HyperLink::GotoURL(const QString& target) { return OpenWebLink(target); }

}  // namespace tarnwick
