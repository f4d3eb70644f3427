// The main window as the user meets it: controls, menus, keys, status line
// and log pane.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <map>
#include <set>
#include <thread>

#include "core/app/text_table.h"
#include "core/device/worker.h"
#include "core/session/session.h"
#include "main_window_fixture.h"
#include "resources/ids.h"
#include "ui/app/main_menu.h"
#include "ui/app/text_progress_bar.h"
#include "ui/grid/grid_cell.h"
#include "ui/grid/grid_ctrl.h"
#include "version.h"

using namespace tarnwick;
using tarnwick::test::BoxWatcher;
using tarnwick::test::WindowHarness;

namespace {

QString CaptionOf(QWidget* w) {
  if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
  if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
  if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
  if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
  return {};
}

bool IsRed(const QColor& c) { return c.red() > 200 && c.green() < 60 && c.blue() < 60; }

// The most common colour of an image: the background behind the text.
QColor DominantColour(const QImage& img) {
  std::map<QRgb, int> counts;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) ++counts[img.pixel(x, y)];
  return QColor(std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) {
                  return a.second < b.second;
                })->first);
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void controlsSitAtTheirRectanglesWithTheirCaptions();
  void menusCarryIdsTextsAndStartStates();
  void settingsMarksAfterStartAndScreenshot();
  void missingDataFilesStillGiveARunningWindow();
  void damagedCatalogueWarnsOverTheEmptyWindow();
  void functionKeysFollowTheirButtons();
  void enterAndEscapeAreConsumed();
  void statusLineTurnsWhiteOnRedForErrorsFromAnyThread();
  void paneRefreshesARepeatedLine();
  void checkableMenuItemsLeaveTheirMarkToTheCore();
  void listFillingDoesNotReportAChange();
};

void MainWindowTest::controlsSitAtTheirRectanglesWithTheirCaptions() {
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  const TextTable& t = w.session().texts();
  const DialogUnits& du = w.units();
  QVERIFY(du.averageCharWidth() > 0 && du.charHeight() > 0);

  for (const ControlSpec& spec : MainWindowControls()) {
    const QString name =
        spec.id < 0 ? QStringLiteral("etchedLine") : QStringLiteral("ctl%1").arg(spec.id);
    auto* c = w.findChild<QWidget*>(name);
    QVERIFY2(c != nullptr, qPrintable(name));
    const QRect want = du.ToPixels(spec.dialogUnits);
    QCOMPARE(c->x(), want.x());
    QCOMPARE(c->y(), want.y());
    QCOMPARE(c->width(), want.width());
    if (spec.kind == ControlKind::ComboBox) {
      QCOMPARE(c->height(), c->sizeHint().height());  // the field; the list drops below
    } else if (spec.kind != ControlKind::EtchedLine) {
      QCOMPARE(c->height(), want.height());
    }
  }
  QCOMPARE(w.centralWidget()->size(), QSize(du.X(kDialogWidthDu), du.Y(kDialogHeightDu)));

  // Captions from the form texts.
  const std::pair<int, int> captions[] = {
      {1162, 43}, {1163, 44}, {1164, 45}, {1165, 46}, {1166, 50}, {1167, 51},
      {1168, 52}, {1169, 42}, {1170, 47}, {1171, 48}, {1172, 49}, {1019, 53},
      {1020, 54}, {1021, 55}, {1023, 56}, {1022, 57}, {1035, 58}, {1024, 59},
      {1026, 60}, {1004, 73}, {1006, 5},  {1183, 136}};
  for (auto [id, ftext] : captions) {
    QCOMPARE(CaptionOf(w.Control(id)), QString::fromStdString(t.ftext(ftext)));
    QVERIFY(!t.ftext(ftext).empty());
  }
  QCOMPARE(w.windowTitle(), QString::fromUtf8(kProgramTitle));
  // The English tables are used, not the placeholders.
  QVERIFY(t.ftext(53).find("error") == std::string::npos);

  auto* file = qobject_cast<QLineEdit*>(w.Control(ids::kFileNameBox));
  QVERIFY(file->isReadOnly());
  QCOMPARE(file->text(), QString::fromStdString(t.itext(0)));
  auto* pane = qobject_cast<QPlainTextEdit*>(w.Control(ids::kLogPane));
  QVERIFY(pane->isReadOnly());

  w.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w));
  QVERIFY(w.Control(ids::kQeCheck)->isHidden());
  QVERIFY(w.Control(ids::kQeConfigButton)->isHidden());
  QVERIFY(w.Control(ids::kProgressBar)->isHidden());
  QVERIFY(w.Control(ids::kHexInput)->isHidden());
  QVERIFY(w.Control(ids::kStatusLine)->isVisible());
  QVERIFY(qobject_cast<QPushButton*>(w.Control(ids::kBrowseButton))->isDefault());
  QCOMPARE(w.Control(ids::kWebPicture)->focusPolicy(), Qt::NoFocus);
  for (int id : {ids::kTypeList, ids::kMakerList, ids::kModelList}) {
    QVERIFY(qobject_cast<QComboBox*>(w.Control(id)) != nullptr);
  }

  // The progress bar starts as the start-up leaves it: 0..100, green, empty.
  auto* bar = qobject_cast<TextProgressBar*>(w.Control(ids::kProgressBar));
  QCOMPARE(bar->lower(), 0);
  QCOMPARE(bar->upper(), 100);
  QCOMPARE(bar->barColour(), QColor(0, 255, 0));
}

