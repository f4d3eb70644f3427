#include "ui/app/anchor_layout.h"

#include <QEvent>
#include <QWidget>
#include <algorithm>

namespace tarnwick {

namespace {

bool Has(Anchor anchor, Anchor part) {
  return (static_cast<unsigned>(anchor) & static_cast<unsigned>(part)) != 0;
}

}  // namespace

QRect AnchoredRect(const QRect& atBase, Anchor anchor, QSize grown) {
  QRect r = atBase;
  if (Has(anchor, Anchor::Right)) r.moveLeft(r.x() + grown.width());
  if (Has(anchor, Anchor::Bottom)) r.moveTop(r.y() + grown.height());
  if (Has(anchor, Anchor::LeftRight)) r.setWidth(std::max(0, r.width() + grown.width()));
  if (Has(anchor, Anchor::TopBottom)) r.setHeight(std::max(0, r.height() + grown.height()));
  return r;
}

AnchorLayout::AnchorLayout(QWidget* client, QSize base)
    : QObject(client), client_(client), base_(base) {
  client_->installEventFilter(this);
}

void AnchorLayout::Add(QWidget* control, Anchor anchor) {
  if (anchor == Anchor::TopLeft) return;
  items_.push_back({control, control->geometry(), anchor});
}

void AnchorLayout::Apply() {
  const QSize grown = client_->size() - base_;
  for (const Item& item : items_)
    item.control->setGeometry(AnchoredRect(item.atBase, item.anchor, grown));
}

void AnchorLayout::Rebase(QSize base) {
  base_ = base;
  for (Item& item : items_) item.atBase = item.control->geometry();
}

bool AnchorLayout::eventFilter(QObject* watched, QEvent* event) {
  if (watched == client_ && event->type() == QEvent::Resize) Apply();
  return QObject::eventFilter(watched, event);
}

}  // namespace tarnwick
