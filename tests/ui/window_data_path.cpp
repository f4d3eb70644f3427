// The data path as a technician walks it in the window, against the virtual
// box: load (browse, drop), auto program, read, erase and blank check,
// verify, cancel, unplug, save with the modification log, save as, and
// offset programming.
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "core/operations/chip/chip_texts.h"
#include "sim/box_description.h"
#include "ui/app/main_menu.h"
#include "ui/app/qt_text.h"
#include "ui/app/text_progress_bar.h"
#include "version.h"
#include "window_flow_support.h"

using namespace tarnwick;
using namespace tarnwick::test;

namespace {

constexpr int kChipSize = 8 << 20;  // the virtual box's EN25Q64

QString HexByte(std::uint8_t b) {
  return QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
}

bool AllFF(const QByteArray& b) { return b.count('\xFF') == b.size(); }

}  // namespace

class WindowDataPathTest : public QObject {
  Q_OBJECT

 private slots:
  void browseAndAutoProgramPutTheImageOnTheChip();
  void readShowsTheChipAndSaveAsKeepsIt();
  void eraseThenBlankCheck();
  void verifyMismatchAnsweredNoCountsTheRestQuietly();
  void readStoppedByItsOwnButtonSaysSoAndLoadsNothing();
  void unplugWhileProgrammingThenPlugAndProgramAgain();
  void dropsLoadButNeverAWorkFile();
  void dropWhileAnOperationRunsIsRefused();
  void saveWritesTheTypedBytesAndLogsThem();
  void offsetProgrammingDialog();

 private:
  QTemporaryDir files_;
  QString UserFile(const QString& name, const QByteArray& data) {
    const QString p = files_.path() + "/" + name;
    if (!WriteAll(p, data)) qFatal("cannot write %s", qPrintable(p));
    return p;
  }
};

void WindowDataPathTest::browseAndAutoProgramPutTheImageOnTheChip() {
  WindowHarness h;
  QVERIFY2(h.hasCatalogue(), "the portable folder lacks database.dat (build portable_data)");
  ProgrammerDlg& w = h.window();
  QVERIFY(ShowAndStart(h));
  QCOMPARE(Combo(w, ids::kModelList)->currentText(), QStringLiteral("EN25Q64"));

  const QByteArray image = Pattern(300000, 1);
  const QString path = UserFile("image.bin", image);
  ModalScript script;
  script.ChooseFile(path);
  QTest::mouseClick(Button(w, ids::kBrowseButton), Qt::LeftButton);
  QTRY_VERIFY(script.Done());
  QVERIFY(!script.TimedOut());
  QTRY_COMPARE(StatusText(w), Itext(w, 189));
  QCOMPARE(w.windowTitle(), QString::fromUtf8(kProgramTitle) + " - image.bin  292.97KB");
  QVERIFY(ControlCaption(w, ids::kFileNameBox).endsWith(QStringLiteral("/image.bin")));

  BoxWatcher boxes;
  QTest::keyClick(&w, Qt::Key_F9);
  QVERIFY(WaitForJob(w, [&] { return StatusText(w).startsWith(Itext(w, 91)); }));
  QVERIFY2(!StatusText(w).isEmpty() && !w.statusError(), qPrintable(StatusText(w)));
  // The pane names the file, then each step.
  QVERIFY(PaneText(w).contains(QStringLiteral("image.bin 292.97KB")));
  QVERIFY(boxes.texts().empty());

  const QByteArray chip = ReadAll(QString::fromStdString(h.box().ContentPath()));
  QCOMPARE(chip.size(), kChipSize);
  QVERIFY(chip.left(image.size()) == image);
  QVERIFY(AllFF(chip.mid(image.size())));  // erased, and nothing sent past the file
  QVERIFY(!w.Control(ids::kProgressBar)->isVisible());
  QCOMPARE(ControlCaption(w, ids::kProgramButton), Ftext(w, 55));
  QVERIFY(Button(w, ids::kBrowseButton)->isEnabled());
  h.Reset();
}

