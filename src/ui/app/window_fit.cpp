#include "ui/app/window_fit.h"

#include <algorithm>

namespace tarnwick {

QSize FitClientSize(QSize least, QSize chrome, QSize available) {
  if (available.isEmpty()) return least;
  const QSize room = available - chrome;
  return QSize(std::max(1, std::min(least.width(), room.width())),
               std::max(1, std::min(least.height(), room.height())));
}

QRect PlaceWithin(const QRect& wanted, const QRect& available) {
  QRect r = wanted;
  if (r.right() > available.right()) r.moveRight(available.right());
  if (r.bottom() > available.bottom()) r.moveBottom(available.bottom());
  if (r.left() < available.left()) r.moveLeft(available.left());
  if (r.top() < available.top()) r.moveTop(available.top());
  return r;
}

}  // namespace tarnwick
