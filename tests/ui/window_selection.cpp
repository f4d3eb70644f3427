// Chip selection as the window shows it: the three lists, the capacity text,
// the socket picture and the QE controls, and the start-up detection that
// picks the chip in the virtual socket.
#include <QComboBox>
#include <QIcon>
#include <QImage>

#include "sim/box_description.h"
#include "ui/app/icons.h"
#include "window_flow_support.h"

using namespace tarnwick;
using namespace tarnwick::test;

namespace {

QImage Picture(const QIcon& icon) { return icon.pixmap(QSize(70, 44)).toImage(); }

// True when button 1071 shows the socket picture of `resource`.
bool SocketShows(ProgrammerDlg& w, int resource) {
  return Picture(Button(w, ids::kSocketPicture)->icon()) == Picture(IconForResource(resource));
}

bool QeShown(ProgrammerDlg& w) {
  return w.Control(ids::kQeCheck)->isVisible() && w.Control(ids::kQeConfigButton)->isVisible();
}
bool QeHidden(ProgrammerDlg& w) {
  return !w.Control(ids::kQeCheck)->isVisible() && !w.Control(ids::kQeConfigButton)->isVisible();
}

QStringList Items(QComboBox* c) {
  QStringList out;
  for (int i = 0; i < c->count(); ++i) out << c->itemText(i);
  return out;
}

void NoBox(sim::BoxDescription& d) { d.present = false; }

}  // namespace

class WindowSelectionTest : public QObject {
  Q_OBJECT

 private slots:
  void startsWithTheFirstChipOfTheCatalogue();
  void choosingTypeMakerAndModelUpdatesWhatIsShown();
  void qeControlsFollowMakerAndSize();
  void startUpDetectionSelectsTheVirtualChip();
};

void WindowSelectionTest::startsWithTheFirstChipOfTheCatalogue() {
  // Without a box the start-up detection changes nothing.
  WindowHarness h({}, sim::SpeedKind::Instant, NoBox);
  QVERIFY2(h.hasCatalogue(), "the portable folder lacks database.dat (build portable_data)");
  ProgrammerDlg& w = h.window();
  QVERIFY(ShowAndStart(h));
  QTRY_COMPARE(StatusText(w), Itext(w, 34));

  QCOMPARE(Items(Combo(w, ids::kTypeList)),
           QStringList({"25 SPI FLASH", "24 EEPROM", "93 EEPROM", "25 EEPROM", "95 EEPROM"}));
  QCOMPARE(Combo(w, ids::kTypeList)->currentIndex(), 0);
  QCOMPARE(Combo(w, ids::kMakerList)->currentText(), QStringLiteral("AMIC"));
  QCOMPARE(Combo(w, ids::kMakerList)->currentIndex(), 0);
  QCOMPARE(Combo(w, ids::kModelList)->currentText(), QStringLiteral("A25L05PT"));
  QCOMPARE(Combo(w, ids::kModelList)->currentIndex(), 0);
  QCOMPARE(ControlCaption(w, ids::kCapacityText), QStringLiteral("512Kbits/64Kbytes"));
  QVERIFY(SocketShows(w, ids::kSocketIconClass0));
  QVERIFY(QeHidden(w));
  h.Reset();
}

