// Dialog units to pixels with the dialog font: every dialog's rectangles are
// given in these units, as their templates lay them out.
#pragma once

#include <QFont>
#include <QRect>

namespace tarnwick {

// Dialog-unit scale of a font: x unit = average character width / 4,
// y unit = character height / 8.
class DialogUnits {
 public:
  explicit DialogUnits(const QFont& font);
  DialogUnits(int averageCharWidth, int charHeight)
      : avgWidth_(averageCharWidth), height_(charHeight) {}

  int X(int du) const;
  int Y(int du) const;
  QRect ToPixels(const QRect& du) const;
  int averageCharWidth() const { return avgWidth_; }
  int charHeight() const { return height_; }

 private:
  int avgWidth_;
  int height_;
};

}  // namespace tarnwick
