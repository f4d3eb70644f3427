// The hex view in the real window: what a page shows and in which colours,
// the scroll bar and the wheel, typing over bytes in edit mode, appending
// past the end, Enter, and all of it refused while an operation runs.
#include <QAction>
#include <QCheckBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QWheelEvent>

#include "core/buffers/hex_view.h"
#include "ui/app/main_menu.h"
#include "ui/grid/grid_cell.h"
#include "window_flow_support.h"

using namespace tarnwick;
using namespace tarnwick::test;

namespace {

constexpr GridColor kBlack = GridRgb(0, 0, 0);
constexpr GridColor kRed = GridRgb(255, 0, 0);
constexpr GridColor kGrey = GridRgb(204, 204, 204);
constexpr GridColor kPastChipEnd = GridRgb(100, 149, 237);

QString HexByte(std::uint8_t b) {
  return QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
}

GridColor TextColour(CGridCtrl* grid, int row, int col) {
  return grid->GetCell(row, col)->GetTextClr();
}

QScrollBar* Bar(ProgrammerDlg& w) {
  return qobject_cast<QScrollBar*>(w.Control(ids::kHexScrollBar));
}
QString AddressOf(int offset) {
  return QStringLiteral("%1").arg(offset, 8, 16, QLatin1Char('0')).toUpper();
}

QLineEdit* Editor(ProgrammerDlg& w) { return qobject_cast<QLineEdit*>(w.Control(ids::kHexInput)); }

// Clicks the left (or right) half of a byte cell.
void ClickCell(ProgrammerDlg& w, int row, int col, bool rightHalf = false) {
  CGridCtrl* grid = Grid(w);
  QRect cell;
  if (!grid->GetCellRect(row, col, cell)) qFatal("no cell %d,%d", row, col);
  const QPoint at = cell.center() + QPoint(rightHalf ? 5 : -5, 0);
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
  QCoreApplication::processEvents();
}

void Type(ProgrammerDlg& w, const QString& keys) {
  for (QChar c : keys) QTest::keyClicks(Editor(w), QString(c));
  QCoreApplication::processEvents();
}

QByteArray WorkingCopy(WindowHarness& h) { return ReadAll(h.base() + "h_ven1.dll"); }

// Drags the scroll bar's thumb with the mouse to the bottom end.
void DragThumbToEnd(QScrollBar* bar) {
  QStyleOptionSlider opt;
  opt.initFrom(bar);
  opt.subControls = QStyle::SC_All;
  opt.orientation = Qt::Vertical;
  opt.minimum = bar->minimum();
  opt.maximum = bar->maximum();
  opt.sliderPosition = bar->sliderPosition();
  opt.sliderValue = bar->value();
  opt.singleStep = bar->singleStep();
  opt.pageStep = bar->pageStep();
  const QRect thumb =
      bar->style()->subControlRect(QStyle::CC_ScrollBar, &opt, QStyle::SC_ScrollBarSlider, bar);
  auto send = [bar](QEvent::Type type, QPoint p, Qt::MouseButton b, Qt::MouseButtons held) {
    QMouseEvent e(type, QPointF(p), bar->mapToGlobal(QPointF(p)), b, held, Qt::NoModifier);
    QApplication::sendEvent(bar, &e);
  };
  QPoint p = thumb.center();
  send(QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
  for (int step = 0; step < 10; ++step) {
    p.ry() += bar->height() / 8;
    send(QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton);
    QCoreApplication::processEvents();
  }
  send(QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
  QCoreApplication::processEvents();
}

void Wheel(QWidget* over, int delta) {
  const QPointF pos(over->width() / 2.0, over->height() / 2.0);
  QWheelEvent e(pos, over->mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton,
                Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(over, &e);
  QCoreApplication::processEvents();
}

// A window with the start-up done, the given chip chosen and `data` loaded.
bool Prepare(WindowHarness& h, const QString& type, const QString& maker, const QString& model,
             const QByteArray& data, const QString& name = QStringLiteral("view.bin")) {
  ProgrammerDlg& w = h.window();
  if (!ShowAndStart(h)) return false;
  w.activateWindow();
  if (!QTest::qWaitForWindowActive(&w)) return false;
  if (!model.isEmpty() && !ChooseChip(w, type, maker, model)) return false;
  const QString path = h.base() + name;
  if (!WriteAll(path, data)) return false;
  const bool loaded = w.session().LoadUserFile(path.toStdString());
  h.Settle();
  return loaded;
}

void EditModeOn(ProgrammerDlg& w) {
  QTest::mouseClick(w.Control(ids::kEditModeCheck), Qt::LeftButton);
  QCoreApplication::processEvents();
}

}  // namespace

class WindowHexViewTest : public QObject {
  Q_OBJECT

 private slots:
  void smallImageShowsItsRowsAndGreyRest();
  void largeImageScrollsByThumbAndWheel();
  void typingTwoDigitsWritesAndMovesOn();
  void editModeFromTheMenu();
  void editingPastTheEndAppends();
  void pastChipEndAndChangedColours();
  void enterCommitsTheOpenCell();
  void typedByteTurnsRedAtOnceAndTheMarkScrollsWithIt();
  void editModeFollowsTheFocusCellAndHandsTheKeysBack();
  void aClearedFocusLeavesNoHighlight();
  void editorScrolledAwayLeavesTheWheelWorking();
  void arrowsInTheEditorNeverDropADigit();
  void everythingIsRefusedWhileAnOperationRuns();
  void screenshotOfAnEditedImage();
};

void WindowHexViewTest::smallImageShowsItsRowsAndGreyRest() {
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  QByteArray data(100, '\0');
  for (int i = 0; i < data.size(); ++i) data[i] = static_cast<char>(0x30 + i);
  data[1] = ' ';
  data[2] = static_cast<char>(0x7F);
  data[3] = '~';
  data[4] = static_cast<char>(0x21);
  QVERIFY(Prepare(h, "24 EEPROM", "ATMEL", "AT24C02", data));  // a 256-byte chip: 16 rows
  CGridCtrl* grid = Grid(w);

  for (int row = 1; row <= 20; ++row) {
    QCOMPARE(grid->GetCellText(row, 0),
             QStringLiteral("%1").arg((row - 1) * 16, 8, 16, QLatin1Char('0')).toUpper());
    for (int col = 1; col <= 16; ++col) {
      const int o = (row - 1) * 16 + col - 1;
      if (o < data.size()) {
        QCOMPARE(grid->GetCellText(row, col), HexByte(static_cast<std::uint8_t>(data[o])));
        QCOMPARE(TextColour(grid, row, col), kBlack);
      } else {
        QCOMPARE(grid->GetCellText(row, col), QStringLiteral("FF"));
        QCOMPARE(TextColour(grid, row, col), kGrey);
      }
    }
  }
  // Row 7 holds the last four bytes.
  QCOMPARE(grid->GetCellText(7, 4), HexByte(0x30 + 99));
  QCOMPARE(TextColour(grid, 7, 5), kGrey);
  // Space, DEL and bytes past the end show as dots; '!' and '~' as themselves.
  QVERIFY2(grid->GetCellText(1, 17).startsWith(QStringLiteral("0..~!")),
           qPrintable(grid->GetCellText(1, 17)));
  QCOMPARE(grid->GetCellText(8, 17), QStringLiteral("................"));
  // Nothing to scroll: the bar is there but disabled.
  QScrollBar* bar = Bar(w);
  QVERIFY(bar->isVisible());
  QVERIFY(!bar->isEnabled());
  QCOMPARE(bar->maximum(), 0);
  Wheel(grid->viewport(), -120);
  QCOMPARE(grid->GetCellText(1, 0), QStringLiteral("00000000"));
  h.Reset();
}

void WindowHexViewTest::largeImageScrollsByThumbAndWheel() {
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  const QByteArray data = Pattern(1 << 20, 11);
  QVERIFY(Prepare(h, "25 SPI FLASH", "WINBOND", "W25P80", data));  // 1 MiB chip
  CGridCtrl* grid = Grid(w);
  QScrollBar* bar = Bar(w);
  QVERIFY(bar->isEnabled());
  QCOMPARE(bar->maximum(), 32767);

  // The wheel scrolls only while the view has the focus.
  Button(w, ids::kBrowseButton)->setFocus();
  Wheel(grid->viewport(), -120);
  QCOMPARE(grid->GetCellText(1, 0), QStringLiteral("00000000"));
  ClickCell(w, 3, 3);  // edit mode off: the click only focuses
  QVERIFY(!Editor(w)->isVisible());
  Wheel(grid->viewport(), -120);
  Wheel(grid->viewport(), -120);
  QCOMPARE(grid->GetCellText(1, 0), QStringLiteral("00000020"));
  QCOMPARE(grid->GetCellText(1, 1), HexByte(static_cast<std::uint8_t>(data[0x20])));
  Wheel(grid->viewport(), 120);
  QCOMPARE(grid->GetCellText(1, 0), QStringLiteral("00000010"));
  // A line step of the bar's arrow.
  bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  QCOMPARE(grid->GetCellText(1, 0), QStringLiteral("00000020"));

  // The end shows as many rows as the view holds whole, the last row of the
  // image at the bottom.
  DragThumbToEnd(bar);
  QCOMPARE(bar->value(), 32767);
  const int page = w.session().hexView().pageRows();
  QCOMPARE(grid->GetCellText(1, 0), AddressOf(0x100000 - page * 16));
  QCOMPARE(grid->GetCellText(page, 0), QStringLiteral("000FFFF0"));
  for (int col = 1; col <= 16; ++col) {
    QCOMPARE(grid->GetCellText(page, col),
             HexByte(static_cast<std::uint8_t>(data[0xFFFF0 + col - 1])));
    QCOMPARE(TextColour(grid, page, col), kBlack);
  }
  // The end stays the end.
  Wheel(grid->viewport(), -120);
  QCOMPARE(grid->GetCellText(page, 0), QStringLiteral("000FFFF0"));
  h.Reset();
}

void WindowHexViewTest::typingTwoDigitsWritesAndMovesOn() {
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  QVERIFY(Prepare(h, "24 EEPROM", "ATMEL", "AT24C02", QByteArray(100, '\xFF')));
  CGridCtrl* grid = Grid(w);
  EditModeOn(w);
  QVERIFY(qobject_cast<QCheckBox*>(w.Control(ids::kEditModeCheck))->isChecked());
  QVERIFY(w.menu().Action(ids::kEditModeMenu)->isChecked());

  ClickCell(w, 2, 5);  // offset 0x14
  QLineEdit* editor = Editor(w);
  QTRY_VERIFY(editor->isVisible());
  QCOMPARE(StatusText(w), Itext(w, 3));
  QCOMPARE(editor->text(), QStringLiteral("FF"));
  QCOMPARE(editor->selectedText(), QStringLiteral("F"));
  QCOMPARE(editor->selectionStart(), 0);
  // The editor lies over its cell.
  QRect cell;
  QVERIFY(grid->GetCellRect(2, 5, cell));
  const QRect cellInWindow(grid->viewport()->mapTo(w.centralWidget(), cell.topLeft()), cell.size());
  QVERIFY2(cellInWindow.contains(editor->geometry().center()),
           qPrintable(QStringLiteral("%1,%2 %3x%4")
                          .arg(editor->x())
                          .arg(editor->y())
                          .arg(editor->width())
                          .arg(editor->height())));

  Type(w, "3");
  QCOMPARE(static_cast<std::uint8_t>(WorkingCopy(h)[0x14]), std::uint8_t(0x3F));
  QCOMPARE(grid->GetCellText(2, 5), QStringLiteral("3F"));
  QCOMPARE(TextColour(grid, 2, 5), kRed);
  QCOMPARE(editor->selectionStart(), 1);  // now over the second digit
  QCOMPARE(editor->palette().color(QPalette::Text), QColor(255, 0, 0));
  Type(w, "C");
  QCOMPARE(static_cast<std::uint8_t>(WorkingCopy(h)[0x14]), std::uint8_t(0x3C));
  QCOMPARE(grid->GetCellText(2, 5), QStringLiteral("3C"));
  // The editor moved on to the next byte, first digit selected.
  QVERIFY(grid->GetCellRect(2, 6, cell));
  const QRect nextInWindow(grid->viewport()->mapTo(w.centralWidget(), cell.topLeft()), cell.size());
  QVERIFY(nextInWindow.contains(editor->geometry().center()));
  QCOMPARE(editor->text(), QStringLiteral("FF"));
  QCOMPARE(editor->selectionStart(), 0);
  QCOMPARE(editor->palette().color(QPalette::Text), QColor(0, 0, 0));
  // The highlight went with the editor: the typed byte shows in red.
  QVERIFY(!grid->IsCellSelected(2, 5));
  QVERIFY(grid->IsCellSelected(2, 6));
  QVERIFY(w.menu().Action(ids::kSaveFile)->isEnabled());

  // A right-half click starts at the second digit; a wrong key is refused.
  ClickCell(w, 1, 1, true);
  QCOMPARE(editor->selectionStart(), 1);
  BoxWatcher boxes;
  Type(w, "G");
  QTRY_COMPARE(boxes.texts().size(), size_t(1));
  QCOMPARE(boxes.texts()[0], Itext(w, 8));
  QCOMPARE(static_cast<std::uint8_t>(WorkingCopy(h)[0]), std::uint8_t(0xFF));
  QCOMPARE(grid->GetCellText(1, 1), QStringLiteral("FF"));
  QCOMPARE(WorkingCopy(h).size(), 100);
  h.Reset();
}

void WindowHexViewTest::editModeFromTheMenu() {
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  QVERIFY(ShowAndStart(h));
  auto* check = qobject_cast<QCheckBox*>(w.Control(ids::kEditModeCheck));
  // Without a file there is nothing to edit.
  QTest::mouseClick(check, Qt::LeftButton);
  QTRY_COMPARE(StatusText(w), Itext(w, 4));
  QVERIFY(!check->isChecked());
  QVERIFY(w.statusError());

  QVERIFY(Prepare(h, {}, {}, {}, Pattern(64, 2)));
  QAction* item = w.menu().Action(ids::kEditModeMenu);
  QVERIFY(item->isEnabled());
  item->trigger();
  QTRY_COMPARE(StatusText(w), Itext(w, 5));
  QVERIFY(check->isChecked());
  QVERIFY(item->isChecked());
  // Edit mode offers file fill; the menu item stays grey until the fill tool
  // handles it, so the core's state is what is checked.
  QVERIFY(w.surface().IsCommandEnabled(ids::kFileFill));
  item->trigger();
  QTRY_COMPARE(StatusText(w), Itext(w, 6));
  QVERIFY(!check->isChecked());
  QVERIFY(!item->isChecked());
  QVERIFY(!w.surface().IsCommandEnabled(ids::kFileFill));
  QVERIFY(!w.menu().Action(ids::kFileFill)->isEnabled());
  // Clicks outside edit mode never open the editor.
  ClickCell(w, 1, 1);
  QVERIFY(!Editor(w)->isVisible());
  h.Reset();
}

void WindowHexViewTest::editingPastTheEndAppends() {
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  const QByteArray data = Pattern(100, 12);
  QVERIFY(Prepare(h, "24 EEPROM", "ATMEL", "AT24C02", data));
  CGridCtrl* grid = Grid(w);
  EditModeOn(w);

  ClickCell(w, 7, 5);  // offset 100, right after the last byte
  Type(w, "12");
  QByteArray copy = WorkingCopy(h);
  QCOMPARE(copy.size(), 101);
  QCOMPARE(static_cast<std::uint8_t>(copy[100]), std::uint8_t(0x12));
  QVERIFY(copy.left(100) == data);
  QCOMPARE(TextColour(grid, 7, 5), kRed);
  QCOMPARE(TextColour(grid, 7, 6), kGrey);  // the editor's next cell is still past the end
  QVERIFY(w.windowTitle().endsWith(QStringLiteral("0.10KB")));

  ClickCell(w, 7, 15);  // offset 110: the gap fills with FF
  Type(w, "34");
  copy = WorkingCopy(h);
  QCOMPARE(copy.size(), 111);
  QCOMPARE(copy.mid(101, 9), QByteArray(9, '\xFF'));
  QCOMPARE(static_cast<std::uint8_t>(copy[110]), std::uint8_t(0x34));
  for (int col = 5; col <= 15; ++col) QCOMPARE(TextColour(grid, 7, col), kRed);
  QCOMPARE(TextColour(grid, 7, 16), kGrey);
  QCOMPARE(w.session().image().size(), std::uint64_t(111));
  h.Reset();
}

void WindowHexViewTest::pastChipEndAndChangedColours() {
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  QVERIFY(Prepare(h, "24 EEPROM", "ATMEL", "AT24C02", QByteArray(320, 'x')));
  CGridCtrl* grid = Grid(w);
  QCOMPARE(TextColour(grid, 16, 16), kBlack);        // offset 255, the chip's last byte
  QCOMPARE(TextColour(grid, 17, 1), kPastChipEnd);   // offset 256
  QCOMPARE(TextColour(grid, 20, 16), kPastChipEnd);  // offset 319
  QCOMPARE(grid->GetCellText(17, 17), QStringLiteral("xxxxxxxxxxxxxxxx"));

  EditModeOn(w);
  ClickCell(w, 17, 2);
  Type(w, "00");
  QCOMPARE(TextColour(grid, 17, 2), kRed);
  QCOMPARE(TextColour(grid, 17, 1), kPastChipEnd);
  QCOMPARE(TextColour(grid, 17, 3), kPastChipEnd);
  QCOMPARE(grid->GetCellText(17, 17), QStringLiteral("x.xxxxxxxxxxxxxx"));

  // A larger chip takes the bytes back inside.
  QVERIFY(Choose(w, ids::kModelList, QStringLiteral("AT24C04")));
  h.Settle();
  QCOMPARE(TextColour(grid, 17, 1), kBlack);
  QCOMPARE(TextColour(grid, 17, 2), kRed);
  h.Reset();
}

void WindowHexViewTest::enterCommitsTheOpenCell() {
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  QVERIFY(Prepare(h, "24 EEPROM", "ATMEL", "AT24C02", Pattern(100, 13)));
  EditModeOn(w);

  // An unchanged byte: Enter closes the editor without writing.
  ClickCell(w, 1, 1);
  QTRY_VERIFY(Editor(w)->isVisible());
  QTest::keyClick(Editor(w), Qt::Key_Return);
  QTRY_VERIFY(!Editor(w)->isVisible());
  QCOMPARE(StatusText(w), Itext(w, 10));
  QCOMPARE(WorkingCopy(h).size(), 100);

  // The cell right after the end: Enter appends the shown FF.
  ClickCell(w, 7, 5);
  QTRY_VERIFY(Editor(w)->isVisible());
  QTest::keyClick(Editor(w), Qt::Key_Enter);
  QTRY_VERIFY(!Editor(w)->isVisible());
  QCOMPARE(StatusText(w), Itext(w, 11));
  const QByteArray copy = WorkingCopy(h);
  QCOMPARE(copy.size(), 101);
  QCOMPARE(static_cast<std::uint8_t>(copy[100]), std::uint8_t(0xFF));
  QVERIFY(w.isVisible());  // Enter never presses a default button
  h.Reset();
}

// A 512-byte chip holds 32 rows, so a page of 20 can scroll.
static bool PrepareZeros(WindowHarness& h, int size = 512) {
  return Prepare(h, "24 EEPROM", "ATMEL", "AT24C04", QByteArray(size, '\0'));
}

void WindowHexViewTest::typedByteTurnsRedAtOnceAndTheMarkScrollsWithIt() {
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  QVERIFY(PrepareZeros(h));
  CGridCtrl* grid = Grid(w);
  EditModeOn(w);

  // The first digit leaves "00" as it was; only the second changes the byte.
  ClickCell(w, 3, 1);  // offset 0x20
  Type(w, "05");
  QCOMPARE(static_cast<std::uint8_t>(WorkingCopy(h)[0x20]), std::uint8_t(0x05));
  QCOMPARE(grid->GetCellText(3, 1), QStringLiteral("05"));
  QCOMPARE(TextColour(grid, 3, 1), kRed);
  QCOMPARE(TextColour(grid, 3, 2), kBlack);

  // The last cell of the page: the second digit scrolls one row, and the red
  // mark goes up with its byte instead of staying on the grid's cell.
  const int page = w.session().hexView().pageRows();
  const int last = page * 16 - 1;  // 0x13F with 20 rows
  ClickCell(w, page, 16);
  Type(w, "07");
  QCOMPARE(static_cast<std::uint8_t>(WorkingCopy(h)[last]), std::uint8_t(0x07));
  QCOMPARE(grid->GetCellText(1, 0), QStringLiteral("00000010"));
  QCOMPARE(grid->GetCellText(page - 1, 16), QStringLiteral("07"));
  QCOMPARE(TextColour(grid, page - 1, 16), kRed);
  QCOMPARE(TextColour(grid, page, 16), kBlack);  // the byte 16 on, untouched
  QCOMPARE(TextColour(grid, 2, 1), kRed);        // 0x20 moved up one row too
  QCOMPARE(TextColour(grid, 3, 1), kBlack);
  h.Reset();
}

void WindowHexViewTest::editModeFollowsTheFocusCellAndHandsTheKeysBack() {
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  QVERIFY(PrepareZeros(h));
  CGridCtrl* grid = Grid(w);
  QLineEdit* editor = Editor(w);

  ClickCell(w, 2, 3);  // edit mode off: the click only focuses
  QTest::keyClick(grid, Qt::Key_Right);
  QCOMPARE(grid->GetFocusCell(), CellId(2, 4));
  EditModeOn(w);
  // Ticking opens the editor on the cell the keyboard moved to.
  QTRY_VERIFY(editor->isVisible());
  QRect cell;
  QVERIFY(grid->GetCellRect(2, 4, cell));
  const QRect inWindow(grid->viewport()->mapTo(w.centralWidget(), cell.topLeft()), cell.size());
  QVERIFY(inWindow.contains(editor->geometry().center()));
  QCOMPARE(editor->selectionStart(), 0);
  QCOMPARE(editor->selectedText().size(), 1);
  QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(editor));

  // Unticking hides it and gives the grid the keys: the next one moves on.
  EditModeOn(w);
  QTRY_VERIFY(!editor->isVisible());
  QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(grid));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
  QCOMPARE(grid->GetFocusCell(), CellId(2, 5));
  QVERIFY(WorkingCopy(h) == QByteArray(512, '\0'));
  h.Reset();
}

void WindowHexViewTest::aClearedFocusLeavesNoHighlight() {
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  QVERIFY(PrepareZeros(h));
  CGridCtrl* grid = Grid(w);

  ClickCell(w, 1, 1);
  QVERIFY(grid->IsCellSelected(1, 1));
  // Its row scrolls off the page: the focus goes, and the blue with it.
  Wheel(grid->viewport(), -120);
  QCOMPARE(grid->GetCellText(1, 0), QStringLiteral("00000010"));
  QCOMPARE(grid->GetFocusCell(), CellId());
  QCOMPARE(grid->GetSelectedCount(), 0);

  // A load clears the focus and the highlight as well.
  ClickCell(w, 4, 4);
  QVERIFY(grid->IsCellSelected(4, 4));
  const QString other = h.base() + QStringLiteral("other.bin");
  QVERIFY(WriteAll(other, QByteArray(64, '\1')));
  QVERIFY(w.session().LoadUserFile(other.toStdString()));
  h.Settle();
  QCOMPARE(grid->GetFocusCell(), CellId());
  QCOMPARE(grid->GetSelectedCount(), 0);
  h.Reset();
}

void WindowHexViewTest::editorScrolledAwayLeavesTheWheelWorking() {
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  QVERIFY(PrepareZeros(h));
  CGridCtrl* grid = Grid(w);
  EditModeOn(w);
  ClickCell(w, 1, 1);
  QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Editor(w)));

  Wheel(grid->viewport(), -120);  // the edited row leaves the page
  QVERIFY(!Editor(w)->isVisible());
  QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(grid));
  Wheel(grid->viewport(), -120);
  Wheel(grid->viewport(), -120);
  QCOMPARE(grid->GetCellText(1, 0), QStringLiteral("00000030"));
  // Back up: the editor comes back over its byte.
  for (int i = 0; i < 3; ++i) Wheel(grid->viewport(), 120);
  QCOMPARE(grid->GetCellText(1, 0), QStringLiteral("00000000"));
  QVERIFY(Editor(w)->isVisible());
  h.Reset();
}

