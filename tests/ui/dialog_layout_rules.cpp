// One rule for every dialog built from a control table: its labels are drawn
// in one label font, centred on their rectangle's height; a dialog with a
// list can be resized and gives the room to the list; the version dialog's
// columns hold their texts in either language.
#include <QDialog>
#include <QHeaderView>
#include <QListWidget>
#include <QTest>
#include <QTreeWidget>
#include <vector>

#include "core/app/text_ids.h"
#include "core/app/text_table.h"
#include "core/services/update/update_check.h"
#include "main_window_fixture.h"
#include "resources/ids.h"
#include "ui/app/elided_label.h"
#include "ui/buffers/buffer_tool_dialogs.h"
#include "ui/buffers/merge_dialog.h"
#include "ui/operations/batch_dialog.h"
#include "ui/operations/chip_fill_dialog.h"
#include "ui/services/version_dialog.h"

using namespace tarnwick;
using tarnwick::test::WindowFiles;
using tarnwick::test::WindowHarness;

namespace {

const QSize kMore(150, 100);

update::VersionRows LongestRows(const TextTable& t) {
  return {"2.3", "2.4", t.itext(itext::kNewerProgram),
          "2.5", "2.6", t.itext(itext::kNewerFirmware)};
}

// The labels the builder made, named after their control id; the status line
// is no label.
std::vector<ElidedLabel*> TableLabels(QWidget* dialog) {
  std::vector<ElidedLabel*> labels;
  for (auto* l : dialog->findChildren<QLabel*>()) {
    auto* label = dynamic_cast<ElidedLabel*>(l);  // a link is no ElidedLabel
    if (label != nullptr && l->objectName().startsWith(QStringLiteral("ctl")) &&
        l->objectName() != QStringLiteral("ctl%1").arg(ids::kStatusLine) &&
        l->window() == dialog->window()) {
      labels.push_back(label);
    }
  }
  return labels;
}

// Every cell and header text of a column fits its width.
bool ColumnsHoldTheirTexts(QTreeWidget* list, QString& why) {
  const QFontMetrics header(list->header()->font());
  const QFontMetrics cells(list->font());
  for (int c = 0; c < list->columnCount(); ++c) {
    int need = header.horizontalAdvance(list->headerItem()->text(c));
    for (int r = 0; r < list->topLevelItemCount(); ++r) {
      need = std::max(need, cells.horizontalAdvance(list->topLevelItem(r)->text(c)));
    }
    if (list->columnWidth(c) < need) {
      why = QStringLiteral("column %1: %2 px for %3 px of text")
                .arg(c)
                .arg(list->columnWidth(c))
                .arg(need);
      return false;
    }
  }
  int total = 0;
  for (int c = 0; c < list->columnCount(); ++c) total += list->columnWidth(c);
  if (total > list->viewport()->width()) {
    why = QStringLiteral("columns %1 px in a list %2 px wide")
              .arg(total)
              .arg(list->viewport()->width());
    return false;
  }
  return true;
}

}  // namespace

class DialogLayoutRulesTest : public QObject {
  Q_OBJECT

 private slots:
  void everyTableDialogDrawsItsLabelsInOneFontCentred();
  void dialogsWithListsGrowTheirLists();
  void versionColumnsHoldTheirTextsInEitherLanguage();
  void theMainWindowsLabelsHoldTheirCaptionsInEitherLanguage();
};

