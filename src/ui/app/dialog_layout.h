// The main window's controls as laid out in dialog units, and the conversion
// of dialog units to pixels with the dialog font. The window and its tests
// both read this one table.
#pragma once

#include <QFont>
#include <QRect>
#include <span>

namespace tarnwick {

enum class ControlKind {
  EtchedLine,
  GroupBox,
  Label,         // left aligned
  LabelCentred,  // centred static text
  LabelRight,    // right aligned
  StatusLine,    // static, text vertically centred
  ComboBox,      // drop-down list, unsorted
  PushButton,
  DefaultButton,
  CheckBox,
  ProgressBar,
  Grid,
  VScrollBar,
  LogPane,
  FileNameEdit,
  HiddenEdit,
  IconButton,
};

struct ControlSpec {
  int id;  // -1 for the etched line, which has no id
  ControlKind kind;
  const char* templateCaption;
  QRect dialogUnits;  // x, y, width, height
  int listHeight;     // drop-down list height of a combo box, else 0
};

// Every control of the main window, in template order.
std::span<const ControlSpec> MainWindowControls();
const ControlSpec* FindControlSpec(int id);

// Client area of the main window in dialog units.
inline constexpr int kDialogWidthDu = 591;
inline constexpr int kDialogHeightDu = 369;

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