void WindowHexViewTest::arrowsInTheEditorNeverDropADigit() {
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  QVERIFY(PrepareZeros(h));
  CGridCtrl* grid = Grid(w);
  QLineEdit* editor = Editor(w);
  EditModeOn(w);
  ClickCell(w, 1, 1);
  QTRY_VERIFY(editor->isVisible());

  // Right moves from the first digit to the second; the digit typed there
  // goes into the byte, and the editor moves on as after any second digit.
  QTest::keyClick(editor, Qt::Key_Right);
  QCOMPARE(editor->selectionStart(), 1);
  QCOMPARE(editor->selectedText().size(), 1);
  Type(w, "7");
  QCOMPARE(static_cast<std::uint8_t>(WorkingCopy(h)[0]), std::uint8_t(0x07));
  QCOMPARE(grid->GetFocusCell(), CellId(1, 2));

  // Right twice moves the editor to the next byte, first digit selected.
  QTest::keyClick(editor, Qt::Key_Right);
  QTest::keyClick(editor, Qt::Key_Right);
  QCOMPARE(grid->GetFocusCell(), CellId(1, 3));
  QCOMPARE(editor->selectionStart(), 0);
  Type(w, "4");
  QCOMPARE(static_cast<std::uint8_t>(WorkingCopy(h)[2]), std::uint8_t(0x40));
  QCOMPARE(static_cast<std::uint8_t>(WorkingCopy(h)[1]), std::uint8_t(0x00));

  // Left goes back digit by digit, into the byte before.
  QTest::keyClick(editor, Qt::Key_Left);
  QTest::keyClick(editor, Qt::Key_Left);
  QCOMPARE(grid->GetFocusCell(), CellId(1, 2));
  QCOMPARE(editor->selectionStart(), 1);
  Type(w, "9");
  QCOMPARE(static_cast<std::uint8_t>(WorkingCopy(h)[1]), std::uint8_t(0x09));
  QCOMPARE(WorkingCopy(h).size(), 512);
  h.Reset();
}

