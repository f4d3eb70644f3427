// Keeps a dialog's anchored controls in step with its client area: when the
// client is resized, each control moves or stretches by its anchor (see
// Anchor in dialog_builder.h), measured from the template's size.
#pragma once

#include <QObject>
#include <QRect>
#include <QSize>
#include <vector>

#include "ui/app/dialog_builder.h"

class QWidget;

namespace tarnwick {

// Where a control of rectangle `atBase` goes when the client is `grown`
// larger (or smaller, for negative values) than the template's size.
QRect AnchoredRect(const QRect& atBase, Anchor anchor, QSize grown);

class AnchorLayout : public QObject {
 public:
  // `base` is the client size the controls' present rectangles belong to.
  AnchorLayout(QWidget* client, QSize base);

  // Follows the control from its present rectangle.
  void Add(QWidget* control, Anchor anchor);
  // Places every control for the client's present size.
  void Apply();
  // The controls' present rectangles belong to a client of size `base` now.
  void Rebase(QSize base);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Item {
    QWidget* control;
    QRect atBase;
    Anchor anchor;
  };
  QWidget* client_;
  QSize base_;
  std::vector<Item> items_;
};

}  // namespace tarnwick
