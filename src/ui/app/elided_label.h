// A one-line label that keeps its font and its whole text: a text wider than
// the label is drawn cut with "..." and shown whole as the tooltip. text()
// always returns what was set, so the status line and captions read back
// exactly.
#pragma once

#include <QLabel>

namespace tarnwick {

class ElidedLabel : public QLabel {
 public:
  using QLabel::QLabel;

  // Whether the text is wider than the label, so it is drawn cut.
  bool Elided() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool event(QEvent* event) override;
};

}  // namespace tarnwick
