#include "ui/app/elided_label.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

namespace tarnwick {

bool ElidedLabel::Elided() const {
  if (wordWrap()) return false;
  return fontMetrics().horizontalAdvance(text()) > contentsRect().width();
}

void ElidedLabel::paintEvent(QPaintEvent* event) {
  // A note that wraps shows its lines as the label lays them out.
  if (wordWrap()) {
    QLabel::paintEvent(event);
    return;
  }
  // The frame and any style-sheet background first, then the text on one
  // line; QLabel's own painting would draw the whole text.
  QFrame::paintEvent(event);  // NOLINT(bugprone-parent-virtual-call)
  QPainter painter(this);
  const QRect area = contentsRect();
  const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, area.width());
  style()->drawItemText(&painter, area, static_cast<int>(alignment() | Qt::TextSingleLine),
                        palette(), isEnabled(), shown, foregroundRole());
}

bool ElidedLabel::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip && toolTip().isEmpty()) {
    auto* help = static_cast<QHelpEvent*>(event);
    if (Elided()) {
      QToolTip::showText(help->globalPos(), text(), this);
    } else {
      QToolTip::hideText();
      event->ignore();
    }
    return true;
  }
  return QLabel::event(event);
}

}  // namespace tarnwick
