// Builds a dialog's widgets from its control table, as a dialog template
// would: every control at its rectangle in dialog units, named "ctl<id>",
// with its caption from the form texts. A dialog is a table plus a small
// class that connects the controls the builder made.
#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>
#include <map>
#include <span>

#include "ui/app/dialog_units.h"

namespace tarnwick {

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

struct ControlSpec {
  int id;  // -1 for a control without id (an etched line, a plain static)
  ControlKind kind;
  QRect dialogUnits;            // x, y, width, height
  int ftext;                    // caption's form-text number, or kNoText
  const char* templateCaption;  // shown until the texts apply, and for kNoText
  int listHeight;               // drop-down list height of a combo box, else 0
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
  // their template captions; the title goes on client's window.
  void Build(const DialogTemplate& dialog, QWidget* client);
  // Captions (and the title) from the form texts the rows name.
  void ApplyTexts(const TextTable& texts);
  // Gives every label and value of the dialog one font: the dialog's, made
  // smaller (a few steps at most) until the captions fit their rectangles.
  // Build and ApplyTexts call it; a value set later never changes it.
  void FitLabelFont();

  QWidget* Control(int id) const;
  template <typename W>
  W* Get(int id) const {
    return qobject_cast<W*>(Control(id));
  }
  const std::map<int, QWidget*>& controls() const { return controls_; }
  const DialogUnits& units() const { return units_; }

 private:
  QWidget* Make(const ControlSpec& spec, QWidget* parent) const;

  DialogUnits units_;
  DialogTemplate template_{};
  QWidget* client_ = nullptr;
  std::map<int, QWidget*> controls_;
};

// Sets the caption of a control of any kind: button, static, edit (without
// raising its change signal) or group box. The rectangles come from a
// Windows dialog font, so a label shrinks its font until the text fits.
void SetControlCaption(QWidget* control, const QString& text);

}  // namespace tarnwick