void WindowDataPathTest::readShowsTheChipAndSaveAsKeepsIt() {
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  QVERIFY(ShowAndStart(h));
  const QByteArray chip = ReadAll(QString::fromStdString(h.box().ContentPath()));
  QCOMPARE(chip.size(), kChipSize);

  QTest::keyClick(&w, Qt::Key_F7);
  QVERIFY(WaitForJob(w, [&] { return StatusText(w).startsWith(Itext(w, 78)); }));
  QVERIFY(ReadAll(h.base() + "h_ven0.dll") == chip);
  QVERIFY(w.windowTitle().startsWith(QString::fromUtf8(kProgramTitle) + " - EN25Q64_"));
  QCOMPARE(ControlCaption(w, ids::kFileNameBox), Itext(w, 27));
  QVERIFY(w.menu().Action(ids::kSaveFile)->isEnabled());
  QCOMPARE(ControlCaption(w, ids::kReadButton), Ftext(w, 57));
  // The hex view shows the chip's first rows.
  CGridCtrl* grid = Grid(w);
  for (int row = 1; row <= 20; ++row) {
    for (int col = 1; col <= 16; ++col) {
      const int o = (row - 1) * 16 + col - 1;
      QCOMPARE(grid->GetCellText(row, col), HexByte(static_cast<std::uint8_t>(chip[o])));
    }
  }

  const QString out = files_.path() + "/chip.bin";
  ModalScript script;
  script.ChooseFile(out);
  w.menu().Action(ids::kSaveFileAs)->trigger();
  QTRY_VERIFY(script.Done());
  QVERIFY(!script.TimedOut());
  QVERIFY2(ReadAll(out) == chip,
           qPrintable(QStringLiteral("%1 bytes, %2").arg(ReadAll(out).size()).arg(StatusText(w))));
  // The saved copy is now the loaded file.
  QTRY_VERIFY(w.windowTitle().startsWith(QString::fromUtf8(kProgramTitle) + " - chip.bin"));
  QVERIFY(ControlCaption(w, ids::kFileNameBox).endsWith(QStringLiteral("/chip.bin")));
  QVERIFY(!w.menu().Action(ids::kSaveFile)->isEnabled());
  h.Reset();
}

void WindowDataPathTest::eraseThenBlankCheck() {
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  QVERIFY(ShowAndStart(h));
  QVERIFY(!AllFF(ReadAll(QString::fromStdString(h.box().ContentPath()))));

  BoxWatcher boxes;
  QTest::keyClick(&w, Qt::Key_F4);
  QVERIFY(WaitForJob(w, [&] { return StatusText(w).startsWith(Itext(w, 60)); }));
  QCOMPARE(ControlCaption(w, ids::kEraseButton), Ftext(w, 54));
  const QByteArray chip = ReadAll(QString::fromStdString(h.box().ContentPath()));
  QCOMPARE(chip.size(), kChipSize);
  QVERIFY(AllFF(chip));

  QTest::keyClick(&w, Qt::Key_F3);
  QVERIFY(WaitForJob(w, [&] { return StatusText(w).startsWith(Itext(w, 62)); }));
  QTRY_COMPARE(boxes.texts().size(), size_t(1));
  QCOMPARE(boxes.texts()[0], Itext(w, 63));
  QCOMPARE(ControlCaption(w, ids::kBlankCheckButton), Ftext(w, 58));
  QVERIFY(!w.statusError());
  h.Reset();
}

void WindowDataPathTest::verifyMismatchAnsweredNoCountsTheRestQuietly() {
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  QVERIFY(ShowAndStart(h));
  QByteArray image = ReadAll(QString::fromStdString(h.box().ContentPath()));
  QCOMPARE(image.size(), kChipSize);
  for (int o : {0x10, 0x12345, kChipSize - 1}) image[o] = static_cast<char>(~image[o]);
  QVERIFY(w.session().LoadUserFile(UserFile("three_off.bin", image).toStdString()));

  BoxWatcher boxes(QMessageBox::No);
  QTest::keyClick(&w, Qt::Key_F8);
  QVERIFY(WaitForJob(w, [&] { return StatusText(w).startsWith(Itext(w, 84)); }));
  // One question at the first difference; No keeps counting without asking.
  QCOMPARE(boxes.texts().size(), size_t(1));
  QVERIFY2(boxes.texts()[0].startsWith(QStringLiteral("10H ")), qPrintable(boxes.texts()[0]));
  QVERIFY(boxes.texts()[0].contains(Itext(w, 83)));
  QCOMPARE(boxes.captions()[0], Itext(w, 29));
  QVERIFY2(StatusText(w).startsWith(Itext(w, 84) + "3"), qPrintable(StatusText(w)));
  QVERIFY(w.statusError());
  QCOMPARE(ControlCaption(w, ids::kVerifyButton), Ftext(w, 56));
  h.Reset();
}

