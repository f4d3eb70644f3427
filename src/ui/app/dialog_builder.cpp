#include "ui/app/dialog_builder.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QTreeWidget>
#include <algorithm>
#include <vector>

#include "core/app/text_table.h"
#include "ui/app/anchor_layout.h"
#include "ui/app/elided_label.h"
#include "ui/app/main_window_layout.h"
#include "ui/app/text_progress_bar.h"
#include "ui/grid/grid_ctrl.h"
#include "ui/services/hyperlink.h"

namespace tarnwick {

namespace {

// How far the label font may shrink for the main window's captions to fit,
// in half points.
constexpr int kLabelFontSteps = 6;
// Pixels a caption keeps free in its label: a platform's hinting may draw
// the text a pixel wider than the metrics measured here.
constexpr int kCaptionSlack = 2;

// Width a push button or check box needs around its caption: the button's
// margins and frame, or the check box's indicator and its spacing.
int ButtonChrome(const QAbstractButton& b) {
  const QStyle* st = b.style();
  if (qobject_cast<const QCheckBox*>(&b) != nullptr || qobject_cast<const QRadioButton*>(&b)) {
    return st->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, &b) +
           st->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, &b) + 2;
  }
  return 2 * (st->pixelMetric(QStyle::PM_ButtonMargin, nullptr, &b) +
              st->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &b));
}

}  // namespace

bool CaptionFits(const QAbstractButton& b, const QFont& font) {
  QString text = b.text();
  text.remove(QLatin1Char('&'));
  return QFontMetrics(font).horizontalAdvance(text) + ButtonChrome(b) <= b.width();
}

namespace {

bool IsLabel(ControlKind kind) {
  return kind == ControlKind::Label || kind == ControlKind::LabelCentred ||
         kind == ControlKind::LabelRight;
}

// Every label of every dialog is drawn in the one label font, its text
// centred on the height of its rectangle, so it lines up with the box beside
// it; only the horizontal alignment differs by kind. A text too wide for its
// label is drawn cut and shown whole as the tooltip.
QLabel* MakeLabel(ControlKind kind, const QString& caption, const QFont& font, QWidget* parent) {
  auto* label = new ElidedLabel(caption, parent);
  label->setFont(font);
  label->setTextFormat(Qt::PlainText);
  Qt::Alignment a = Qt::AlignLeft;
  if (kind == ControlKind::LabelCentred) a = Qt::AlignHCenter;
  if (kind == ControlKind::LabelRight) a = Qt::AlignRight;
  label->setAlignment(a | Qt::AlignVCenter);
  return label;
}

QLineEdit* MakeEdit(ControlKind kind, const QString& caption, QWidget* parent) {
  auto* edit = new QLineEdit(caption, parent);
  if (kind == ControlKind::ReadOnlyEdit) {
    edit->setReadOnly(true);
    edit->setAcceptDrops(false);  // a dropped file goes to the window
  }
  if (kind == ControlKind::HiddenEdit) {
    edit->setAlignment(Qt::AlignCenter);
    edit->setFrame(false);
    edit->hide();
  }
  return edit;
}

}  // namespace

void DialogBuilder::Build(const DialogTemplate& dialog, QWidget* client) {
  template_ = dialog;
  client_ = client;
  least_ = QSize(units_.X(dialog.sizeDu.width()), units_.Y(dialog.sizeDu.height()));
  if (dialog.templateTitle != nullptr) {
    client->window()->setWindowTitle(QString::fromUtf8(dialog.templateTitle));
  }
  const bool anchored =
      std::any_of(dialog.controls.begin(), dialog.controls.end(),
                  [](const ControlSpec& c) { return c.anchor != Anchor::TopLeft; });
  if (anchored) {
    client->setMinimumSize(least_);
    client->resize(least_);
    anchors_ = new AnchorLayout(client, least_);
  } else {
    client->setFixedSize(least_);
  }
  for (const ControlSpec& spec : dialog.controls) {
    QWidget* w = Make(spec, client);
    built_.push_back(w);
    if (anchors_ != nullptr) anchors_->Add(w, spec.anchor);
    if (spec.id >= 0) {
      w->setObjectName(QStringLiteral("ctl%1").arg(spec.id));
      controls_[spec.id] = w;
    } else if (spec.kind == ControlKind::EtchedLine) {
      w->setObjectName(QStringLiteral("etchedLine"));
    }
  }
}

