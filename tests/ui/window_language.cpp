// The language of a run: --lang picks a shipped text table set, and Qt's own
// buttons follow the Chinese tables.
#include <QDialogButtonBox>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include <QFontMetrics>
#include <QHeaderView>
#include <QMenu>
#include <QTreeWidget>

#include "core/app/text_ids.h"
#include "core/app/text_table.h"
#include "core/services/update/update_check.h"
#include "main_window_fixture.h"
#include "resources/ids.h"
#include "ui/app/app_options.h"
#include "ui/app/qt_language.h"
#include "ui/services/version_dialog.h"

using namespace tarnwick;
using namespace tarnwick::test;

class WindowLanguageTest : public QObject {
  Q_OBJECT

 private slots:
  void langTakesOnlyTheShippedSets();
  void langReadsThatSetWhateverTheBaseDirectoryHolds();
  void qtTextsFollowTheChineseTablesInUse();
  void qtsOwnButtonsReadChineseOnceInstalled();
  void menuTitlesHaveAccessKeysInBothLanguages();
  void versionDialogSpeaksEachLanguageAndItsColumnsHoldTheirTexts();
};

namespace {

const QString kProgramDir = QStringLiteral(TARNWICK_SOURCE_DIR "/resources/");

std::string ShippedSet(const char* name) {
  return std::string(TARNWICK_SOURCE_DIR "/resources/lang/") + name + "/";
}

QString FileMenuTitle(ProgrammerDlg& w) { return w.menuBar()->actions().value(0)->text(); }

QString ShippedFileMenu(const char* set) {
  TextTable t;
  t.LoadFtext(ShippedSet(set) + "ftext.ini");
  return QString::fromStdString(t.ftext(ftext::kMenuFile));
}

}  // namespace

void WindowLanguageTest::langTakesOnlyTheShippedSets() {
  AppOptions o = ParseAppOptions({"tarnwick", "--lang", "zh_CN", "--simulate"});
  QVERIFY(o.error.isEmpty());
  QCOMPARE(o.lang, QStringLiteral("zh_CN"));
  QCOMPARE(ParseAppOptions({"tarnwick", "--lang=en"}).lang, QStringLiteral("en"));

  o = ParseAppOptions({"tarnwick", "--lang", "fr"});
  QVERIFY(o.error.contains("fr"));
  QVERIFY(o.error.contains("en, zh_CN"));
  QVERIFY(!ParseAppOptions({"tarnwick", "--lang"}).error.isEmpty());
  QVERIFY(!ParseAppOptions({"tarnwick", "--lang="}).error.isEmpty());
  QVERIFY(!o.strayArgument);
  QVERIFY(ParseAppOptions({"tarnwick", "stray"}).strayArgument);

  QVERIFY(ParseAppOptions({"tarnwick", "--help"}).help);
  QVERIFY(ParseAppOptions({"tarnwick", "-h"}).help);
  QVERIFY(AppUsageText().contains("--lang en|zh_CN"));
}

void WindowLanguageTest::langReadsThatSetWhateverTheBaseDirectoryHolds() {
  const QString zh = ShippedFileMenu("zh_CN"), en = ShippedFileMenu("en");
  QVERIFY(zh != en);
  {
    WindowHarness h({.textSet = "en", .textDir = ShippedSet("zh_CN")});
    QCOMPARE(FileMenuTitle(h.window()), zh);
  }
  {
    WindowHarness h({.textSet = "zh_CN", .textDir = ShippedSet("en")});
    QCOMPARE(FileMenuTitle(h.window()), en);
  }
  // Without --lang the base directory's own tables speak.
  WindowHarness h({.textSet = "zh_CN", .textDir = {}});
  QCOMPARE(FileMenuTitle(h.window()), zh);
}