void MainWindowTest::menusCarryIdsTextsAndStartStates() {
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  const TextTable& t = w.session().texts();
  const QList<QAction*> titles = w.menuBar()->actions();
  QCOMPARE(titles.size(), 7);

  const std::set<int> greyed = {32806, 32784, 32783, 32807, 32803, 32810, 32801, 32804};
  const std::set<int> checkable = {32809, 32811, 32821, 32822, 32823, 32783};
  // Commands no feature handles yet are grey too (see window_commands).
  const std::vector<int> notYet = w.UnhandledCommands();
  const std::set<int> unhandled(notYet.begin(), notYet.end());
  int items = 0;
  for (size_t m = 0; m < MainMenuSpec().size(); ++m) {
    const MenuSpec& spec = MainMenuSpec()[m];
    QCOMPARE(titles[static_cast<int>(m)]->text(), QString::fromStdString(t.ftext(spec.ftext)));
    for (const MenuItemSpec& item : spec.items) {
      if (item.id == 0) continue;
      QAction* a = w.menu().Action(item.id);
      QVERIFY2(a != nullptr, qPrintable(QString::number(item.id)));
      QCOMPARE(a->data().toInt(), item.id);
      QCOMPARE(a->text(), QString::fromStdString(t.ftext(item.ftext)));
      QCOMPARE(a->isEnabled(), !greyed.contains(item.id) && !unhandled.contains(item.id));
      QCOMPARE(a->isCheckable(), checkable.contains(item.id));
      ++items;
    }
  }
  // The batch-steps submenu at position 2 of the settings menu.
  QMenu* settings = w.menu().Menu(5);
  QCOMPARE(settings->actions().at(2)->menu(), w.menu().BatchSteps());
  QCOMPARE(w.menu().BatchSteps()->title(), QString::fromStdString(t.ftext(32)));
  for (const MenuItemSpec& step : BatchStepsMenuSpec()) {
    QAction* a = w.menu().Action(step.id);
    QVERIFY(w.menu().BatchSteps()->actions().contains(a));
    QCOMPARE(a->text(), QString::fromStdString(t.ftext(step.ftext)));
    QVERIFY(a->isCheckable() && a->isEnabled());
    ++items;
  }
  // Menu pictures: every command of the picture table has one.
  QCOMPARE(items, 30 + 3);
  for (int id : {1025, 32788, 1024, 32803, 32804, 32801, 1022,  1035,  1023,  1021,
                 1020, 1019,  1,    32784, 32806, 1004,  32807, 32808, 32810, 32783}) {
    QVERIFY2(!w.menu().Action(id)->icon().isNull(), qPrintable(QString::number(id)));
  }
  // The window surface sees the same start states.
  for (int id : greyed) QVERIFY(!w.surface().IsCommandEnabled(id));
  QVERIFY(w.surface().IsCommandEnabled(ids::kDetectButton));
}