void DialogLayoutRulesTest::everyTableDialogDrawsItsLabelsInOneFontCentred() {
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  auto* version = new VersionDlg(LongestRows(w.session().texts()), w.session().texts(),
                                 QStringLiteral("https://example.org"), &w);
  std::vector<QWidget*> dialogs = {w.centralWidget()};
  for (QDialog* d : w.findChildren<QDialog*>()) dialogs.push_back(d);
  QVERIFY2(dialogs.size() >= 12, qPrintable(QString::number(dialogs.size())));
  QVERIFY(std::find(dialogs.begin(), dialogs.end(), version) != dialogs.end());

  // One label font for all, the main window's too.
  const QFont dialogFont = w.Control(ids::kTypeLabel)->font();
  int seen = 0;
  for (QWidget* d : dialogs) {
    for (ElidedLabel* label : TableLabels(d)) {
      const QString where = d->objectName() + '/' + label->objectName();
      QVERIFY2(label->font() == dialogFont, qPrintable(where + ": " + label->font().toString()));
      QVERIFY2((label->alignment() & Qt::AlignVertical_Mask) == Qt::AlignVCenter,
               qPrintable(where));
      ++seen;
    }
  }
  // The chip fill and feedback dialogs are among them.
  QVERIFY(!TableLabels(&w.chipFillDialog()).empty());
  QVERIFY(seen > 30);
}

void DialogLayoutRulesTest::dialogsWithListsGrowTheirLists() {
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  auto* version = new VersionDlg(LongestRows(w.session().texts()), w.session().texts(),
                                 QStringLiteral("https://example.org"), &w);
  struct Case {
    QDialog* dialog;
    int list;
    int button;  // a button at the bottom right
  };
  const Case cases[] = {
      {&w.batchDialog(), ids::kBatchFileList, ids::kBatchExitButton},
      {&w.bufferTools().merge(), ids::kMergeFileList, ids::kDialogCancel},
      {version, ids::kVersionList, ids::kDialogOk},
  };
  for (const Case& c : cases) {
    QDialog* d = c.dialog;
    d->show();
    QVERIFY(QTest::qWaitForWindowExposed(d));
    QVERIFY2(d->maximumWidth() > d->minimumWidth() + kMore.width(), qPrintable(d->objectName()));
    QCOMPARE(d->size(), d->minimumSize());
    auto* list = d->findChild<QWidget*>(QStringLiteral("ctl%1").arg(c.list));
    auto* button = d->findChild<QWidget*>(QStringLiteral("ctl%1").arg(c.button));
    QVERIFY(list != nullptr && button != nullptr);
    const QRect listAt = list->geometry();
    const QRect buttonAt = button->geometry();
    d->resize(d->size() + kMore);
    QTRY_COMPARE(list->geometry(), listAt.adjusted(0, 0, kMore.width(), kMore.height()));
    QCOMPARE(button->geometry(), buttonAt.translated(kMore.width(), kMore.height()));
    d->hide();
  }
}

void DialogLayoutRulesTest::versionColumnsHoldTheirTextsInEitherLanguage() {
  for (const char* language : {"en", "zh_CN"}) {
    WindowFiles files;
    files.textSet = language;
    WindowHarness h(files);
    const TextTable& t = h.window().session().texts();
    VersionDlg d(LongestRows(t), t, QStringLiteral("https://example.org"), &h.window());
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    QString why;
    QVERIFY2(ColumnsHoldTheirTexts(d.list(), why),
             qPrintable(QString::fromLatin1(language) + ' ' + why));
    // A larger dialog gives the room to the list; the columns keep holding their texts.
    const int listWidth = d.list()->width();
    d.resize(d.size() + kMore);
    QTRY_COMPARE(d.list()->width(), listWidth + kMore.width());
    QVERIFY2(ColumnsHoldTheirTexts(d.list(), why),
             qPrintable(QString::fromLatin1(language) + ' ' + why));
  }
}

void DialogLayoutRulesTest::theMainWindowsLabelsHoldTheirCaptionsInEitherLanguage() {
  for (const char* language : {"en", "zh_CN"}) {
    WindowFiles files;
    files.textSet = language;
    WindowHarness h(files);
    const std::vector<ElidedLabel*> labels = TableLabels(h.window().centralWidget());
    QVERIFY(labels.size() >= 10);
    for (ElidedLabel* label : labels) {
      QVERIFY2(!label->Elided(), qPrintable(QString::fromLatin1(language) + ' ' + label->text()));
    }
  }
}

QTEST_MAIN(DialogLayoutRulesTest)
#include "dialog_layout_rules.moc"