void WindowDataPathTest::readStoppedByItsOwnButtonSaysSoAndLoadsNothing() {
  WindowHarness h({}, sim::SpeedKind::Realistic);
  ProgrammerDlg& w = h.window();
  QVERIFY(ShowAndStart(h));
  QPushButton* read = Button(w, ids::kReadButton);
  QTRY_VERIFY_WITH_TIMEOUT(read->isEnabled(), kLongWaitMs);

  QTest::mouseClick(read, Qt::LeftButton);
  QTRY_COMPARE_WITH_TIMEOUT(read->text(), Itext(w, 42), kLongWaitMs);
  // While it runs, the other operations are greyed and the bar shows progress.
  QVERIFY(!Button(w, ids::kEraseButton)->isEnabled());
  QTRY_VERIFY(w.Control(ids::kProgressBar)->isVisible());
  QTest::qWait(300);
  QTest::mouseClick(read, Qt::LeftButton);  // now a stop button
  const QString stopped = QStringLiteral("Read stopped, received: ");
  QVERIFY(WaitForJob(w, [&] { return StatusText(w).startsWith(stopped); }));

  QCOMPARE(read->text(), Ftext(w, 57));
  QVERIFY(Button(w, ids::kEraseButton)->isEnabled());
  const QByteArray got = ReadAll(h.base() + "h_ven0.dll");
  QVERIFY2(got.size() > 0 && got.size() < kChipSize, qPrintable(QString::number(got.size())));
  const QByteArray chip = ReadAll(QString::fromStdString(h.box().ContentPath()));
  QVERIFY(chip.left(got.size()) == got);
  // It says it stopped, at how many bytes, and its time.
  const QString said = Q(chip_text::ReadStopped(static_cast<std::uint64_t>(got.size()),
                                                static_cast<std::uint64_t>(kChipSize))) +
                       Itext(w, 86);
  QVERIFY2(StatusText(w).startsWith(said), qPrintable(StatusText(w)));
  QVERIFY2(StatusText(w).size() > said.size(), "the time follows");
  QVERIFY(w.statusError());
  // What arrived is kept, but never shown as the chip's content.
  QVERIFY(!w.session().image().loaded());
  QVERIFY(ControlCaption(w, ids::kFileNameBox) != Itext(w, 27));
  QVERIFY2(!w.windowTitle().contains(QStringLiteral("EN25Q64_")), qPrintable(w.windowTitle()));
  const QString log = QString::fromUtf8(ReadAll(h.base() + "log.txt"));
  QVERIFY2(!log.contains(Itext(w, 26)), "no \"read complete\"");
  QVERIFY2(!log.contains(Itext(w, 78)), "no \"read ended\"");
  h.Reset();
}

void WindowDataPathTest::unplugWhileProgrammingThenPlugAndProgramAgain() {
  constexpr std::uint64_t kUnplugAt = 150000;
  WindowHarness h({}, sim::SpeedKind::Instant, [](sim::BoxDescription& d) {
    sim::FaultEntry f;
    f.kind = sim::FaultKind::Unplug;
    f.trigger = {sim::FaultTrigger::When::AtByte, kUnplugAt};
    d.faults.scripted.push_back(f);
  });
  ProgrammerDlg& w = h.window();
  QVERIFY(ShowAndStart(h));
  QCOMPARE(Combo(w, ids::kModelList)->currentText(), QStringLiteral("EN25Q64"));
  const QByteArray image = Pattern(512 * 1024, 3);
  QVERIFY(w.session().LoadUserFile(UserFile("unplug.bin", image).toStdString()));

  BoxWatcher boxes;
  QTest::keyClick(&w, Qt::Key_F9);
  QVERIFY(WaitForJob(w, [&] { return PaneText(w).contains(Itext(w, 49)); }));
  QVERIFY(!h.box().Plugged());
  QVERIFY(!StatusText(w).startsWith(Itext(w, 91)));
  // The window is usable again: captions back, buttons enabled.
  QCOMPARE(ControlCaption(w, ids::kProgramButton), Ftext(w, 55));
  QVERIFY(Button(w, ids::kBrowseButton)->isEnabled());
  QVERIFY(!w.Control(ids::kProgressBar)->isVisible());

  h.box().Plug();  // raises the hot-plug event: the quiet detection runs again
  QVERIFY(WaitForJob(w));
  QTRY_VERIFY_WITH_TIMEOUT(Button(w, ids::kAutoProgramButton)->isEnabled(), kLongWaitMs);
  QTest::keyClick(&w, Qt::Key_F9);
  QVERIFY(WaitForJob(w, [&] { return StatusText(w).startsWith(Itext(w, 91)); }));
  const QByteArray chip = ReadAll(QString::fromStdString(h.box().ContentPath()));
  QVERIFY(chip.left(image.size()) == image);
  h.Reset();
}

