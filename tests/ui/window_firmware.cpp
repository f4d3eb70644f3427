// The firmware upgrade dialog in the whole window against the virtual box:
// opened by its menu item, a .tfw chosen and sent through the boot loader
// with the progress texts in their order, the dialog refusing to close
// while the upgrade runs, and the main window closed in the middle of one.
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <vector>

#include "core/app/close_texts.h"
#include "core/app/text_ids.h"
#include "core/operations/firmware/firmware_image.h"
#include "core/operations/firmware/firmware_texts.h"
#include "core/operations/firmware/firmware_updater.h"
#include "ui/app/main_menu.h"
#include "ui/app/text_progress_bar.h"
#include "ui/operations/firmware_dialog.h"
#include "window_flow_support.h"

using namespace tarnwick;
using namespace tarnwick::test;

namespace {

// 64 blocks: the erase alone takes about a second (15 ms a block), time
// enough to act while the upgrade runs.
constexpr int kImageSize = 64 * 1024 - 3;
constexpr std::uint8_t kNewVersion = 0x24;

using Step = std::pair<int, QString>;

QByteArray FirmwareFile() {
  const QByteArray pattern = Pattern(kImageSize, 11);
  std::vector<std::uint8_t> image(pattern.begin(), pattern.end());
  image.back() = kNewVersion;  // the byte BOOT_FINISH carries
  const std::vector<std::uint8_t> file = *firmware::Pack(image);
  return QByteArray(reinterpret_cast<const char*>(file.data()), qsizetype(file.size()));
}

std::function<void(sim::BoxDescription&)> KeepsFirmware(const QString& dir) {
  return [dir](sim::BoxDescription& d) {
    d.firmwarePath = (dir + "box.fw").toStdString();
    d.speed = sim::SpeedKind::Realistic;
    sim::UseShippedBootTable(d, TARNWICK_PORTABLE_DIR);
  };
}

// The program's boot table in the window's base directory.
bool GiveBootTable(WindowHarness& h) {
  return QFile::copy(QStringLiteral(TARNWICK_PORTABLE_DIR "/sim-boot-table.bin"),
                     h.base() + firmware::kBootTableFile);
}

QPushButton* DialogButton(FirmwareDialog& d, int id) {
  return qobject_cast<QPushButton*>(d.Control(id));
}

bool OpenFirmwareDialog(WindowHarness& h) {
  if (!GiveBootTable(h) || !ShowAndStart(h)) return false;
  h.window().menu().Action(ids::kFirmwareUpgrade)->trigger();
  return QTest::qWaitFor([&] { return h.window().firmwareDialog().isVisible(); }, kLongWaitMs);
}

// Chooses `path` with "打开" through the file chooser.
void ChooseFirmware(FirmwareDialog& d, const QString& path) {
  ModalScript script;
  script.ChooseFile(path);
  DialogButton(d, ids::kFwOpenButton)->click();
}

std::vector<Step> Steps(const QSignalSpy& spy) {
  std::vector<Step> out;
  for (const QList<QVariant>& args : spy) out.emplace_back(args[0].toInt(), args[1].toString());
  return out;
}

// The index of the first step at or after `from` showing `text`, or -1.
int Find(const std::vector<Step>& steps, const QString& text, int from) {
  for (int i = std::max(from, 0); i < int(steps.size()); ++i) {
    if (steps[std::size_t(i)].second == text) return i;
  }
  return -1;
}

}  // namespace

class WindowFirmwareTest : public QObject {
  Q_OBJECT

 private slots:
  void anUpgradeFromTheDialogReplacesTheBoxFirmware();
  void aGoodUpgradeAfterARefusedFileReplacesTheRedStatus();
  void theMainWindowClosesOnlyOnceTheUpgradeHasEnded();
};