void WindowLanguageTest::qtTextsFollowTheChineseTablesInUse() {
  WindowHarness chinese({.textSet = "zh_CN", .textDir = {}});
  WindowHarness english({.textSet = "en", .textDir = {}});
  const TextTable& zh = chinese.window().session().texts();
  const TextTable& en = english.window().session().texts();
  QVERIFY(UsesChineseTexts({}, zh, kProgramDir));
  QVERIFY(!UsesChineseTexts({}, en, kProgramDir));
  // --lang says it outright.
  QVERIFY(UsesChineseTexts("zh_CN", en, kProgramDir));
  QVERIFY(!UsesChineseTexts("en", zh, kProgramDir));
  // A program folder without the shipped set cannot tell: Qt stays English.
  QVERIFY(!UsesChineseTexts({}, zh, QStringLiteral("/nonexistent/")));
  // Tables that failed to load are no language at all.
  WindowHarness none({.texts = false, .textDir = {}});
  QVERIFY(!UsesChineseTexts({}, none.window().session().texts(), kProgramDir));
}

void WindowLanguageTest::qtsOwnButtonsReadChineseOnceInstalled() {
  QDialogButtonBox before(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  QCOMPARE(before.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Cancel"));

  QVERIFY2(InstallQtChinese(*QCoreApplication::instance()),
           "qtbase_zh_CN.qm missing: install qt6-translations-l10n");
  QDialogButtonBox after(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  QCOMPARE(after.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("取消"));
  QCOMPARE(after.button(QDialogButtonBox::Ok)->text(), QStringLiteral("确定"));
}

void WindowLanguageTest::menuTitlesHaveAccessKeysInBothLanguages() {
  for (const char* set : {"en", "zh_CN"}) {
    WindowHarness h({.textSet = set, .textDir = ShippedSet(set)});
    ProgrammerDlg& w = h.window();
    const QList<QAction*> titles = w.menuBar()->actions();
    QCOMPARE(titles.size(), 7);
    for (QAction* title : titles) {
      const qsizetype amp = title->text().indexOf('&');
      QVERIFY2(amp >= 0 && amp + 1 < title->text().size() && title->text()[amp + 1].isLetter(),
               qPrintable(QString("%1: %2").arg(set, title->text())));
    }
    // Alt+F opens the File menu in both languages.
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTest::keyClick(&w, Qt::Key_F, Qt::AltModifier);
    QTRY_VERIFY(titles.first()->menu()->isVisible());
    titles.first()->menu()->close();
  }
}

void WindowLanguageTest::versionDialogSpeaksEachLanguageAndItsColumnsHoldTheirTexts() {
  const update::VersionRows rows{"2.3", "2.4", "", "2.5", "2.5", ""};
  for (const char* set : {"en", "zh_CN"}) {
    TextTable texts;
    QVERIFY(texts.LoadFtext(ShippedSet(set) + "ftext.ini"));
    QVERIFY(texts.LoadItext(ShippedSet(set) + "itext.ini"));
    update::VersionRows r = rows;
    r.programVerdict = texts.itext(itext::kNewerProgram);
    r.firmwareVerdict = texts.itext(itext::kFirmwareCurrent);
    VersionDlg d(r, texts, QStringLiteral("http://www.example.org/"));
    QCOMPARE(d.windowTitle(), QString::fromStdString(texts.ftext(ftext::kVersionTitle)));
    QTreeWidget* list = d.list();
    const QFontMetrics header(list->header()->font()), cells(list->font());
    int total = 0;
    for (int c = 0; c < list->columnCount(); ++c) {
      const QString head = list->headerItem()->text(c);
      QVERIFY2(list->columnWidth(c) > header.horizontalAdvance(head), qPrintable(head));
      for (int row = 0; row < list->topLevelItemCount(); ++row) {
        const QString cell = list->topLevelItem(row)->text(c);
        QVERIFY2(list->columnWidth(c) > cells.horizontalAdvance(cell), qPrintable(cell));
      }
      total += list->columnWidth(c);
    }
    // The list shows every column without a scroll bar.
    QVERIFY(list->width() - 2 * list->frameWidth() >= total);
    QVERIFY(list->geometry().right() < d.width());
    QVERIFY(d.Control(ids::kDialogOk)->geometry().right() < d.width());
  }
  TextTable en;
  en.LoadFtext(ShippedSet("en") + "ftext.ini");
  QVERIFY(!QString::fromStdString(en.ftext(ftext::kVersionTitle)).contains(QChar(0x7248)));
  QVERIFY(!QString::fromStdString(en.ftext(ftext::kDataViewTitle)).contains('&'));
}
QTEST_MAIN(WindowLanguageTest)
#include "window_language.moc"
