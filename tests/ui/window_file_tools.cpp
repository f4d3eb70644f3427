// File merge and split in the whole window: each dialog opens from its menu
// item, takes its files through the system's choosers, and tells the
// outcome in an information box while the files on disk show the work.
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "core/app/text_ids.h"
#include "ui/app/main_menu.h"
#include "ui/buffers/buffer_tool_dialogs.h"
#include "ui/buffers/merge_dialog.h"
#include "ui/buffers/split_dialog.h"
#include "window_flow_support.h"

using namespace tarnwick;
using namespace tarnwick::test;

namespace {

// Clicks `button`, which opens a chooser, and gives it `path`.
template <typename D>
bool ChooseThrough(D& d, int button, const QString& path) {
  ModalScript script;
  script.ChooseFile(path);
  DialogControl<QPushButton>(d, button)->click();
  return script.Done();
}

}  // namespace

class WindowFileToolsTest : public QObject {
  Q_OBJECT

 private slots:
  void mergeJoinsTheListedFilesInTheChosenFolder();
  void mergeNeverWritesOverTheProgramsOwnFiles();
  void splitCutsAtThePointsBesideTheSource();
};

void WindowFileToolsTest::mergeJoinsTheListedFilesInTheChosenFolder() {
  BoxWatcher boxes;
  WindowHarness h;
  QVERIFY(ShowAndStart(h));
  ProgrammerDlg& w = h.window();
  MergeDialog& d = w.bufferTools().merge();
  QVERIFY(Open(w, ids::kMergeFiles, d));
  QVERIFY(d.isModal());
  QCOMPARE(d.windowTitle(), Ftext(w, ftext::kMergeTitle));
  QCOMPARE(DialogControl<QLineEdit>(d, ids::kMergeNameEdit)->text(), QStringLiteral("Cmbin.bin"));

  QVERIFY(WriteAll(h.base() + "a.bin", "abc"));
  QVERIFY(WriteAll(h.base() + "b.bin", "12345"));
  QVERIFY(WriteAll(h.base() + "c.bin", "zz"));
  for (const char* name : {"a.bin", "c.bin", "b.bin"})
    QVERIFY(ChooseThrough(d, ids::kMergeAddButton, h.base() + name));
  auto* list = DialogControl<QListWidget>(d, ids::kMergeFileList);
  QCOMPARE(list->count(), 3);
  // The middle one goes again.
  list->item(1)->setSelected(true);
  DialogControl<QPushButton>(d, ids::kMergeDeleteButton)->click();
  QCOMPARE(list->count(), 2);

  const QString out = h.base() + "out/";
  QVERIFY(QDir().mkpath(out));
  QVERIFY(ChooseThrough(d, ids::kMergeFolderButton, out));
  QCOMPARE(QDir(DialogControl<QLineEdit>(d, ids::kMergeFolderEdit)->text()), QDir(out));
  DialogControl<QLineEdit>(d, ids::kMergeNameEdit)->setText("joined");
  QVERIFY(d.MergeClicked());
  QCOMPARE(ReadAll(out + "joined.bin"), QByteArray("abc12345"));
  QCOMPARE(boxes.texts().back(), Itext(w, itext::kMergeDone));

  // No name: nothing is written.
  DialogControl<QLineEdit>(d, ids::kMergeNameEdit)->clear();
  QVERIFY(!d.MergeClicked());
  QCOMPARE(boxes.texts().back(), Itext(w, itext::kMergeNoName));
  DialogControl<QPushButton>(d, ids::kDialogCancel)->click();
  QVERIFY(!d.isVisible());
}

void WindowFileToolsTest::mergeNeverWritesOverTheProgramsOwnFiles() {
  BoxWatcher boxes;
  WindowHarness h;
  QVERIFY(ShowAndStart(h));
  ProgrammerDlg& w = h.window();
  const QByteArray image = Pattern(4096);
  QVERIFY(WriteAll(h.base() + "fw.bin", image));
  QVERIFY(w.session().LoadUserFile((h.base() + "fw.bin").toStdString()));
  QCOMPARE(ReadAll(h.base() + "h_ven1.dll"), image);
  QVERIFY(WriteAll(h.base() + "a.bin", "abc"));

  MergeDialog& d = w.bufferTools().merge();
  QVERIFY(Open(w, ids::kMergeFiles, d));
  QVERIFY(ChooseThrough(d, ids::kMergeAddButton, h.base() + "a.bin"));
  DialogControl<QLineEdit>(d, ids::kMergeFolderEdit)->setText(h.base());
  // The loaded image's working copy, then the catalogue.
  for (const char* own : {"h_ven1.dll", "database.dat"}) {
    const QByteArray before = ReadAll(h.base() + own);
    DialogControl<QLineEdit>(d, ids::kMergeNameEdit)->setText(own);
    QVERIFY(!d.MergeClicked());
    QCOMPARE(boxes.texts().back(), Itext(w, itext::kMergeCannotCreate));
    QCOMPARE(ReadAll(h.base() + own), before);
  }
  QCOMPARE(ReadAll(h.base() + "h_ven1.dll"), image);
}

void WindowFileToolsTest::splitCutsAtThePointsBesideTheSource() {
  BoxWatcher boxes;
  WindowHarness h;
  QVERIFY(ShowAndStart(h));
  ProgrammerDlg& w = h.window();
  SplitDialog& d = w.bufferTools().split();
  QVERIFY(Open(w, ids::kSplitFile, d));
  QCOMPARE(d.windowTitle(), Ftext(w, ftext::kSplitTitle));
  const QByteArray content = Pattern(4096);
  const QString source = h.base() + "fw.bin";
  QVERIFY(WriteAll(source, content));
  QVERIFY(ChooseThrough(d, ids::kSplitOpenButton, source));
  QCOMPARE(DialogControl<QLineEdit>(d, ids::kSplitSourceEdit)->text(), source);

  // A letter in the points: refused before anything is written.
  DialogControl<QLineEdit>(d, ids::kSplitPointsEdit)->setText("10x");
  QVERIFY(!d.SplitClicked());
  QCOMPARE(boxes.texts().back(), Itext(w, itext::kSplitBadPoints));

  // A full-width comma counts as a comma.
  DialogControl<QLineEdit>(d, ids::kSplitPointsEdit)->setText(QStringLiteral("1024，2048"));
  QVERIFY(d.SplitClicked());
  QCOMPARE(boxes.texts().back(), Itext(w, itext::kSplitDone));
  QCOMPARE(ReadAll(h.base() + "fw_0-1023.bin"), content.mid(0, 1024));
  QCOMPARE(ReadAll(h.base() + "fw_1024-2047.bin"), content.mid(1024, 1024));
  QCOMPARE(ReadAll(h.base() + "fw_2048-4095.bin"), content.mid(2048));
  QCOMPARE(boxes.texts().size(), std::size_t{2});
}

QTEST_MAIN(WindowFileToolsTest)
#include "window_file_tools.moc"