void DialogBuilder::Rescale(const DialogUnits& units) {
  if (client_ == nullptr) return;
  units_ = units;
  least_ = QSize(units_.X(template_.sizeDu.width()), units_.Y(template_.sizeDu.height()));
  if (anchors_ != nullptr) {
    client_->setMinimumSize(least_);
  } else {
    client_->setFixedSize(least_);
  }
  const QFont labelFont = LabelFont(client_->font(), units_, texts_);
  for (std::size_t i = 0; i < built_.size(); ++i) {
    const ControlSpec& spec = template_.controls[i];
    QWidget* w = built_[i];
    Place(spec, w);
    if (IsLabel(spec.kind)) w->setFont(labelFont);
    if (spec.kind == ControlKind::StatusLine) w->setFont(client_->font());
    // The style's margins and indicators keep their size when the font
    // shrinks, so a caption that no longer fits its smaller rectangle gets
    // a smaller font of its own, as the labels do.
    if (auto* b = qobject_cast<QAbstractButton*>(w); b != nullptr && !b->text().isEmpty()) {
      QFont font = client_->font();
      for (int step = 0; step < kLabelFontSteps && !CaptionFits(*b, font); ++step) {
        if (font.pixelSize() > 0) {
          font.setPixelSize(font.pixelSize() - 1);
        } else {
          font.setPointSizeF(font.pointSizeF() - 0.5);
        }
      }
      b->setFont(font);
    }
  }
  if (anchors_ != nullptr) anchors_->Rebase(least_);
}

void DialogBuilder::Follow(QWidget* control, Anchor anchor) {
  if (anchors_ != nullptr) anchors_->Add(control, anchor);
}

void DialogBuilder::Grow(QSize extra) {
  if (client_ == nullptr) return;
  least_ += extra;
  const QSize now = client_->size() + extra;
  if (anchors_ == nullptr) {
    // Without anchors there is nothing to follow the edges; the dialog stays fixed.
    client_->setFixedSize(least_);
    return;
  }
  client_->setMinimumSize(least_);
  client_->resize(now);
  anchors_->Apply();  // at once: a hidden dialog hears of its size only when shown
}

void DialogBuilder::ApplyTexts(const TextTable& texts) {
  if (client_ == nullptr) return;
  if (template_.titleFtext != kNoText) {
    client_->window()->setWindowTitle(QString::fromStdString(texts.ftext(template_.titleFtext)));
  }
  for (const ControlSpec& spec : template_.controls) {
    if (spec.id < 0 || spec.ftext == kNoText) continue;
    SetControlCaption(Control(spec.id), QString::fromStdString(texts.ftext(spec.ftext)));
  }
  texts_ = &texts;
  // The captions in this language decide the one label font.
  const QFont font = LabelFont(client_->font(), units_, &texts);
  for (const ControlSpec& spec : template_.controls) {
    if (spec.id >= 0 && IsLabel(spec.kind)) Control(spec.id)->setFont(font);
  }
}

QFont DialogBuilder::LabelFont(const QFont& dialogFont, const DialogUnits& units,
                               const TextTable* texts) {
  // The main window's labels are the program's tightest: short rectangles
  // for the chip, checksum and file captions, and ten-digit values.
  struct Caption {
    QString text;
    int room;
  };
  std::vector<Caption> captions;
  for (const ControlSpec& spec : MainWindowControls()) {
    if (!IsLabel(spec.kind)) continue;
    const bool fromTexts = texts != nullptr && spec.ftext != kNoText;
    captions.push_back({fromTexts ? QString::fromStdString(texts->ftext(spec.ftext))
                                  : QString::fromUtf8(spec.templateCaption),
                        units.X(spec.dialogUnits.width())});
  }
  const auto fits = [&captions](const QFont& font) {
    const QFontMetrics m(font);
    return std::all_of(captions.begin(), captions.end(), [&m](const Caption& c) {
      return m.horizontalAdvance(c.text) + kCaptionSlack <= c.room;
    });
  };
  QFont font = dialogFont;
  for (int step = 0; step < kLabelFontSteps && !fits(font); ++step) {
    if (font.pixelSize() > 0) {
      font.setPixelSize(font.pixelSize() - 1);
    } else {
      font.setPointSizeF(font.pointSizeF() - 0.5);
    }
  }
  return font;
}

QWidget* DialogBuilder::Control(int id) const {
  const auto it = controls_.find(id);
  return it == controls_.end() ? nullptr : it->second;
}

