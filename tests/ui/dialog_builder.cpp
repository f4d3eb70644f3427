// Dialogs built from control tables: rectangles in dialog units become
// pixels, controls are found by "ctl<id>", captions come from the form
// texts or stay the template's.
#include "ui/app/dialog_builder.h"
#include "ui/app/elided_label.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <array>
#include <map>

#include "core/app/text_table.h"

using namespace tarnwick;

namespace {

using K = ControlKind;

constexpr std::array kTable = {
    ControlSpec{-1, K::EtchedLine, QRect(0, 0, 100, 1), kNoText, "", 0},
    ControlSpec{10, K::GroupBox, QRect(5, 2, 105, 72), 42, "组", 0},
    ControlSpec{11, K::Label, QRect(7, 10, 82, 8), 70, "起始", 0},
    ControlSpec{12, K::Edit, QRect(92, 8, 80, 12), kNoText, "0", 0},
    ControlSpec{13, K::ComboBox, QRect(32, 13, 75, 12), kNoText, "", 75},
    ControlSpec{14, K::DefaultButton, QRect(146, 74, 50, 14), 77, "确定", 0},
    ControlSpec{15, K::PushButton, QRect(9, 89, 95, 31), kNoText, "...", 0},
    ControlSpec{16, K::ReadOnlyEdit, QRect(7, 40, 100, 12), kNoText, "", 0},
    ControlSpec{17, K::HiddenEdit, QRect(7, 60, 7, 12), kNoText, "", 0},
    ControlSpec{-1, K::Label, QRect(120, 2, 40, 8), kNoText, "static", 0},
    ControlSpec{18, K::LabelRight, QRect(225, 13, 20, 8), 51, "文件校验和:", 0},
    ControlSpec{19, K::Edit, QRect(120, 40, 100, 12), 72, "", 0},
    ControlSpec{20, K::CheckBox, QRect(120, 60, 50, 10), 5, "编辑模式", 0},
};
constexpr DialogTemplate kDialog{QSize(260, 95), 69, "模板", kTable};

TextTable ShippedTexts() {
  TextTable t;
  t.LoadFtext(TARNWICK_SOURCE_DIR "/resources/lang/en/ftext.ini");
  return t;
}

}  // namespace

class DialogBuilderTest : public QObject {
  Q_OBJECT

 private slots:
  void controlsSitAtTheirRectanglesByName();
  void captionsComeFromTheTextsOrTheTemplate();
  void anchoredControlsFollowTheirEdgesFromTheTemplateSize();
  void aTableWithoutAnchorsKeepsItsSize();
  void aHiddenDialogPlacesItsControlsWhenItShows();
};

void DialogBuilderTest::controlsSitAtTheirRectanglesByName() {
  QDialog dialog;
  DialogBuilder b(DialogUnits(6, 13));  // a typical 8-point dialog font
  b.Build(kDialog, &dialog);

  // Rounded as the dialog manager scales: x * 6 / 4, y * 13 / 8.
  QCOMPARE(dialog.size(), QSize(390, 154));
  QCOMPARE(dialog.findChild<QLabel*>("ctl11")->geometry(), QRect(11, 16, 123, 13));
  QCOMPARE(dialog.findChild<QLineEdit*>("ctl12")->geometry(), QRect(138, 13, 120, 20));
  QCOMPARE(dialog.findChild<QPushButton*>("ctl14")->geometry(), QRect(219, 120, 75, 23));
  // A combo box's rectangle is its dropped list; the field keeps its height.
  auto* combo = dialog.findChild<QComboBox*>("ctl13");
  QCOMPARE(combo->geometry(), QRect(48, 21, 113, combo->sizeHint().height()));
  auto* line = dialog.findChild<QWidget*>("etchedLine");
  QVERIFY(line != nullptr);
  QCOMPARE(line->geometry(), QRect(0, 0, 150, 2));

  // Every control with an id, and only those, is in the map under its name.
  QCOMPARE(b.controls().size(), std::size_t{11});
  for (const auto& [id, w] : b.controls()) {
    QCOMPARE(w->objectName(), QStringLiteral("ctl%1").arg(id));
    QCOMPARE(w->parentWidget(), &dialog);
  }
  QVERIFY(b.Control(999) == nullptr);
  QVERIFY(b.Get<QLineEdit>(13) == nullptr);  // the wrong kind is no control

  auto* ok = b.Get<QPushButton>(14);
  auto* other = b.Get<QPushButton>(15);
  QVERIFY(ok->isDefault());
  QVERIFY(!other->isDefault() && !other->autoDefault() && !ok->autoDefault());
  QVERIFY(!b.Get<QLineEdit>(12)->isReadOnly());
  QVERIFY(b.Get<QLineEdit>(16)->isReadOnly());
  QVERIFY(b.Get<QLineEdit>(17)->isHidden());
  QCOMPARE(b.Get<QLineEdit>(17)->alignment(), Qt::AlignCenter);
  QVERIFY(b.Get<QLabel>(18)->alignment() & Qt::AlignRight);
}