void WindowFirmwareTest::anUpgradeFromTheDialogReplacesTheBoxFirmware() {
  BoxWatcher boxes;
  QTemporaryDir kept;
  WindowHarness h({}, sim::SpeedKind::Realistic, KeepsFirmware(kept.path() + '/'));
  QVERIFY(OpenFirmwareDialog(h));
  ProgrammerDlg& w = h.window();
  FirmwareDialog& d = w.firmwareDialog();
  QCOMPARE(d.windowTitle(), Ftext(w, ftext::kFwTitle));
  QCOMPARE(DialogButton(d, ids::kFwUpgradeButton)->text(), Ftext(w, ftext::kFwUpgrade));
  QCOMPARE(d.progressBar().text(), Itext(w, itext::kFwChooseFile));
  QCOMPARE(d.progressBar().pos(), 0);
  QVERIFY(!DialogButton(d, ids::kFwUpgradeButton)->isEnabled());

  const QString path = h.base() + "new.tfw";
  const QByteArray file = FirmwareFile();
  QVERIFY(WriteAll(path, file));
  ChooseFirmware(d, path);
  QCOMPARE(qobject_cast<QLineEdit*>(d.Control(ids::kFwFileEdit))->text(), path);
  QVERIFY(DialogButton(d, ids::kFwUpgradeButton)->isEnabled());
  QCOMPARE(d.progressBar().text(), Itext(w, itext::kFwFileChosen));

  QSignalSpy progress(&d, &FirmwareDialog::progressShown);
  DialogButton(d, ids::kFwUpgradeButton)->click();
  // In the middle of the erase neither the close button nor Esc closes it,
  // and a second press starts nothing.
  const QString erasing = Itext(w, itext::kFwErasing);
  QTRY_VERIFY_WITH_TIMEOUT(d.progressBar().text().startsWith(erasing), 20000);
  QVERIFY(d.running() && w.session().firmware().UpgradeRunning());
  QVERIFY(!d.close());
  QTest::keyClick(&d, Qt::Key_Escape);
  d.reject();
  QVERIFY(d.isVisible());
  QVERIFY(!DialogButton(d, ids::kFwUpgradeButton)->isEnabled());
  QVERIFY(!DialogButton(d, ids::kFwOpenButton)->isEnabled());

  QVERIFY(WaitForJob(w, [&] { return !d.running(); }));
  QVERIFY(w.session().firmware().LastUpgradeAccepted());
  QCOMPARE(h.box().FirmwareVersion(), kNewVersion);
  QCOMPARE(ReadAll(kept.path() + "/box.fw"), file);

  // The bar's texts in their order, and the bar ends full with the notice.
  const std::vector<Step> steps = Steps(progress);
  int at = -1;
  for (const QString& text :
       {Itext(w, itext::kFwBootReady), Itext(w, itext::kFwPreparing), erasing + "50%",
        erasing + "100%", Itext(w, itext::kFwWriting) + "50%", Itext(w, itext::kFwWriting) + "100%",
        Itext(w, itext::kFwReadingBack) + "99%", Itext(w, itext::kFwReadingBack) + "100%",
        Itext(w, itext::kFwUpgradeDone)}) {
    const int next = Find(steps, text, at + 1);
    QVERIFY2(next > at, qPrintable(text));
    at = next;
  }
  QCOMPARE(steps.back(), Step(100, Itext(w, itext::kFwUpgradeDone)));
  QVERIFY(boxes.texts().empty());

  // Done: the dialog closes again, and opens anew without a file.
  QVERIFY(d.close());
  QVERIFY(!d.isVisible());
  w.menu().Action(ids::kFirmwareUpgrade)->trigger();
  QVERIFY(d.isVisible());
  QCOMPARE(d.progressBar().text(), Itext(w, itext::kFwChooseFile));
  QVERIFY(!DialogButton(d, ids::kFwUpgradeButton)->isEnabled());
}

// Cut mid-erase, the box would have no firmware: the close says why it waits
// and the window goes once the upgrade has ended, with the box upgraded.
void WindowFirmwareTest::theMainWindowClosesOnlyOnceTheUpgradeHasEnded() {
  BoxWatcher boxes;
  QTemporaryDir kept;
  WindowHarness h({}, sim::SpeedKind::Realistic, KeepsFirmware(kept.path() + '/'));
  QVERIFY(OpenFirmwareDialog(h));
  ProgrammerDlg& w = h.window();
  FirmwareDialog& d = w.firmwareDialog();
  const QString path = h.base() + "new.tfw";
  QVERIFY(WriteAll(path, FirmwareFile()));
  ChooseFirmware(d, path);
  DialogButton(d, ids::kFwUpgradeButton)->click();
  QTRY_VERIFY_WITH_TIMEOUT(d.progressBar().text().startsWith(Itext(w, itext::kFwErasing)), 20000);

  w.close();
  QTRY_COMPARE(boxes.texts().size(), std::size_t{1});
  QCOMPARE(boxes.texts().front(), QString::fromUtf8(close_texts::kWaitsForUpgrade));
  QVERIFY(w.isVisible());
  QVERIFY(w.session().firmware().UpgradeRunning());
  // A second close while it waits asks nothing more.
  w.close();
  QTest::qWait(100);
  QCOMPARE(boxes.texts().size(), std::size_t{1});

  QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 60000);
  QVERIFY(w.session().WorkerGone());
  QVERIFY(!d.isVisible());
  QVERIFY(w.session().firmware().LastUpgradeAccepted());
  QVERIFY(!h.box().InBootLoader());
  QCOMPARE(h.box().FirmwareVersion(), kNewVersion);
  h.Reset();
}

void WindowFirmwareTest::aGoodUpgradeAfterARefusedFileReplacesTheRedStatus() {
  QTemporaryDir kept;
  WindowHarness h({}, sim::SpeedKind::Instant, [&kept](sim::BoxDescription& d) {
    d.firmwarePath = (kept.path() + "/box.fw").toStdString();
    sim::UseShippedBootTable(d, TARNWICK_PORTABLE_DIR);
  });
  QVERIFY(OpenFirmwareDialog(h));
  ProgrammerDlg& w = h.window();
  FirmwareDialog& d = w.firmwareDialog();
  const QByteArray file = FirmwareFile();
  QByteArray damaged = file;
  damaged[100] = char(damaged[100] ^ 0x10);
  QVERIFY(WriteAll(h.base() + "damaged.tfw", damaged));
  QVERIFY(WriteAll(h.base() + "new.tfw", file));
  const QString refused = Itext(w, itext::kFwFileDamaged);
  const QString done = Itext(w, itext::kFwUpgradeDone);

  ChooseFirmware(d, h.base() + "damaged.tfw");
  DialogButton(d, ids::kFwUpgradeButton)->click();
  QVERIFY(WaitForJob(w, [&] { return StatusText(w).startsWith(refused); }));
  QVERIFY(w.statusError());

  ChooseFirmware(d, h.base() + "new.tfw");
  DialogButton(d, ids::kFwUpgradeButton)->click();
  QVERIFY(WaitForJob(w, [&] { return StatusText(w) == done; }));
  QVERIFY(!w.statusError());
  QVERIFY(PaneText(w).contains(done));
  QCOMPARE(h.box().FirmwareVersion(), kNewVersion);
}

QTEST_MAIN(WindowFirmwareTest)
#include "window_firmware.moc"
