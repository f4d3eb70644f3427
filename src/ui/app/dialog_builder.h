// Builds a dialog's widgets from its control table, as a dialog template
// would: every control at its rectangle in dialog units, named "ctl<id>",
// with its caption from the form texts. A dialog is a table plus a small
// class that connects the controls the builder made.
#pragma once

#include <QAbstractButton>
#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>
#include <map>
#include <span>
#include <vector>

#include "ui/app/dialog_units.h"

namespace tarnwick {

class AnchorLayout;
class TextTable;

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
  ProgressBar,  // TextProgressBar
  Grid,         // an empty CGridCtrl; the dialog gives it its shape
  VScrollBar,
  TextPane,      // multi-line, read-only, vertical scroll bar
  Edit,          // single line
  ReadOnlyEdit,  // single line, read-only
  HiddenEdit,    // centred, frameless, starts hidden (an in-place editor)
  IconButton,    // flat button showing an icon
  RadioButton,   // the radio buttons of one dialog form one group
  ListBox,       // a list of lines in the order added, several may be selected
  Link,          // a HyperLink: its caption is the text, Attach() once the url is set
  ReportList,    // a list control in report view (QTreeWidget without branches)
};

// A caption that comes from the template alone.
inline constexpr int kNoText = -1;

// The edges of the dialog a control follows when the dialog is resized. A
// control that follows both edges of a direction stretches with the dialog;
// one that follows only the right (or the bottom) edge moves with it, and one
// that follows neither keeps its place. The template's place and size is the
// dialog's least size, so a control never gets smaller than its rectangle.
enum class Anchor : unsigned char {
  TopLeft = 0,          // fixed where the template puts it
  Right = 1,            // moves with the right edge
  Bottom = 2,           // moves with the bottom edge
  RightBottom = 3,      // moves with the bottom right corner
  LeftRight = 4,        // stretches in width
  TopBottom = 8,        // stretches in height
  All = 12,             // stretches in width and height
  LeftRightBottom = 6,  // stretches in width, moves with the bottom edge
  TopBottomRight = 9,   // stretches in height, moves with the right edge
};

struct ControlSpec {
  int id;  // -1 for a control without id (an etched line, a plain static)
  ControlKind kind;
  QRect dialogUnits;            // x, y, width, height
  int ftext;                    // caption's form-text number, or kNoText
  const char* templateCaption;  // shown until the texts apply, and for kNoText
  int listHeight;               // drop-down list height of a combo box, else 0
  Anchor anchor = Anchor::TopLeft;
};

struct DialogTemplate {
  QSize sizeDu;  // client area
  int titleFtext;
  const char* templateTitle;  // nullptr: the builder leaves the title alone
  std::span<const ControlSpec> controls;
};

class DialogBuilder {
 public:
  explicit DialogBuilder(const DialogUnits& units) : units_(units) {}

  // Sizes `client` to the template and creates its controls on it with
  // their template captions; the title goes on client's window. A dialog
  // whose table anchors a control can be resized: the template's size is
  // then its least size and the anchored controls follow its edges. One
  // without anchors keeps the template's size.
  void Build(const DialogTemplate& dialog, QWidget* client);
  // Captions (and the title) from the form texts the rows name; the labels
  // take the label font of that language.
  void ApplyTexts(const TextTable& texts);
  // The dialog needs `extra` more room than the template gives (a text
  // wider than its list): the least size grows by it, and the anchored
  // controls with it.
  void Grow(QSize extra);
  // The template again in other units (the same dialog in a smaller font):
  // the table's controls go to their rectangles in them, the labels take the
  // label font of the client's font, and the least size follows. Controls
  // the dialog made itself, and moves made since, are not redone.
  void Rescale(const DialogUnits& units);
  // A control the dialog made itself, outside the table, follows the edges
  // by `anchor` from its present rectangle.
  void Follow(QWidget* control, Anchor anchor);
  // The least size the dialog may be resized to, in pixels.
  QSize leastSize() const { return least_; }
  bool resizable() const { return anchors_ != nullptr; }

  QWidget* Control(int id) const;
  template <typename W>
  W* Get(int id) const {
    return qobject_cast<W*>(Control(id));
  }
  const std::map<int, QWidget*>& controls() const { return controls_; }

  // The font of every label and value of every dialog: the dialog font,
  // made smaller (a few steps at most) until the main window's labels hold
  // their captions from `texts` (the template's without texts). It depends on
  // the font and the language alone, so every dialog gets the same.
  static QFont LabelFont(const QFont& dialogFont, const DialogUnits& units, const TextTable* texts);
  const DialogUnits& units() const { return units_; }

 private:
  QWidget* Make(const ControlSpec& spec, QWidget* parent) const;
  void Place(const ControlSpec& spec, QWidget* w) const;

  DialogUnits units_;
  DialogTemplate template_{};
  QWidget* client_ = nullptr;
  QSize least_;
  AnchorLayout* anchors_ = nullptr;   // a child of the client; none when fixed
  const TextTable* texts_ = nullptr;  // the texts last applied
  std::map<int, QWidget*> controls_;
  std::vector<QWidget*> built_;  // one per row of the table, in its order
};

// Sets the caption of a control of any kind: button, static, edit (without
// raising its change signal) or group box. A label keeps the label font; a
// caption wider than its label is drawn cut and shown whole as its tooltip.
void SetControlCaption(QWidget* control, const QString& text);

// True when a push button's or check box's caption, drawn in `font`, fits
// its width beside the style's margins or indicator.
bool CaptionFits(const QAbstractButton& button, const QFont& font);

}  // namespace tarnwick