void WindowHexViewTest::everythingIsRefusedWhileAnOperationRuns() {
  WindowHarness h({}, sim::SpeedKind::Realistic);
  ProgrammerDlg& w = h.window();
  const QByteArray data = Pattern(1 << 20, 14);
  QVERIFY(Prepare(h, {}, {}, {}, data));
  CGridCtrl* grid = Grid(w);
  QScrollBar* bar = Bar(w);
  EditModeOn(w);
  ClickCell(w, 1, 1);
  QTRY_VERIFY(Editor(w)->isVisible());
  const QByteArray before = WorkingCopy(h);

  QPushButton* erase = Button(w, ids::kEraseButton);
  QTRY_VERIFY_WITH_TIMEOUT(erase->isEnabled(), kLongWaitMs);
  QTest::mouseClick(erase, Qt::LeftButton);
  QTRY_COMPARE_WITH_TIMEOUT(erase->text(), Itext(w, 36), kLongWaitMs);
  QVERIFY(w.session().image().busy());

  Type(w, "00");
  QTest::keyClick(Editor(w), Qt::Key_Return);
  ClickCell(w, 3, 3);
  Wheel(grid->viewport(), -120);
  bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  DragThumbToEnd(bar);
  QCOMPARE(grid->GetCellText(1, 0), QStringLiteral("00000000"));
  auto* check = qobject_cast<QCheckBox*>(w.Control(ids::kEditModeCheck));
  QTest::mouseClick(check, Qt::LeftButton);
  QTRY_VERIFY(check->isChecked());  // set back: edit mode cannot change now
  QVERIFY(WorkingCopy(h) == before);
  QCOMPARE(grid->GetCellText(1, 1), HexByte(static_cast<std::uint8_t>(data[0])));

  QTest::mouseClick(erase, Qt::LeftButton);  // stop the erase
  QVERIFY(WaitForJob(w, [&] { return erase->text() == Ftext(w, 54); }));
  // Afterwards the view works again.
  Wheel(grid->viewport(), -120);
  QCOMPARE(grid->GetCellText(1, 0), QStringLiteral("00000010"));
  h.Reset();
}