void DialogBuilderTest::captionsComeFromTheTextsOrTheTemplate() {
  const TextTable texts = ShippedTexts();
  QVERIFY(texts.ftext(70) != TextTable::kFtextPlaceholder);
  QDialog dialog;
  DialogBuilder b(DialogUnits(6, 13));
  b.Build(kDialog, &dialog);
  QCOMPARE(dialog.windowTitle(), QStringLiteral("模板"));
  QCOMPARE(b.Get<QLabel>(11)->text(), QStringLiteral("起始"));
  QCOMPARE(b.Get<QLineEdit>(12)->text(), QStringLiteral("0"));

  QSignalSpy edited(b.Get<QLineEdit>(19), &QLineEdit::textChanged);
  b.ApplyTexts(texts);
  const auto F = [&](int n) { return QString::fromStdString(texts.ftext(n)); };
  QCOMPARE(dialog.windowTitle(), F(69));
  QCOMPARE(b.Get<QGroupBox>(10)->title(), F(42));
  QCOMPARE(b.Get<QLabel>(11)->text(), F(70));
  QCOMPARE(b.Get<QPushButton>(14)->text(), F(77));
  QCOMPARE(b.Get<QCheckBox>(20)->text(), F(5));
  QCOMPARE(b.Get<QLineEdit>(19)->text(), F(72));
  QCOMPARE(edited.count(), 0);  // a caption is not the user's typing
  // Rows without a text number keep the template's caption.
  QCOMPARE(b.Get<QPushButton>(15)->text(), QStringLiteral("..."));
  QCOMPARE(b.Get<QLineEdit>(12)->text(), QStringLiteral("0"));

  // A caption wider than its rectangle keeps the label font, like every
  // other label, and its whole text; it is drawn cut.
  auto* wide = dynamic_cast<ElidedLabel*>(b.Get<QLabel>(18));
  QVERIFY(wide != nullptr);
  QVERIFY(wide->Elided());
  const QFont labelFont = DialogBuilder::LabelFont(dialog.font(), b.units(), &texts);
  QCOMPARE(wide->font(), labelFont);
  QCOMPARE(b.Get<QLabel>(11)->font(), labelFont);
  // Ten digits fill the 41 units of a checksum value at that font.
  QVERIFY(QFontMetrics(labelFont).horizontalAdvance(QStringLiteral("0000000000")) <=
          b.units().X(41));
  QCOMPARE(wide->text(), F(51));
}