void MainWindowTest::settingsMarksAfterStartAndScreenshot() {
  BoxWatcher boxes;
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  w.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w));
  w.Start();
  h.Settle(300);
  // Without a settings file every setting starts on.
  for (int id : {32809, 32811, 32821, 32822, 32823}) {
    QVERIFY2(w.menu().Action(id)->isChecked(), qPrintable(QString::number(id)));
    QVERIFY(w.surface().IsMenuChecked(id));
  }
  QVERIFY(QFile::exists(h.base() + "hven2.dll"));
  QVERIFY(QFile::exists(h.base() + "log.txt"));
  if (h.hasCatalogue()) {
    QVERIFY(qobject_cast<QComboBox*>(w.Control(ids::kTypeList))->count() > 0);
  }
  const QString shot = QStringLiteral(TARNWICK_BUILD_DIR "/main_window.png");
  QVERIFY(w.grab().save(shot));
}

void MainWindowTest::missingDataFilesStillGiveARunningWindow() {
  BoxWatcher boxes;
  WindowHarness h({.texts = false, .catalogue = false, .textDir = {}});
  ProgrammerDlg& w = h.window();
  const TextTable& t = w.session().texts();
  QCOMPARE(CaptionOf(w.Control(ids::kAutoProgramButton)), QString::fromStdString(t.ftext(53)));
  QVERIFY(t.ftext(53).find("ftext.ini") != std::string::npos);
  w.show();
  w.Start();
  QTRY_VERIFY(!boxes.texts().empty());
  // The catalogue warning: itext 1, caption itext 2.
  QCOMPARE(boxes.texts().front(), QString::fromStdString(t.itext(1)));
  QCOMPARE(boxes.captions().front(), QString::fromStdString(t.itext(2)));
  h.Settle(100);
  QVERIFY(w.isVisible());
  QCOMPARE(qobject_cast<QComboBox*>(w.Control(ids::kTypeList))->count(), 0);
}

void MainWindowTest::damagedCatalogueWarnsOverTheEmptyWindow() {
  BoxWatcher boxes;
  WindowHarness h({.texts = true, .catalogue = false, .textDir = {}});
  QFile dat(h.base() + "database.dat");
  QVERIFY(dat.open(QIODevice::WriteOnly));
  dat.write(QByteArray(4096, '\0'));
  dat.close();
  ProgrammerDlg& w = h.window();
  auto* grid = qobject_cast<CGridCtrl*>(w.Control(ids::kHexGrid));
  QStringList addresses;
  bool adapterShown = true;
  boxes.onShown = [&] {
    for (int row = 1; row < grid->GetRowCount(); ++row)
      addresses << grid->GetCell(row, 0)->GetText();
    adapterShown = w.Control(ids::kAdapterPicture)->isEnabled();
  };
  w.show();
  w.Start();
  QTRY_VERIFY(!boxes.texts().empty());
  // Behind the warning: the empty page counts in steps of 16 down to the
  // bottom of the view, no adapter.
  QVERIFY(addresses.size() >= 20);
  for (int i = 0; i < addresses.size(); ++i) {
    QCOMPARE(addresses.at(i), QStringLiteral("%1").arg(i * 16, 8, 16, QLatin1Char('0')).toUpper());
  }
  QVERIFY(!adapterShown);
  QCOMPARE(qobject_cast<QComboBox*>(w.Control(ids::kTypeList))->count(), 0);
  // The start-up detection names no chip that was never selected.
  QTRY_VERIFY_WITH_TIMEOUT(w.session().worker().AtRest(), 30000);
  h.Settle(50);
  const QString pane = qobject_cast<QPlainTextEdit*>(w.Control(ids::kLogPane))->toPlainText();
  QVERIFY2(!pane.contains(QStringLiteral(" : : ")), qPrintable(pane));
}

