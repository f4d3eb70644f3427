// The pop-up that shows the whole text of a cell whose text is cut off.
#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <QWidget>

namespace tarnwick {

class GridTitleTip : public QWidget {
  Q_OBJECT

 public:
  explicit GridTitleTip(QWidget* owner);

  // Width of the padded text (one blank each side) in font.
  static int PaddedTextWidth(const QString& text, const QFont& font);
  // The tip is worth showing only when the cell is narrower than this rule.
  static bool WantsTip(int cell_width, const QString& text, const QFont& font, int inset);

  // Shows text over the cell (global rectangle) at its top-left plus the inset,
  // as high as the cell. Invalid colours keep the tool-tip colours.
  void ShowTip(const QRect& global_cell_rect, const QString& text, const QFont& font, int inset,
               const QColor& text_color = QColor(), const QColor& back_color = QColor());
  void HideTip();
  QString TipText() const { return text_; }
  QRect TipRect() const { return tip_rect_; }  // global

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  QString text_;
  QRect tip_rect_;
  QColor text_color_;
  QColor back_color_;
};

}  // namespace tarnwick
