// Every button and menu command reaches the part that handles it; a command
// nothing handles yet is grey from the start and stays grey.
#include <QAction>
#include <QSignalSpy>
#include <QTest>
#include <set>

#include "core/session/session.h"
#include "main_window_fixture.h"
#include "resources/ids.h"
#include "ui/app/main_menu.h"

using namespace tarnwick;
using tarnwick::test::WindowHarness;

class WindowCommandsTest : public QObject {
  Q_OBJECT

 private slots:
  void unhandledCommandsAreListedAndStayGrey();
  void handledCommandsReachTheirHandler();
};

void WindowCommandsTest::unhandledCommandsAreListedAndStayGrey() {
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  w.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w));
  const std::vector<int> unhandled = w.UnhandledCommands();
  QString list;
  for (int id : unhandled) list += QString::number(id) + QLatin1Char(' ');
  // The later features empty this list.
  qInfo("commands nothing handles yet (%d): %s", int(unhandled.size()), qPrintable(list));

  QSignalSpy sent(&w, &ProgrammerDlg::commandSent);
  for (int id : unhandled) {
    // An operation that ends gives its menus back; these stay grey.
    w.surface().SetCommandEnabled(id, true);
    h.Settle();
    if (QAction* a = w.menu().Action(id))
      QVERIFY2(!a->isEnabled(), qPrintable(QString::number(id)));
    if (QWidget* c = w.Control(id)) QVERIFY2(!c->isEnabled(), qPrintable(QString::number(id)));
    w.SendCommand(id);
  }
  QCOMPARE(sent.count(), 0);
  // The chip operations, settings and the window's own dialogs are handled.
  const std::set<int> listed(unhandled.begin(), unhandled.end());
  for (int id :
       {ids::kEraseButton, ids::kProgramButton, ids::kVerifyButton, ids::kReadButton,
        ids::kBlankCheckButton, ids::kAutoProgramButton, ids::kDetectButton, ids::kQeConfigButton,
        ids::kBatchButton, ids::kBrowseButton, ids::kSaveFile, ids::kSaveFileAs, ids::kEditModeMenu,
        ids::kOffsetProgramming, ids::kViewModificationLog, ids::kExitCommand, ids::kSoundSetting,
        ids::kAutoDetectSetting, ids::kBatchEraseSetting}) {
    QVERIFY2(!listed.contains(id), qPrintable(QString::number(id)));
  }
  // The buffer tools open their dialogs.
  for (int id : {ids::kGoToAddress, ids::kDataView, ids::kFileFill, ids::kFind})
    QVERIFY2(!listed.contains(id), qPrintable(QString::number(id)));
}

void WindowCommandsTest::handledCommandsReachTheirHandler() {
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  w.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w));
  // A settings item goes to the core, which sets the mark.
  const bool soundBefore = w.surface().IsMenuChecked(ids::kSoundSetting);
  w.menu().Action(ids::kSoundSetting)->trigger();
  h.Settle();
  QCOMPARE(w.surface().IsMenuChecked(ids::kSoundSetting), !soundBefore);
  QCOMPARE(w.menu().Action(ids::kSoundSetting)->isChecked(), !soundBefore);
  // Every id the core handles is one of the window's commands: nothing is
  // registered for a control the window does not have.
  const std::vector<int> all = w.CommandIds();
  const std::set<int> ids(all.begin(), all.end());
  for (int id : w.session().commands().Ids())
    QVERIFY2(ids.contains(id), qPrintable(QString::number(id)));
}

QTEST_MAIN(WindowCommandsTest)
#include "window_commands.moc"
