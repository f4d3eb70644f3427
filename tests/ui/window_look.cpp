// How the window looks with the skin on: the chip lists' popups, labels that
// keep one font, and a status line that never loses its text.
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QHelpEvent>
#include <QLabel>
#include <QSet>
#include <QTest>
#include <QToolTip>

#include "main_window_fixture.h"
#include "resources/ids.h"
#include "ui/app/elided_label.h"
#include "ui/app/main_window_layout.h"
#include "ui/app/skin.h"
#include "window_flow_support.h"

using namespace tarnwick;
using namespace tarnwick::test;

class WindowLookTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void chipListPopupsShowTheirHighlightAndStayWithinTheirListHeight();
  void labelsAndChecksumValuesKeepOneFont();
  void aLongStatusLineKeepsItsWholeTextAsTooltip();
};

void WindowLookTest::initTestCase() {
  auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
  QVERIFY(ApplySkin(*app, QStringLiteral(TARNWICK_SOURCE_DIR "/resources/")));
}

namespace {

// Colours in the rectangle, counted coarsely so anti-aliasing does not count.
int ColoursIn(const QImage& image, const QRect& r) {
  QSet<QRgb> seen;
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x) seen.insert(image.pixel(x, y) & 0xF0F0F0);
  return static_cast<int>(seen.size());
}

}  // namespace

void WindowLookTest::chipListPopupsShowTheirHighlightAndStayWithinTheirListHeight() {
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  QVERIFY(ShowAndStart(h));
  h.Settle();
  const DialogUnits units(QApplication::font());
  for (int id : {ids::kTypeList, ids::kMakerList, ids::kModelList}) {
    auto* combo = qobject_cast<QComboBox*>(w.Control(id));
    QVERIFY(combo != nullptr);
    QVERIFY2(combo->count() >= 1, "the list needs an entry to show a highlight");
    combo->showPopup();
    QAbstractItemView* view = combo->view();
    QTRY_VERIFY(view->isVisible());
    QWidget* popup = view->window();
    const int listHeight = units.Y(FindControlSpec(id)->listHeight);
    QVERIFY2(popup->height() <= listHeight,
             qPrintable(QStringLiteral("list %1: popup %2 px, list height %3 px")
                            .arg(id)
                            .arg(popup->height())
                            .arg(listHeight)));
    const QModelIndex current = view->currentIndex();
    QVERIFY(current.isValid());
    const QImage shot = view->viewport()->grab().toImage();
    const QRect item = view->visualRect(current).intersected(shot.rect());
    QVERIFY(!item.isEmpty());
    // A readable highlighted entry has its text drawn over its background.
    QVERIFY2(ColoursIn(shot, item) > 1, qPrintable(combo->currentText()));
    combo->hidePopup();
    h.Settle();
  }
}

void WindowLookTest::labelsAndChecksumValuesKeepOneFont() {
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  w.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w));
  h.Settle();
  const QFont labelFont = w.Control(ids::kTypeLabel)->font();
  // The template's ten-digit checksum fits at that font.
  auto* value = qobject_cast<QLabel*>(w.Control(ids::kFileChecksum));
  QVERIFY(QFontMetrics(labelFont).horizontalAdvance(QStringLiteral("0000000000")) <=
          value->contentsRect().width());
  w.surface().SetControlText(ids::kFileChecksum, "0x12345678901234");
  w.surface().SetControlText(ids::kChipChecksum, "0xFFFFFFFF");
  h.Settle();
  for (int id : {ids::kFileChecksum, ids::kChipChecksum, ids::kFileChecksumLabel,
                 ids::kChipChecksumLabel, ids::kCapacityText, ids::kModelLabel}) {
    QCOMPARE(w.Control(id)->font(), labelFont);
  }
  QCOMPARE(qobject_cast<QLabel*>(w.Control(ids::kFileChecksum))->text(),
           QStringLiteral("0x12345678901234"));
}

void WindowLookTest::aLongStatusLineKeepsItsWholeTextAsTooltip() {
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  w.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w));
  auto* status = dynamic_cast<ElidedLabel*>(w.Control(ids::kStatusLine));
  QVERIFY(status != nullptr);
  const QString whole = QStringLiteral(
      "The 24C256 family needs its page size confirmed before programming; check the model");
  w.surface().SetStatusLine(whole.toStdString(), true);
  h.Settle();
  QCOMPARE(status->text(), whole);
  QVERIFY(status->Elided());
  QHelpEvent tip(QEvent::ToolTip, QPoint(5, 5), status->mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(status, &tip);
  QTRY_VERIFY(QToolTip::isVisible());
  QCOMPARE(QToolTip::text(), whole);

  w.surface().SetStatusLine("ready", false);
  h.Settle();
  QVERIFY(!status->Elided());
}

QTEST_MAIN(WindowLookTest)
#include "window_look.moc"
