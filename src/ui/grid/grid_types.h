// Plain value types and constants of the grid control: cell identity, colour
// values, state bits, text-format flags, description mask bits and the
// notification codes sent to the owner.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>

#include <algorithm>
#include <cstdint>

namespace tarnwick {

// ---- cell identity ---------------------------------------------------------

struct CellId {
  int row = -1;
  int col = -1;

  constexpr CellId() = default;
  constexpr CellId(int r, int c) : row(r), col(c) {}
  constexpr bool IsValid() const { return row >= 0 && col >= 0; }
  constexpr bool operator==(const CellId&) const = default;
  // clang-tidy 14 reads the defaulted <=> as comparing with a literal 0.
  constexpr auto operator<=>(const CellId&) const = default;  // NOLINT(modernize-use-nullptr)
};

// Inclusive range; an invalid range has a negative corner.
struct CellRange {
  int min_row = -1;
  int min_col = -1;
  int max_row = -1;
  int max_col = -1;

  constexpr CellRange() = default;
  constexpr CellRange(int r0, int c0, int r1, int c1)
      : min_row(r0), min_col(c0), max_row(r1), max_col(c1) {}
  // The range spanned by two corner cells in any order.
  static constexpr CellRange Spanning(CellId a, CellId b) {
    return CellRange(std::min(a.row, b.row), std::min(a.col, b.col), std::max(a.row, b.row),
                     std::max(a.col, b.col));
  }
  constexpr bool IsValid() const {
    return min_row >= 0 && min_col >= 0 && max_row >= min_row && max_col >= min_col;
  }
  constexpr bool Contains(int r, int c) const {
    return IsValid() && r >= min_row && r <= max_row && c >= min_col && c <= max_col;
  }
  constexpr bool operator==(const CellRange&) const = default;
};

// ---- colours ---------------------------------------------------------------

// Colours are kept in the 0x00BBGGRR layout of the owner's RGB() values so
// that the "default" marker 0xFF000000 can never be a real colour.
using GridColor = std::uint32_t;
inline constexpr GridColor kGridDefaultColor = 0xFF000000u;

constexpr GridColor GridRgb(int r, int g, int b) {
  return static_cast<GridColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
inline QColor ToQColor(GridColor c) {
  return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                static_cast<int>((c >> 16) & 0xFF));
}
inline GridColor FromQColor(const QColor& c) { return GridRgb(c.red(), c.green(), c.blue()); }

inline constexpr GridColor kGridLineColor = GridRgb(192, 192, 192);

// ---- cell state bits -------------------------------------------------------

inline constexpr unsigned kCellFocused = 0x01;
inline constexpr unsigned kCellSelected = 0x02;
inline constexpr unsigned kCellDropHighlighted = 0x04;
inline constexpr unsigned kCellReadOnly = 0x08;
inline constexpr unsigned kCellFixed = 0x10;
inline constexpr unsigned kCellFixedRow = 0x20;
inline constexpr unsigned kCellFixedCol = 0x40;
inline constexpr unsigned kCellModified = 0x80;

// ---- text format flags (the owner's text-drawing flag values) --------------

inline constexpr unsigned kDtLeft = 0x0000;
inline constexpr unsigned kDtCenter = 0x0001;
inline constexpr unsigned kDtRight = 0x0002;
inline constexpr unsigned kDtVCenter = 0x0004;
inline constexpr unsigned kDtBottom = 0x0008;
inline constexpr unsigned kDtWordBreak = 0x0010;
inline constexpr unsigned kDtSingleLine = 0x0020;
inline constexpr unsigned kDtNoPrefix = 0x0800;
inline constexpr unsigned kDtEndEllipsis = 0x8000;
inline constexpr unsigned kDtDefaultFormat =
    kDtLeft | kDtVCenter | kDtSingleLine | kDtEndEllipsis | kDtNoPrefix;

// Qt alignment for a format word (ampersands are never prefixes in Qt's
// plain text drawing, so no-prefix needs no mapping).
inline Qt::Alignment FormatToAlignment(unsigned format) {
  Qt::Alignment a = Qt::AlignLeft;
  if (format & kDtCenter)
    a = Qt::AlignHCenter;
  else if (format & kDtRight)
    a = Qt::AlignRight;
  if (format & kDtVCenter)
    a |= Qt::AlignVCenter;
  else if (format & kDtBottom)
    a |= Qt::AlignBottom;
  else
    a |= Qt::AlignTop;
  return a;
}

// ---- cell description mask bits --------------------------------------------

inline constexpr unsigned kGridMaskText = 0x001;
inline constexpr unsigned kGridMaskImage = 0x002;
inline constexpr unsigned kGridMaskData = 0x004;
inline constexpr unsigned kGridMaskState = 0x008;
inline constexpr unsigned kGridMaskBackColor = 0x010;
inline constexpr unsigned kGridMaskTextColor = 0x020;
inline constexpr unsigned kGridMaskFormat = 0x040;
inline constexpr unsigned kGridMaskFont = 0x080;
inline constexpr unsigned kGridMaskMargin = 0x100;

// The record handed to CGridCtrl::SetCell; fields without their mask bit are
// ignored.
struct GridCellDescription {
  int row = 0;
  int col = 0;
  unsigned mask = 0;
  unsigned state = 0;
  unsigned format = 0;
  int image = -1;
  GridColor back_color = kGridDefaultColor;
  GridColor text_color = kGridDefaultColor;
  std::intptr_t data = 0;
  QFont font;
  unsigned margin = 0;
  QString text;
};

// ---- notification codes ----------------------------------------------------

inline constexpr int kGridSelChanging = -100;
inline constexpr int kGridSelChanged = -101;
inline constexpr int kGridBeginEdit = -105;
inline constexpr int kGridEndEdit = -106;
inline constexpr int kGridBeginDrag = -109;
inline constexpr int kGridDoubleClick = -3;
inline constexpr int kGridRightClick = -5;

// ---- behaviour constants ---------------------------------------------------

inline constexpr int kGridResizeCapture = 3;    // px around a divider that arm resizing
inline constexpr int kGridAutoScrollMs = 25;    // scroll timer while dragging outside
inline constexpr int kGridSizingLineWidth = 2;  // the inverted line while resizing
inline constexpr int kGridFallbackMargin = 3;   // without a screen to measure fonts
inline constexpr int kGridFallbackWidth = 40;
inline constexpr int kGridFallbackHeight = 16;

// Start key value for an edit started by the mouse (not a Qt key code).
inline constexpr int kGridEditStartMouse = 0;

}  // namespace tarnwick