void WindowHexViewTest::screenshotOfAnEditedImage() {
  WindowHarness h;
  ProgrammerDlg& w = h.window();
  QByteArray data = QByteArrayLiteral("Tarnwick hex view: ASCII text, control bytes and FF. ");
  while (data.size() < 600) data += static_cast<char>(data.size() * 7);
  QVERIFY(Prepare(h, {}, {}, {}, data, QStringLiteral("screenshot.bin")));
  EditModeOn(w);
  ClickCell(w, 2, 3);
  Type(w, "3C");
  Type(w, "A");
  QVERIFY(Editor(w)->isVisible());
  h.Settle(50);
  const QString out = QStringLiteral(TARNWICK_BUILD_DIR "/hex_view.png");
  QVERIFY(w.grab().save(out));
  QVERIFY(QFileInfo(out).size() > 0);
  // The editor and its neighbours, enlarged, to check the overlay by eye.
  const QRect around = Editor(w)->geometry().adjusted(-40, -12, 40, 12);
  const QPixmap zoom = w.centralWidget()->grab(around);
  QVERIFY(
      zoom.scaled(zoom.size() * 4).save(QStringLiteral(TARNWICK_BUILD_DIR "/hex_view_editor.png")));
  h.Reset();
}

QTEST_MAIN(WindowHexViewTest)
#include "window_hex_view.moc"