void WindowDataPathTest::dropsLoadButNeverAWorkFile() {
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  QVERIFY(ShowAndStart(h));
  const QByteArray a = Pattern(1000, 4);
  const QByteArray b = Pattern(2000, 5);

  BoxWatcher boxes;
  DropFile(&w, UserFile("dropped_a.bin", a));
  QTRY_VERIFY(w.windowTitle().contains(QStringLiteral("dropped_a.bin")));
  QCOMPARE(StatusText(w), Itext(w, 189));
  // The grid hands its drops to the window.
  DropFile(Grid(w)->viewport(), UserFile("dropped_b.bin", b));
  QTRY_VERIFY(w.windowTitle().contains(QStringLiteral("dropped_b.bin")));
  QVERIFY(ReadAll(h.base() + "h_ven1.dll") == b);

  // Loading the working copy onto itself would empty it.
  DropFile(&w, h.base() + "h_ven1.dll");
  QTRY_COMPARE(boxes.texts().size(), size_t(1));
  QCOMPARE(boxes.texts()[0], Itext(w, 24));
  QVERIFY(w.windowTitle().contains(QStringLiteral("dropped_b.bin")));
  QVERIFY(ReadAll(h.base() + "h_ven1.dll") == b);
  QCOMPARE(w.session().image().size(), static_cast<std::uint64_t>(b.size()));
  h.Reset();
}

void WindowDataPathTest::dropWhileAnOperationRunsIsRefused() {
  WindowHarness h({}, sim::SpeedKind::Realistic);
  ProgrammerDlg& w = h.window();
  QVERIFY(ShowAndStart(h));
  QPushButton* read = Button(w, ids::kReadButton);
  QTRY_VERIFY_WITH_TIMEOUT(read->isEnabled(), kLongWaitMs);

  BoxWatcher boxes;
  QTest::mouseClick(read, Qt::LeftButton);
  QTRY_COMPARE_WITH_TIMEOUT(read->text(), Itext(w, 42), kLongWaitMs);
  DropFile(&w, UserFile("while_busy.bin", Pattern(100, 6)));
  QTRY_COMPARE(boxes.texts().size(), size_t(1));
  QCOMPARE(boxes.texts()[0], Itext(w, 119));
  QCOMPARE(read->text(), Itext(w, 42));  // the read goes on

  QTest::mouseClick(read, Qt::LeftButton);
  QVERIFY(WaitForJob(w, [&] { return read->text() == Ftext(w, 57); }));
  QVERIFY(!w.windowTitle().contains(QStringLiteral("while_busy.bin")));
  h.Reset();
}

void WindowDataPathTest::saveWritesTheTypedBytesAndLogsThem() {
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  QVERIFY(ShowAndStart(h));
  QByteArray original(64, '\0');
  for (int i = 0; i < original.size(); ++i) original[i] = static_cast<char>(i);
  original[0x10] = static_cast<char>(0xFF);
  original[0x11] = ' ';
  const QString path = UserFile("edited.bin", original);
  QVERIFY(w.session().LoadUserFile(path.toStdString()));
  h.Settle();
  QVERIFY(!w.menu().Action(ids::kSaveFile)->isEnabled());

  QTest::mouseClick(w.Control(ids::kEditModeCheck), Qt::LeftButton);
  QTRY_VERIFY(qobject_cast<QCheckBox*>(w.Control(ids::kEditModeCheck))->isChecked());
  CGridCtrl* grid = Grid(w);
  QRect cell;
  QVERIFY(grid->GetCellRect(2, 1, cell));  // offset 0x10
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center() - QPoint(4, 0));
  auto* editor = qobject_cast<QLineEdit*>(w.Control(ids::kHexInput));
  QTRY_VERIFY(editor->isVisible());
  for (const char* key : {"3", "C", "a", "5"}) QTest::keyClicks(editor, QString::fromLatin1(key));
  QTRY_COMPARE(grid->GetCellText(2, 2), QStringLiteral("A5"));
  QVERIFY(w.menu().Action(ids::kSaveFile)->isEnabled());
  // Nothing reaches the source before Save.
  QVERIFY(ReadAll(path) == original);

  const qint64 logBefore = QFileInfo(h.base() + "log.txt").size();
  w.menu().Action(ids::kSaveFile)->trigger();
  QTRY_COMPARE(StatusText(w), Itext(w, 116));
  QByteArray expected = original;
  expected[0x10] = 0x3C;
  expected[0x11] = static_cast<char>(0xA5);
  QVERIFY(ReadAll(path) == expected);
  QVERIFY(!w.menu().Action(ids::kSaveFile)->isEnabled());

  const QString block = QString::fromUtf8(ReadAll(h.base() + "log.txt").mid(logBefore));
  static const QRegularExpression re(
      QStringLiteral("\r\n-{39}BEGIN-{39}\r\n    \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d "
                     "edited\\.bin 文件修改如下：\r\n"
                     "        \\[00000010\\]: FF --> 3C\r\n"
                     "        \\[00000011\\]: 20 --> A5\r\n"
                     "-{40}END-{40}"));
  QVERIFY2(re.match(block).hasMatch(), qPrintable(block));
  h.Reset();
}