void MainWindowTest::functionKeysFollowTheirButtons() {
  BoxWatcher boxes;  // batch mode without automatic identification says so
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  w.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w));
  QSignalSpy sent(&w, &ProgrammerDlg::commandSent);
  QWidget* focus = w.Control(ids::kLogPane);
  focus->setFocus();

  const std::pair<Qt::Key, int> keys[] = {
      {Qt::Key_F3, 1035}, {Qt::Key_F4, 1020}, {Qt::Key_F5, 1024}, {Qt::Key_F6, 1021},
      {Qt::Key_F7, 1022}, {Qt::Key_F8, 1023}, {Qt::Key_F9, 1019}};
  // Disabled buttons: the key is eaten and nothing is sent.
  for (auto [key, id] : keys) w.surface().SetCommandEnabled(id, false);
  w.surface().SetCommandEnabled(ids::kBatchButton, false);
  w.surface().SetCommandEnabled(ids::kBrowseButton, false);
  h.Settle();
  for (auto [key, id] : keys) QTest::keyClick(focus, key);
  QTest::keyClick(focus, Qt::Key_O, Qt::ControlModifier);
  QCOMPARE(sent.count(), 0);

  // F2 works whatever its button's state.
  QTest::keyClick(focus, Qt::Key_F2);
  QCOMPARE(sent.count(), 1);
  QCOMPARE(sent.takeFirst().at(0).toInt(), ids::kBatchButton);

  // With the buttons enabled each key sends its own command. Only the
  // routing is checked here: without Start() no worker runs the jobs.
  for (auto [key, id] : keys) w.surface().SetCommandEnabled(id, true);
  h.Settle();
  for (auto [key, id] : keys) {
    QTest::keyClick(focus, key);
    QCOMPARE(sent.count(), 1);
    QCOMPARE(sent.takeFirst().at(0).toInt(), id);
  }
  // Held modifiers keep the keys away from the operations; Alt+F4 closes
  // the window (no job runs, so no question is asked).
  for (auto [key, id] : keys) {
    QTest::keyClick(focus, key, Qt::ControlModifier);
    QTest::keyClick(focus, key, Qt::ShiftModifier);
  }
  QCOMPARE(sent.count(), 0);
  QTest::keyClick(focus, Qt::Key_F10);
  QVERIFY(w.menuBar()->activeAction() != nullptr);
  QTest::keyClick(w.menuBar(), Qt::Key_Escape);
  QTest::keyClick(focus, Qt::Key_F4, Qt::AltModifier);
  QCOMPARE(sent.count(), 0);
  QTRY_VERIFY(!w.isVisible());
}

void MainWindowTest::enterAndEscapeAreConsumed() {
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  w.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w));
  auto* browse = qobject_cast<QPushButton*>(w.Control(ids::kBrowseButton));
  QSignalSpy clicked(browse, &QPushButton::clicked);
  QSignalSpy commit(&w, &ProgrammerDlg::commitCellEditRequested);
  QSignalSpy sent(&w, &ProgrammerDlg::commandSent);

  for (int id : {ids::kLogPane, ids::kEraseButton, ids::kBrowseButton}) {
    QWidget* focus = w.Control(id);
    focus->setFocus();
    QTest::keyClick(focus, Qt::Key_Return);
    QTest::keyClick(focus, Qt::Key_Enter);
    QTest::keyClick(focus, Qt::Key_Escape);
  }
  QCOMPARE(clicked.count(), 0);
  QCOMPARE(sent.count(), 0);
  QCOMPARE(commit.count(), 6);
  QTest::qWait(50);
  QVERIFY(w.isVisible());
}

