#include "ui/app/dialog_units.h"

#include <QFontMetrics>
#include <QString>

namespace tarnwick {

namespace {

// Rounded a * b / c, as the dialog manager scales.
int MulDiv(int a, int b, int c) {
  const long long p = static_cast<long long>(a) * b;
  return static_cast<int>(p >= 0 ? (p + c / 2) / c : (p - c / 2) / c);
}

}  // namespace

DialogUnits::DialogUnits(const QFont& font) {
  const QFontMetrics fm(font);
  // The average width over the Latin letters, rounded as the dialog manager does.
  static const QString kLetters =
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  const int total = fm.horizontalAdvance(kLetters);
  avgWidth_ = (total / 26 + 1) / 2;
  if (avgWidth_ <= 0) avgWidth_ = 1;
  height_ = fm.height() > 0 ? fm.height() : 1;
}

int DialogUnits::X(int du) const { return MulDiv(du, avgWidth_, 4); }
int DialogUnits::Y(int du) const { return MulDiv(du, height_, 8); }

QRect DialogUnits::ToPixels(const QRect& du) const {
  return QRect(X(du.x()), Y(du.y()), X(du.width()), Y(du.height()));
}

}  // namespace tarnwick