void WindowSelectionTest::choosingTypeMakerAndModelUpdatesWhatIsShown() {
  WindowHarness h({}, sim::SpeedKind::Instant, NoBox);
  ProgrammerDlg& w = h.window();
  QVERIFY(ShowAndStart(h));
  QComboBox* makers = Combo(w, ids::kMakerList);
  QComboBox* models = Combo(w, ids::kModelList);

  // A new type refills both lists and selects their first entries.
  QVERIFY(Choose(w, ids::kTypeList, "24 EEPROM"));
  QCOMPARE(Items(makers), QStringList({"ATMEL", "GENERIC", "MICROCHIP", "ST"}));
  QCOMPARE(makers->currentIndex(), 0);
  QCOMPARE(models->currentText(), QStringLiteral("AT24C01"));
  QCOMPARE(models->itemText(1), QStringLiteral("AT24C02"));
  QCOMPARE(ControlCaption(w, ids::kCapacityText), QStringLiteral("1Kbits/128bytes"));
  QVERIFY(SocketShows(w, ids::kSocketIconClass1));

  QVERIFY(Choose(w, ids::kModelList, "AT24C512"));
  QCOMPARE(ControlCaption(w, ids::kCapacityText), QStringLiteral("512Kbits/64Kbytes"));
  QVERIFY(Choose(w, ids::kMakerList, "MICROCHIP"));
  QCOMPARE(models->currentText(), QStringLiteral("24AA01"));
  QCOMPARE(ControlCaption(w, ids::kCapacityText), QStringLiteral("1Kbits/128bytes"));

  // Word-organised chips show their capacity field as it stands.
  QVERIFY(ChooseChip(w, "93 EEPROM", "ATMEL", "AT93C46(x8)"));
  QVERIFY(SocketShows(w, ids::kSocketIconClass3Sub0));
  QVERIFY(Choose(w, ids::kModelList, "AT93C46(x16)"));
  QCOMPARE(ControlCaption(w, ids::kCapacityText), QStringLiteral("64*16bit"));
  QVERIFY(SocketShows(w, ids::kSocketIconClass3Sub1));
  QVERIFY(Choose(w, ids::kModelList, "AT93C86(x8)"));
  QCOMPARE(ControlCaption(w, ids::kCapacityText), QStringLiteral("16Kbits/2Kbytes"));

  QVERIFY(ChooseChip(w, "25 SPI FLASH", "EON", "EN25Q64"));
  QCOMPARE(ControlCaption(w, ids::kCapacityText), QStringLiteral("64Mbits/8Mbytes"));
  QVERIFY(SocketShows(w, ids::kSocketIconClass0));
  QVERIFY(Choose(w, ids::kMakerList, "WINBOND"));
  QVERIFY(Choose(w, ids::kModelList, "W25Q01JV"));  // 128 MiB
  QCOMPARE(ControlCaption(w, ids::kCapacityText), QStringLiteral("1Gbits/128Mbytes"));
  h.Reset();
}

void WindowSelectionTest::qeControlsFollowMakerAndSize() {
  WindowHarness h({}, sim::SpeedKind::Instant, NoBox);
  ProgrammerDlg& w = h.window();
  QVERIFY(ShowAndStart(h));
  QVERIFY(ChooseChip(w, "25 SPI FLASH", "WINBOND", "W25P16"));  // 2 MiB
  QVERIFY(QeShown(w));
  QVERIFY(Choose(w, ids::kModelList, "W25Q40BV"));  // 512 KiB
  QVERIFY(QeHidden(w));
  // Exactly 1 MiB lies above the 0xFFFFF threshold of the rule.
  QVERIFY(Choose(w, ids::kModelList, "W25P80"));
  QVERIFY(QeShown(w));
  QVERIFY(Choose(w, ids::kModelList, "W25Q16BV"));
  QVERIFY(QeShown(w));
  // Another maker of the same type, and an EEPROM type, hide them again.
  QVERIFY(Choose(w, ids::kMakerList, "EON"));
  QVERIFY(QeHidden(w));
  QVERIFY(ChooseChip(w, "25 SPI FLASH", "WINBOND", "W25P32"));
  QVERIFY(QeShown(w));
  QVERIFY(Choose(w, ids::kTypeList, "25 EEPROM"));
  QVERIFY(QeHidden(w));
  h.Reset();
}

void WindowSelectionTest::startUpDetectionSelectsTheVirtualChip() {
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  QVERIFY(ShowAndStart(h));
  QTRY_COMPARE(Combo(w, ids::kModelList)->currentText(), QStringLiteral("EN25Q64"));
  QCOMPARE(Combo(w, ids::kTypeList)->currentText(), QStringLiteral("25 SPI FLASH"));
  QCOMPARE(Combo(w, ids::kMakerList)->currentText(), QStringLiteral("EON"));
  QCOMPARE(ControlCaption(w, ids::kCapacityText), QStringLiteral("64Mbits/8Mbytes"));
  QVERIFY(QeHidden(w));
  QVERIFY(!w.statusError());
  // The hex view now spans the 8 MiB chip: the bar can scroll.
  QVERIFY(w.session().LoadUserFile((h.base() + "ftext.ini").toStdString()));
  h.Settle();
  QVERIFY(w.Control(ids::kHexScrollBar)->isEnabled());
  // The operation buttons are ready for this chip.
  for (int id : {ids::kAutoProgramButton, ids::kEraseButton, ids::kProgramButton, ids::kReadButton,
                 ids::kVerifyButton, ids::kBlankCheckButton}) {
    QVERIFY(w.Control(id)->isEnabled());
  }
  h.Reset();
}

QTEST_MAIN(WindowSelectionTest)
#include "window_selection.moc"