void MainWindowTest::statusLineTurnsWhiteOnRedForErrorsFromAnyThread() {
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  w.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w));
  auto* status = qobject_cast<QLabel*>(w.Control(ids::kStatusLine));

  std::thread worker([&w] { w.surface().SetStatusLine("chip not found", true); });
  worker.join();
  h.Settle();
  QCOMPARE(status->text(), QStringLiteral("chip not found"));
  QVERIFY(w.statusError());
  QImage img = status->grab().toImage();
  QVERIFY(IsRed(DominantColour(img)));
  // The text is drawn in white.
  bool white = false;
  for (int y = 0; y < img.height() && !white; ++y)
    for (int x = 0; x < img.width() && !white; ++x)
      white = QColor(img.pixel(x, y)).lightness() > 240;
  QVERIFY(white);

  w.surface().SetStatusLine("ready", false);
  h.Settle();
  QVERIFY(!w.statusError());
  QVERIFY(!IsRed(DominantColour(status->grab().toImage())));
  QCOMPARE(w.surface().ControlText(ids::kStatusLine), std::string("ready"));
}

void MainWindowTest::paneRefreshesARepeatedLine() {
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  auto* pane = qobject_cast<QPlainTextEdit*>(w.Control(ids::kLogPane));
  WindowServices& services = w.session().services();
  services.AppendLog("first");
  services.AppendLog("same");
  services.AppendLog("same");
  h.Settle();
  QStringList lines = pane->toPlainText().split('\n');
  QCOMPARE(lines.size(), 2);
  QVERIFY(lines[0].endsWith("first"));
  QVERIFY(lines[1].endsWith("same"));
  services.AppendLog("other");
  // From the worker too.
  std::thread worker([&services] { services.AppendLog("other"); });
  worker.join();
  h.Settle();
  lines = pane->toPlainText().split('\n');
  QCOMPARE(lines.size(), 3);
  QVERIFY(lines[2].endsWith("other"));
  // The pane's text colour.
  QTextCursor c(pane->document()->lastBlock());
  c.movePosition(QTextCursor::EndOfBlock);
  QCOMPARE(c.charFormat().foreground().color(), QColor(0, 83, 242));

  services.ClearLogPane();
  h.Settle();
  QVERIFY(pane->toPlainText().isEmpty());
}

void MainWindowTest::checkableMenuItemsLeaveTheirMarkToTheCore() {
  BoxWatcher boxes;
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  w.show();
  w.Start();
  h.Settle(200);
  QAction* sound = w.menu().Action(ids::kSoundSetting);
  QVERIFY(sound->isChecked());
  // One trigger toggles the setting exactly once (Qt's own toggle would make
  // the core see the new state and toggle it back).
  sound->trigger();
  h.Settle();
  QVERIFY(!sound->isChecked());
  QFile f(h.base() + "hven2.dll");
  QVERIFY(f.open(QIODevice::ReadOnly));
  QCOMPARE(f.read(1).at(0), char(0));
  sound->trigger();
  h.Settle();
  QVERIFY(sound->isChecked());
}

void MainWindowTest::listFillingDoesNotReportAChange() {
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  auto* combo = qobject_cast<QComboBox*>(w.Control(ids::kTypeList));
  QSignalSpy changed(combo, &QComboBox::currentIndexChanged);
  std::thread worker([&w] {
    w.surface().SetListItems(ids::kTypeList, {"25 SPI FLASH", "24 EEPROM"});
    w.surface().SetListSelection(ids::kTypeList, 1);
  });
  worker.join();
  h.Settle();
  QCOMPARE(combo->count(), 2);
  QCOMPARE(combo->currentIndex(), 1);
  QCOMPARE(changed.count(), 0);
}

QTEST_MAIN(MainWindowTest)
#include "main_window.moc"