QWidget* DialogBuilder::Make(const ControlSpec& spec, QWidget* parent) const {
  const QString caption = QString::fromUtf8(spec.templateCaption);
  const QRect r = units_.ToPixels(spec.dialogUnits);
  QWidget* w = nullptr;
  switch (spec.kind) {
    case ControlKind::EtchedLine: {
      auto* line = new QFrame(parent);
      line->setFrameShape(QFrame::HLine);
      line->setFrameShadow(QFrame::Sunken);
      line->setGeometry(r.x(), r.y(), r.width(), std::max(2, r.height()));
      return line;
    }
    case ControlKind::GroupBox:
      w = new QGroupBox(caption, parent);
      break;
    case ControlKind::Label:
    case ControlKind::LabelCentred:
    case ControlKind::LabelRight:
    case ControlKind::StatusLine:
      // The status line is no label: it keeps the window's font.
      w = MakeLabel(spec.kind, caption,
                    spec.kind == ControlKind::StatusLine
                        ? parent->font()
                        : LabelFont(parent->font(), units_, nullptr),
                    parent);
      break;
    case ControlKind::ComboBox: {
      auto* combo = new QComboBox(parent);
      combo->setInsertPolicy(QComboBox::NoInsert);
      const int itemHeight = combo->fontMetrics().height() + 4;
      combo->setMaxVisibleItems(std::max(1, units_.Y(spec.listHeight) / itemHeight - 1));
      // The field keeps the font's natural height; the template's height is
      // the dropped-down list's.
      combo->setGeometry(r.x(), r.y(), r.width(), combo->sizeHint().height());
      return combo;
    }
    case ControlKind::PushButton:
    case ControlKind::DefaultButton: {
      auto* button = new QPushButton(caption, parent);
      // Enter presses the default button only, never the one with the focus.
      button->setAutoDefault(false);
      button->setDefault(spec.kind == ControlKind::DefaultButton);
      w = button;
      break;
    }
    case ControlKind::CheckBox:
      w = new QCheckBox(caption, parent);
      break;
    case ControlKind::RadioButton:
      w = new QRadioButton(caption, parent);
      break;
    case ControlKind::ProgressBar:
      w = new TextProgressBar(parent);
      break;
    case ControlKind::Grid:
      w = new CGridCtrl(0, 0, 0, 0, parent);
      break;
    case ControlKind::VScrollBar:
      w = new QScrollBar(Qt::Vertical, parent);
      break;
    case ControlKind::TextPane: {
      auto* pane = new QPlainTextEdit(parent);
      pane->setReadOnly(true);
      pane->setAcceptDrops(false);
      pane->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
      w = pane;
      break;
    }
    case ControlKind::Edit:
    case ControlKind::ReadOnlyEdit:
    case ControlKind::HiddenEdit:
      w = MakeEdit(spec.kind, caption, parent);
      break;
    case ControlKind::Link:
      w = new HyperLink(parent);
      static_cast<HyperLink*>(w)->setText(caption);
      break;
    case ControlKind::ListBox: {
      auto* list = new QListWidget(parent);
      list->setSelectionMode(QAbstractItemView::ExtendedSelection);
      list->setSortingEnabled(false);
      w = list;
      break;
    }
    case ControlKind::ReportList: {
      auto* list = new QTreeWidget(parent);
      list->setRootIsDecorated(false);
      list->setItemsExpandable(false);
      list->setSelectionBehavior(QAbstractItemView::SelectRows);
      list->setSelectionMode(QAbstractItemView::SingleSelection);
      w = list;
      break;
    }
    case ControlKind::IconButton: {
      auto* button = new QPushButton(parent);
      button->setAutoDefault(false);
      button->setFlat(true);
      button->setIconSize(r.size() - QSize(6, 6));
      w = button;
      break;
    }
  }
  w->setGeometry(r);
  return w;
}

void DialogBuilder::Place(const ControlSpec& spec, QWidget* w) const {
  const QRect r = units_.ToPixels(spec.dialogUnits);
  switch (spec.kind) {
    case ControlKind::EtchedLine:
      w->setGeometry(r.x(), r.y(), r.width(), std::max(2, r.height()));
      return;
    case ControlKind::ComboBox:
      w->setGeometry(r.x(), r.y(), r.width(), w->sizeHint().height());
      return;
    case ControlKind::IconButton:
      static_cast<QPushButton*>(w)->setIconSize(r.size() - QSize(6, 6));
      break;
    default:
      break;
  }
  w->setGeometry(r);
}

void SetControlCaption(QWidget* control, const QString& text) {
  if (auto* b = qobject_cast<QAbstractButton*>(control)) {
    b->setText(text);
  } else if (auto* l = qobject_cast<QLabel*>(control)) {
    l->setText(text);
  } else if (auto* e = qobject_cast<QLineEdit*>(control)) {
    const QSignalBlocker block(e);
    e->setText(text);
    e->setCursorPosition(0);
  } else if (auto* g = qobject_cast<QGroupBox*>(control)) {
    g->setTitle(text);
  }
}

}  // namespace tarnwick