void WindowDataPathTest::offsetProgrammingDialog() {
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  QVERIFY(ShowAndStart(h));
  const QByteArray cap = Pattern(4096, 8);
  const QByteArray plain = Pattern(4096, 9);
  const QString capPath = UserFile("capture.Cap", cap);
  const QString plainPath = UserFile("plain.bin", plain);
  const QString workCopy = h.base() + "h_ven1.dll";

  // A capture file goes through the dialog with its header skipped.
  {
    QString address;
    bool readOnly = false;
    ModalScript script;
    script.Then(ModalScript::Named("offsetDialog"), [&](QWidget* d) {
      auto* edit = d->findChild<QLineEdit*>(QStringLiteral("ctl1094"));
      address = edit->text();
      readOnly = edit->isReadOnly();
      QTest::mouseClick(d->findChild<QPushButton*>(QStringLiteral("ctl1")), Qt::LeftButton);
    });
    QVERIFY(!w.session().LoadUserFile(capPath.toStdString()));
    QTRY_VERIFY(script.Done());
    QVERIFY(!script.TimedOut());
    QCOMPARE(address, QStringLiteral("2048"));
    QVERIFY(readOnly);
    QVERIFY(ReadAll(workCopy) == cap.mid(2048));
    QVERIFY(w.windowTitle().contains(QStringLiteral("tempFile.bin")));
  }

  // From the menu: a start at the file's end copies nothing and the dialog
  // stays; start 0 then loads a copy of the whole file.
  {
    BoxWatcher boxes;
    bool stayedOpen = false;
    ModalScript script;
    script.Then(ModalScript::Named("offsetDialog"), [&](QWidget* d) {
      d->findChild<QLineEdit*>(QStringLiteral("ctl1095"))->setText(plainPath);
      auto* edit = d->findChild<QLineEdit*>(QStringLiteral("ctl1094"));
      QVERIFY(!edit->isReadOnly());
      edit->setText(QStringLiteral("4096"));
      QTest::mouseClick(d->findChild<QPushButton*>(QStringLiteral("ctl1")), Qt::LeftButton);
    });
    script.Then(ModalScript::Named("offsetDialog"), [&](QWidget* d) {
      stayedOpen = d->isVisible();
      d->findChild<QLineEdit*>(QStringLiteral("ctl1094"))->setText(QStringLiteral("0"));
      QTest::mouseClick(d->findChild<QPushButton*>(QStringLiteral("ctl1")), Qt::LeftButton);
    });
    w.menu().Action(ids::kOffsetProgramming)->trigger();
    QTRY_VERIFY(script.Done());
    QVERIFY(!script.TimedOut());
    QVERIFY(stayedOpen);
    QCOMPARE(boxes.texts().size(), size_t(1));
    QCOMPARE(boxes.texts()[0], Itext(w, 182));
    QCOMPARE(boxes.captions()[0], Itext(w, 29));
    QVERIFY(ReadAll(workCopy) == plain);
    QVERIFY(ReadAll(plainPath) == plain);  // the source is only read
  }
  h.Reset();
}

QTEST_MAIN(WindowDataPathTest)
#include "window_data_path.moc"
