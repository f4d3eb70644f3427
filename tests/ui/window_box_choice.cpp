// Two programmer boxes on one computer, as the window starts with them: it
// opens the one --device names and no other, and without --device it opens
// none and says which boxes there are.
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "core/app/data_layout.h"
#include "core/device/box_selector.h"
#include "core/operations/chip/detection.h"
#include "sim/box_bus.h"
#include "ui/app/app_options.h"
#include "ui/app/box_startup.h"
#include "window_flow_support.h"

using namespace tarnwick;
using namespace tarnwick::test;

namespace {

// The window over two virtual boxes (an EN25Q64 at 1:1, a W25Q128FV at 2:1),
// started as `tarnwick --simulate=a.box,b.box [--device WANTED]` starts it.
class TwoBoxWindow {
 public:
  explicit TwoBoxWindow(const std::string& wanted) {
    base_ = dir_.path() + '/';
    for (const char* f : {"ftext.ini", "itext.ini"}) {
      QFile::copy(QStringLiteral(TARNWICK_SOURCE_DIR "/resources/lang/en/") + f, base_ + f);
    }
    QFile::copy(QStringLiteral(TARNWICK_PORTABLE_DIR "/database.dat"), base_ + "database.dat");
    Write("a.box", "[box]\nserial = 0x000101\n[chip]\nmodel = EN25Q64\ncontent = a.bin\n");
    Write("b.box", "[box]\nserial = 0x000202\n[chip]\nmodel = W25Q128FV\ncontent = b.bin\n");
    std::string error;
    std::vector<std::string> ownFiles;
    std::string table;
    bus_ = sim::MakeVirtualBoxes({(base_ + "a.box").toStdString(), (base_ + "b.box").toStdString()},
                                 TARNWICK_PORTABLE_DIR, error, ownFiles, table);
    if (!bus_) qFatal("virtual boxes: %s", error.c_str());
    selector_ = std::make_unique<BoxSelector>(*bus_);
    notice_ = ChooseStartBox(*selector_, wanted);
    window_ = std::make_unique<ProgrammerDlg>(
        ProgrammerDlg::Options{OneFolderLayout(base_.toStdString()), true, table}, *selector_);
  }

  // Shows the window, runs the start-up and waits for its detection.
  bool Start() {
    window_->show();
    if (!QTest::qWaitForWindowExposed(window_.get())) return false;
    window_->Start();
    ShowStartBoxNotice(window_->session(), notice_);
    QTest::qWait(50);
    return WaitForJob(*window_);
  }

  ProgrammerDlg& window() { return *window_; }
  QString model() { return Combo(*window_, ids::kModelList)->currentText(); }

 private:
  void Write(const QString& name, const QByteArray& text) {
    QFile f(base_ + name);
    if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size()) qFatal("cannot write");
  }

  QTemporaryDir dir_;
  QString base_;
  std::unique_ptr<UsbApi> bus_;
  std::unique_ptr<BoxSelector> selector_;
  StartBoxNotice notice_;
  std::unique_ptr<ProgrammerDlg> window_;  // last: it goes before the boxes it talks to
};

}  // namespace

class WindowBoxChoiceTest : public QObject {
  Q_OBJECT

 private slots:
  void deviceOpensTheNamedBoxByPlaceOrSerial();
  void withoutDeviceSeveralBoxesAreListedAndNoneIsOpened();
  void aDeviceNoBoxAnswersToIsSaidAndNoneIsOpened();
  void deviceOptionNeedsItsValue();
};

void WindowBoxChoiceTest::deviceOpensTheNamedBoxByPlaceOrSerial() {
  {
    TwoBoxWindow t("2:1");
    QVERIFY(t.Start());
    // Its identification is shared by the W25Q128 models: detection selects the first.
    QVERIFY2(t.model().startsWith("W25Q128"), qPrintable(t.model()));
    QVERIFY2(PaneText(t.window()).contains("Programmer box in use (--device): 2:1  serial 000514"),
             qPrintable(PaneText(t.window())));
  }
  {
    // The serial number as the box list shows it, leading zeros left out.
    TwoBoxWindow t("257");
    QVERIFY(t.Start());
    QCOMPARE(t.model(), QStringLiteral("EN25Q64"));
    QVERIFY2(PaneText(t.window()).contains("1:1  serial 000257"), qPrintable(PaneText(t.window())));
  }
}

void WindowBoxChoiceTest::withoutDeviceSeveralBoxesAreListedAndNoneIsOpened() {
  TwoBoxWindow t("");
  QVERIFY(t.Start());
  const QString pane = PaneText(t.window());
  QVERIFY2(pane.contains("2 programmer boxes are connected; none is opened. Start Tarnwick with "
                         "--device BUS:DEVICE or --device SERIAL"),
           qPrintable(pane));
  QVERIFY2(pane.contains("  1:1  serial 000257") && pane.contains("  2:1  serial 000514"),
           qPrintable(pane));
  QCOMPARE(pane.count("programmer boxes are connected"), 1);
  QCOMPARE(t.window().session().LastDetectResult(), kDetectNoDevice);
  QVERIFY(t.window().statusError());
}

void WindowBoxChoiceTest::aDeviceNoBoxAnswersToIsSaidAndNoneIsOpened() {
  TwoBoxWindow t("9:9");
  QVERIFY(t.Start());
  const QString pane = PaneText(t.window());
  QVERIFY2(pane.contains("No programmer box \"9:9\" (--device BUS:DEVICE or SERIAL) is connected; "
                         "none is opened. The connected boxes:"),
           qPrintable(pane));
  QVERIFY2(pane.contains("  2:1  serial 000514"), qPrintable(pane));
  QCOMPARE(t.window().session().LastDetectResult(), kDetectNoDevice);
}

void WindowBoxChoiceTest::deviceOptionNeedsItsValue() {
  QCOMPARE(ParseAppOptions({"tarnwick", "--device", "2:1", "--simulate=a.box,b.box"}).device,
           QStringLiteral("2:1"));
  QCOMPARE(ParseAppOptions({"tarnwick", "--device=000514"}).device, QStringLiteral("000514"));
  QVERIFY(ParseAppOptions({"tarnwick", "--device"}).error.contains("--device"));
  QVERIFY(ParseAppOptions({"tarnwick", "--device="}).error.contains("--device"));
}

QTEST_MAIN(WindowBoxChoiceTest)
#include "window_box_choice.moc"