namespace {

constexpr std::array kAnchoredTable = {
    ControlSpec{30, K::Edit, QRect(7, 7, 100, 12), kNoText, "", 0},
    ControlSpec{31, K::PushButton, QRect(110, 6, 40, 14), kNoText, "", 0, Anchor::Right},
    ControlSpec{32, K::Edit, QRect(7, 25, 100, 12), kNoText, "", 0, Anchor::LeftRight},
    ControlSpec{33, K::ListBox, QRect(7, 43, 100, 50), kNoText, "", 0, Anchor::All},
    ControlSpec{34, K::DefaultButton, QRect(110, 80, 40, 14), kNoText, "", 0, Anchor::RightBottom},
    ControlSpec{35, K::Label, QRect(7, 98, 60, 8), kNoText, "", 0, Anchor::Bottom},
    ControlSpec{36, K::ListBox, QRect(110, 25, 40, 50), kNoText, "", 0, Anchor::TopBottomRight},
    ControlSpec{-1, K::EtchedLine, QRect(0, 110, 157, 1), kNoText, "", 0, Anchor::LeftRightBottom},
};
constexpr DialogTemplate kAnchoredDialog{QSize(157, 115), kNoText, nullptr, kAnchoredTable};

}  // namespace

void DialogBuilderTest::anchoredControlsFollowTheirEdgesFromTheTemplateSize() {
  QDialog dialog;
  DialogBuilder b(DialogUnits(6, 13));
  b.Build(kAnchoredDialog, &dialog);
  QVERIFY(b.resizable());
  const QSize least = dialog.size();
  QCOMPARE(dialog.minimumSize(), least);
  std::map<int, QRect> at;
  for (const auto& [id, w] : b.controls()) at[id] = w->geometry();
  const QRect line = dialog.findChild<QWidget*>("etchedLine")->geometry();
  dialog.show();
  QVERIFY(QTest::qWaitForWindowExposed(&dialog));

  dialog.resize(least + QSize(120, 70));
  const auto now = [&b](int id) { return b.Control(id)->geometry(); };
  QCOMPARE(now(30), at[30]);                            // top left: stays
  QCOMPARE(now(31), at[31].translated(120, 0));         // right: moves
  QCOMPARE(now(32), at[32].adjusted(0, 0, 120, 0));     // left and right: stretches
  QCOMPARE(now(33), at[33].adjusted(0, 0, 120, 70));    // all: stretches both ways
  QCOMPARE(now(34), at[34].translated(120, 70));        // the corner: moves both ways
  QCOMPARE(now(35), at[35].translated(0, 70));          // bottom: moves down
  QCOMPARE(now(36), at[36].adjusted(120, 0, 120, 70));  // taller, at the right
  QCOMPARE(dialog.findChild<QWidget*>("etchedLine")->geometry(), line.adjusted(0, 70, 120, 70));

  dialog.resize(least);
  for (const auto& [id, w] : b.controls()) QCOMPARE(w->geometry(), at[id]);

  // A text that needs more room than the template gives widens the least
  // size, and the anchored controls with it, before the dialog shows.
  b.Grow(QSize(30, 0));
  QCOMPARE(dialog.minimumSize(), least + QSize(30, 0));
  QCOMPARE(dialog.size(), least + QSize(30, 0));
  QCOMPARE(now(33), at[33].adjusted(0, 0, 30, 0));
  QCOMPARE(now(34), at[34].translated(30, 0));
}

void DialogBuilderTest::aTableWithoutAnchorsKeepsItsSize() {
  QDialog dialog;
  DialogBuilder b(DialogUnits(6, 13));
  b.Build(kDialog, &dialog);
  QVERIFY(!b.resizable());
  QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
  const QRect label = b.Control(11)->geometry();
  dialog.resize(dialog.size() + QSize(50, 50));
  QCOMPARE(dialog.size(), dialog.minimumSize());
  QCOMPARE(b.Control(11)->geometry(), label);
}

void DialogBuilderTest::aHiddenDialogPlacesItsControlsWhenItShows() {
  QDialog dialog;
  DialogBuilder b(DialogUnits(6, 13));
  b.Build(kAnchoredDialog, &dialog);
  const QRect list = b.Control(33)->geometry();
  dialog.resize(dialog.size() + QSize(40, 20));
  dialog.show();
  QVERIFY(QTest::qWaitForWindowExposed(&dialog));
  QCOMPARE(b.Control(33)->geometry(), list.adjusted(0, 0, 40, 20));
}

QTEST_MAIN(DialogBuilderTest)
#include "dialog_builder.moc"
