// At twice the scale on a 1920x1200 screen the main window still fits: its
// least size shrinks to the screen's free area and it opens on the screen,
// with the hex view's columns inside the grid. The scale and the screen are
// the process's own, so this is a program of its own.
#include <QApplication>
#include <QFile>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include "main_window_fixture.h"
#include "resources/ids.h"
#include "ui/app/dialog_builder.h"
#include "ui/app/elided_label.h"
#include "ui/grid/grid_ctrl.h"

using namespace tarnwick;
using tarnwick::test::WindowHarness;

namespace {

const QSize kScreen(1920, 1200);
constexpr int kScale = 2;

}  // namespace

class WindowScaledTest : public QObject {
  Q_OBJECT

 private slots:
  void theWindowFitsTheScreenAtTwiceTheScale();
};

void WindowScaledTest::theWindowFitsTheScreenAtTwiceTheScale() {
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  const QSize templateSize = w.size();
  w.FitToScreen();
  w.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w));
  h.Settle();
  QCOMPARE(w.devicePixelRatio(), qreal(kScale));
  QCOMPARE(w.screen()->geometry().size() * kScale, kScreen);
  // The template does not fit the screen at this scale; the window does.
  QVERIFY(templateSize.width() * kScale > kScreen.width() ||
          templateSize.height() * kScale > kScreen.height());
  const QRect frame = w.frameGeometry();
  QVERIFY2(w.screen()->availableGeometry().contains(frame),
           qPrintable(QStringLiteral("%1x%2").arg(frame.width()).arg(frame.height())));
  QVERIFY(frame.width() * kScale <= kScreen.width());
  QVERIFY(frame.height() * kScale <= kScreen.height());
  // The whole layout is smaller: nothing overlaps, the operation panel ends
  // above the status line and the adapter picture above the maker's.
  QVERIFY(w.units().charHeight() < DialogUnits(QApplication::font()).charHeight() ||
          w.units().averageCharWidth() < DialogUnits(QApplication::font()).averageCharWidth());
  QVERIFY(w.Control(ids::kOperationGroup)->geometry().bottom() <
          w.Control(ids::kStatusLine)->geometry().top());
  QVERIFY(w.Control(ids::kAdapterPicture)->geometry().bottom() <=
          w.Control(ids::kWebPicture)->geometry().top());
  QCOMPARE(w.Control(ids::kOperationGroup)->geometry(), w.units().ToPixels(QRect(5, 77, 105, 265)));
  // The labels still hold their captions.
  for (int id : {ids::kTypeLabel, ids::kMakerLabel, ids::kModelLabel, ids::kFileNameLabel,
                 ids::kFileChecksumLabel, ids::kChipChecksumLabel, ids::kFileChecksum}) {
    auto* label = dynamic_cast<ElidedLabel*>(w.Control(id));
    QVERIFY2(
        label != nullptr && !label->Elided(),
        qPrintable(
            QStringLiteral("%1 %2 %3").arg(id).arg(label->text()).arg(label->font().toString())));
  }
  // Nor do the buttons' and the check box's: the style's margins do not
  // shrink with the font.
  for (int id : {ids::kEditModeCheck, ids::kBrowseButton}) {
    auto* button = qobject_cast<QAbstractButton*>(w.Control(id));
    QVERIFY2(button != nullptr && CaptionFits(*button, button->font()),
             qPrintable(QStringLiteral("%1 %2").arg(id).arg(button->text())));
  }
  // Nothing is cut at the right: the notice panel is inside the window and
  // the hex view's columns inside its grid.
  QVERIFY(w.Control(ids::kNoticeGroup)->geometry().right() < w.centralWidget()->width());
  auto* grid = qobject_cast<CGridCtrl*>(w.Control(ids::kHexGrid));
  int columns = 0;
  for (int c = 0; c < grid->GetColumnCount(); ++c) columns += grid->GetColumnWidth(c);
  QVERIFY2(columns <= grid->viewport()->width(),
           qPrintable(QStringLiteral("%1 in %2").arg(columns).arg(grid->viewport()->width())));
}

int main(int argc, char** argv) {
  // The offscreen platform's screen, from a file of its own.
  QTemporaryDir dir;
  QFile config(dir.filePath(QStringLiteral("screen.json")));
  if (!config.open(QIODevice::WriteOnly)) return 1;
  config.write(QStringLiteral(R"({"screens":[{"name":"s","x":0,"y":0,"width":%1,"height":%2,)"
                              R"("logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]})")
                   .arg(kScreen.width())
                   .arg(kScreen.height())
                   .toUtf8());
  config.close();
  qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.fileName().toLocal8Bit());
  qputenv("QT_SCALE_FACTOR", QByteArray::number(kScale));
  QApplication app(argc, argv);
  WindowScaledTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "window_scaled.moc"
