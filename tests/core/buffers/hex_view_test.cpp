#include "core/buffers/hex_view.h"

#include "buffers_fixture.h"
#include "resources/ids.h"
#include "version.h"

namespace tarnwick::buffers::test {
namespace {

using hex::CellClass;

class HexViewTest : public BuffersTest {
 protected:
  void Load(const std::string& bytes, std::uint64_t capacity) {
    image->SetChip("chip", capacity);
    ASSERT_EQ(image->LoadFile(UserFile("view.bin", bytes), LoadOrigin::UserChosen),
              LoadResult::Loaded);
    view.RefreshHexView();
  }
  void EditModeOn() {
    view.ToggleEditMode();
    ASSERT_TRUE(image->editMode());
  }
  std::uint8_t ImageByte(std::uint64_t offset) {
    return static_cast<std::uint8_t>(ReadFile(image->workingCopyPath()).at(offset));
  }
  HexView view{*image, services};
};

TEST_F(HexViewTest, HundredByteImageLayout) {
  std::string bytes;
  for (int i = 0; i < 100; ++i) bytes += static_cast<char>(i);
  Load(bytes, 256);
  EXPECT_EQ(view.CellText(0, 0), "  ADDR");
  EXPECT_EQ(view.CellText(0, 11), "A");
  EXPECT_EQ(view.CellText(0, 17), "     ASCII");
  EXPECT_EQ(view.CellText(1, 0), "00000000");
  EXPECT_EQ(view.CellText(20, 0), "00000130");
  EXPECT_EQ(view.CellText(2, 1), "10");
  EXPECT_EQ(view.CellText(7, 4), "63");
  EXPECT_EQ(view.CellClassAt(7, 4), CellClass::Normal);
  EXPECT_EQ(view.CellText(7, 5), "FF");
  EXPECT_EQ(view.CellClassAt(7, 5), CellClass::NoData);
  EXPECT_EQ(view.CellClassAt(8, 1), CellClass::NoData);
  EXPECT_EQ(view.CellClassAt(20, 16), CellClass::NoData);
  EXPECT_EQ(view.CellText(3, 17), ".!\"#$%&'()*+,-./");
  EXPECT_EQ(view.CellText(1, 17), "................");
  EXPECT_EQ(image->totalRows(), 16u);
  EXPECT_EQ(view.scrollMaximum(), 0u);
  EXPECT_FALSE(view.scrollEnabled());
  view.OnHexScroll(ScrollCode::LineDown, 0);
  EXPECT_EQ(view.topRow(), 0u);
  // Colours are set only when a class changes.
  view.RefreshHexView();
  for (int r = 1; r <= 20; ++r) {
    for (int c = 1; c <= 16; ++c) EXPECT_FALSE(view.ClassChanged(r, c));
  }
}

TEST_F(HexViewTest, AsciiColumnShowsOnlyPrintableNonBlankBytes) {
  Load(std::string("A B\x7F\x80~!\x1F", 8), 256);
  EXPECT_EQ(view.CellText(1, 17), "A.B..~!.........");
}

TEST_F(HexViewTest, MebibyteImageScrollsToItsLastRows) {
  Load(std::string(1024 * 1024, '\x5A'), 0);
  EXPECT_EQ(image->totalRows(), 65536u);
  EXPECT_EQ(view.scrollMaximum(), 32767u);
  view.OnHexScroll(ScrollCode::ThumbTrack, 32767);
  EXPECT_EQ(view.topRow(), 65516u);
  EXPECT_EQ(view.scrollPosition(), 32767u);
  EXPECT_EQ(view.CellText(20, 0), "000FFFF0");
  EXPECT_EQ(view.CellText(20, 16), "5A");
  view.OnHexScroll(ScrollCode::LineDown, 0);
  EXPECT_EQ(view.topRow(), 65516u);
  view.OnHexScroll(ScrollCode::LineUp, 0);
  EXPECT_EQ(view.topRow(), 65515u);
  // A page is the 20 rows the view shows; the ends stop it.
  view.OnHexScroll(ScrollCode::PageUp, 0);
  EXPECT_EQ(view.topRow(), 65495u);
  EXPECT_EQ(view.CellText(1, 0), "000FFD70");
  view.OnHexScroll(ScrollCode::PageDown, 0);
  view.OnHexScroll(ScrollCode::PageDown, 0);
  EXPECT_EQ(view.topRow(), 65516u);
  view.OnHexScroll(ScrollCode::ThumbTrack, 5);
  view.OnHexScroll(ScrollCode::PageUp, 0);
  EXPECT_EQ(view.topRow(), 0u);
  view.OnHexScroll(ScrollCode::ThumbTrack, 16383);
  EXPECT_EQ(view.topRow(), 16383ull * 65516 / 32767);
  view.OnHexWheel(-120, false);  // focus elsewhere: ignored
  EXPECT_EQ(view.topRow(), 16383ull * 65516 / 32767);
  view.OnHexWheel(-120, true);
  EXPECT_EQ(view.topRow(), 16383ull * 65516 / 32767 + 1);
}

TEST(HexLayout, ScrollMappingAndTexts) {
  EXPECT_EQ(hex::ScrollMaximumFor(20), 0u);
  EXPECT_EQ(hex::ScrollMaximumFor(21), 1u);
  EXPECT_EQ(hex::ScrollMaximumFor(32787), 32767u);
  EXPECT_EQ(hex::ScrollMaximumFor(32788), 32767u);
  EXPECT_EQ(hex::ScrollPositionFor(500, 32787), 500u);
  // Just above the threshold the thumb still reaches the last page.
  EXPECT_EQ(hex::TopRowFromThumb(32767, 32790), 32770u);
  EXPECT_EQ(hex::TopRowFromThumb(100, 120), 100u);
  EXPECT_EQ(hex::TopRowFromThumb(101, 120), std::nullopt);
  // A 16 TiB image still maps without overflow.
  const std::uint64_t rows = (16ull << 40) / 16;
  EXPECT_EQ(hex::TopRowFromThumb(32767, rows), rows - 20);
  EXPECT_EQ(hex::ScrollPositionFor(rows - 20, rows), 32767u);
  EXPECT_EQ(hex::AddressText(0xABC0), "0000ABC0");
  EXPECT_EQ(hex::AddressText(0xFFFFFFF0ull), "FFFFFFF0");
  EXPECT_EQ(hex::AddressText(0x100000000ull), "0000000100000000");
  EXPECT_EQ(hex::EditorRect(hex::CellRect(1, 1)), (hex::Rect{88, 21, 21, 15}));
  EXPECT_EQ(hex::CellRect(2, 17).x, 85 + 16 * 25);
}

TEST_F(HexViewTest, TypingTwoDigitsWritesEachAndMovesOn) {
  Load(std::string(32, '\xFF'), 256);
  EditModeOn();
  view.OnHexCellClicked(1, 1, false);
  EXPECT_EQ(view.editor().text, "FF");
  EXPECT_EQ(view.editor().selection, (Selection{0, 1}));
  EXPECT_EQ(surface.LastStatus(), itext(3));
  view.TypeCharacter('3');
  EXPECT_EQ(ImageByte(0), 0x3F);
  EXPECT_EQ(view.editor().text, "3F");
  EXPECT_EQ(view.editor().selection, (Selection{1, 2}));
  view.TypeCharacter('c');
  EXPECT_EQ(ImageByte(0), 0x3C);
  EXPECT_EQ(view.CellText(1, 1), "3C");
  EXPECT_EQ(view.CellClassAt(1, 1), CellClass::Changed);
  EXPECT_EQ(view.focusRow(), 1);
  EXPECT_EQ(view.focusColumn(), 2);
  EXPECT_EQ(view.editor().column, 2);
  EXPECT_EQ(view.editor().text, "FF");
  EXPECT_EQ(view.editor().selection, (Selection{0, 1}));
  EXPECT_EQ(image->fileSum(), 31u * 255 + 0x3C);
  EXPECT_EQ(surface.ControlText(ids::kFileChecksum), "0000001F1D");
  EXPECT_TRUE(surface.Enabled(ids::kSaveFile));
  // A click on the right half starts at the second digit.
  view.OnHexCellClicked(2, 4, true);
  EXPECT_EQ(view.editor().selection, (Selection{1, 2}));
}

TEST_F(HexViewTest, InvalidAndEmptyInputIsUndone) {
  Load(std::string(32, '\x12'), 256);
  EditModeOn();
  view.OnHexCellClicked(1, 1, false);
  view.TypeCharacter('G');
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, itext(8));
  EXPECT_EQ(Boxes()[0].caption, itext(9));
  EXPECT_EQ(view.editor().text, "12");
  EXPECT_EQ(view.editor().selection, (Selection{0, 1}));
  view.OnEditorChanged("", 0);
  EXPECT_EQ(Boxes().back().text, itext(7));
  EXPECT_EQ(Boxes().back().caption, itext(2));
  EXPECT_EQ(surface.LastStatus(), itext(7));
  EXPECT_TRUE(surface.LastStatusIsError());
  EXPECT_EQ(view.editor().text, "12");
  EXPECT_EQ(view.editor().selection, (Selection{0, 2}));
  EXPECT_EQ(ReadFile(image->workingCopyPath()), std::string(32, '\x12'));
  // The same digit again changes nothing.
  view.OnHexCellClicked(1, 1, false);
  view.TypeCharacter('1');
  EXPECT_EQ(surface.StatusLines().at(surface.StatusLines().size() - 2), itext(10));
}

TEST_F(HexViewTest, EditingPastTheEndAppends) {
  Load(std::string(100, '\x01'), 256);
  EditModeOn();
  view.OnHexCellClicked(7, 5, false);  // offset 100, right after the last byte
  view.TypeCharacter('A');
  EXPECT_EQ(image->size(), 101u);
  view.TypeCharacter('B');
  EXPECT_EQ(ImageByte(100), 0xAB);
  EXPECT_EQ(image->size(), 101u);
  EXPECT_EQ(view.CellClassAt(7, 5), CellClass::Changed);
  EXPECT_EQ(view.CellClassAt(7, 6), CellClass::NoData);
  EXPECT_EQ(image->sizeText(), "0.10KB");
  EXPECT_EQ(surface.ControlText(ids::kWindowTitle),
            std::string(kProgramTitle) + " - view.bin  0.10KB");
}

TEST_F(HexViewTest, EditingFurtherPastTheEndFillsTheGapWithErasedBytes) {
  Load(std::string(100, '\x01'), 256);
  EditModeOn();
  view.OnHexCellClicked(7, 15, false);  // offset 110
  view.TypeCharacter('1');
  EXPECT_EQ(image->size(), 111u);
  for (int o = 100; o < 110; ++o) EXPECT_EQ(ImageByte(o), 0xFF) << o;
  EXPECT_EQ(ImageByte(110), 0x1F);
  view.TypeCharacter('2');
  EXPECT_EQ(ImageByte(110), 0x12);
  EXPECT_EQ(image->fileSum(), 100u + 10u * 255 + 0x12);
  EXPECT_EQ(image->chipSum(), image->fileSum() + 255u * (256 - 111));
  EXPECT_EQ(view.CellClassAt(7, 10), CellClass::Changed);
}

TEST_F(HexViewTest, PastChipEndColourUnlessChanged) {
  Load(std::string(64, '\x00'), 32);
  EXPECT_EQ(view.CellClassAt(2, 16), CellClass::Normal);
  EXPECT_EQ(view.CellClassAt(3, 1), CellClass::PastChipEnd);
  EXPECT_EQ(view.CellClassAt(4, 16), CellClass::PastChipEnd);
  EditModeOn();
  view.OnHexCellClicked(3, 9, false);  // offset 40
  view.TypeCharacter('7');
  EXPECT_EQ(view.CellClassAt(3, 9), CellClass::Changed);
  EXPECT_TRUE(view.ClassChanged(3, 9));
  EXPECT_FALSE(view.ClassChanged(3, 10));
  EXPECT_EQ(view.CellClassAt(3, 10), CellClass::PastChipEnd);
}

TEST_F(HexViewTest, SecondDigitOnTheLastCellScrollsOneRow) {
  std::string bytes;
  for (int i = 0; i < 1024; ++i) bytes += static_cast<char>(i / 16);
  Load(bytes, 1024);
  EditModeOn();
  view.OnHexCellClicked(20, 16, false);  // offset 319
  view.TypeCharacter('0');
  view.TypeCharacter('0');
  EXPECT_EQ(ImageByte(319), 0x00);
  EXPECT_EQ(view.topRow(), 1u);
  EXPECT_EQ(view.focusRow(), 20);
  EXPECT_EQ(view.focusColumn(), 1);
  EXPECT_EQ(view.editor().row, 20);
  EXPECT_EQ(view.editor().column, 1);
  EXPECT_EQ(view.editor().text, "14");  // offset 320
  EXPECT_EQ(view.CellText(19, 16), "00");
}

TEST_F(HexViewTest, FocusAndEditorFollowTheDataWhileScrolling) {
  Load(std::string(4096, '\x00'), 4096);
  EditModeOn();
  view.OnHexCellClicked(5, 3, false);
  view.OnHexScroll(ScrollCode::LineDown, 0);
  EXPECT_EQ(view.focusRow(), 4);
  EXPECT_EQ(view.editor().row, 4);
  EXPECT_TRUE(view.editor().visible);
  for (int i = 0; i < 5; ++i) view.OnHexScroll(ScrollCode::LineDown, 0);
  EXPECT_EQ(view.focusRow(), -1);
  EXPECT_FALSE(view.editor().visible);
  EXPECT_TRUE(view.inPlaceEditing());
  for (int i = 0; i < 6; ++i) view.OnHexScroll(ScrollCode::LineUp, 0);
  EXPECT_EQ(view.focusRow(), 5);
  EXPECT_EQ(view.focusColumn(), 3);
  EXPECT_TRUE(view.editor().visible);
  EXPECT_EQ(view.editor().row, 5);
  // Typing there still writes the byte the user clicked.
  view.TypeCharacter('9');
  EXPECT_EQ(ImageByte(4 * 16 + 2), 0x90);
}

TEST_F(HexViewTest, EditingIsRefusedWhileAnOperationRuns) {
  Load(std::string(4096, '\x00'), 4096);
  EditModeOn();
  view.OnHexCellClicked(1, 1, false);
  image->SetBusy(true);
  view.TypeCharacter('5');
  view.OnHexScroll(ScrollCode::LineDown, 0);
  view.ToggleEditMode();
  EXPECT_EQ(ImageByte(0), 0x00);
  EXPECT_EQ(view.topRow(), 0u);
  EXPECT_TRUE(image->editMode());
  EXPECT_TRUE(surface.IsCheckBoxChecked(ids::kEditModeCheck));
  image->SetBusy(false);
  view.ToggleEditMode();
  EXPECT_FALSE(image->editMode());
  EXPECT_FALSE(surface.Enabled(ids::kFileFill));
  EXPECT_FALSE(surface.IsMenuChecked(ids::kEditModeMenu));
  EXPECT_EQ(surface.LastStatus(), itext(6));
  EXPECT_FALSE(view.editor().visible);
}

TEST_F(HexViewTest, EditModeNeedsALoadedFile) {
  surface.SetCheckBox(ids::kEditModeCheck, true);
  view.ToggleEditMode();
  EXPECT_FALSE(surface.IsCheckBoxChecked(ids::kEditModeCheck));
  EXPECT_EQ(surface.LastStatus(), itext(4));
  EXPECT_TRUE(surface.LastStatusIsError());
  view.OnEditModeMenu();
  EXPECT_EQ(surface.Beeps(), 1);
  EXPECT_FALSE(image->editMode());
}

TEST_F(HexViewTest, ShowAddressBringsTheByteIntoView) {
  Load(std::string(1024, '\x00'), 1024);
  EXPECT_FALSE(view.ShowAddress(1024));
  EXPECT_EQ(Boxes().back().text, itext(55));
  EXPECT_EQ(surface.LastStatus(), itext(55));
  EXPECT_TRUE(view.ShowAddress(0x3F5));  // row 63 of 64: the last page
  EXPECT_EQ(view.topRow(), 44u);
  EXPECT_EQ(view.focusRow(), 63 - 44 + 1);
  EXPECT_EQ(view.focusColumn(), 6);
  EXPECT_FALSE(view.editor().visible);
  EditModeOn();
  EXPECT_TRUE(view.ShowAddress(0x105));
  EXPECT_EQ(view.topRow(), 16u);
  EXPECT_EQ(view.editor().selection, (Selection{0, 2}));
  EXPECT_EQ(view.editor().row, 1);
}

// The view tells how many rows it holds: the whole ones bound the scrolling
// and where an address lands, the partly shown one below them is read too.
TEST_F(HexViewTest, PageRowsFollowTheViewsHeight) {
  std::string bytes;
  for (int i = 0; i < 1024; ++i) bytes += static_cast<char>(i / 16);
  Load(bytes, 1024);  // 64 rows
  view.SetPageRows(30, 31);
  EXPECT_EQ(view.scrollMaximum(), 34u);
  view.OnHexScroll(ScrollCode::PageDown, 0);
  view.OnHexScroll(ScrollCode::PageDown, 0);
  EXPECT_EQ(view.topRow(), 34u);
  EXPECT_EQ(view.CellText(30, 0), "000003F0");
  EXPECT_EQ(view.CellText(30, 16), "3F");
  // Past the end: no data, as rows past a small image are.
  EXPECT_EQ(view.CellClassAt(31, 1), CellClass::NoData);
  view.OnHexScroll(ScrollCode::LineDown, 0);
  EXPECT_EQ(view.topRow(), 34u);
  // A taller view at the end shows more rows above it.
  view.SetPageRows(40, 41);
  view.RefreshHexView();
  EXPECT_EQ(view.topRow(), 24u);
  EXPECT_EQ(view.CellText(40, 0), "000003F0");
  // A shorter one: an address lands on its last whole row, and the partly
  // shown row holds the next row's bytes.
  view.SetPageRows(5, 6);
  EXPECT_TRUE(view.ShowAddress(0x3F5));
  EXPECT_EQ(view.topRow(), 59u);
  EXPECT_EQ(view.focusRow(), 5);
  EXPECT_TRUE(view.ShowAddress(0x105));
  EXPECT_EQ(view.topRow(), 16u);
  EXPECT_EQ(view.CellText(6, 0), "00000150");
  EXPECT_EQ(view.CellText(6, 1), "15");
  // A click on the partly shown row scrolls it into full view.
  view.OnHexCellClicked(6, 2, false);
  EXPECT_EQ(view.topRow(), 17u);
  EXPECT_EQ(view.focusRow(), 5);
  // A find hit at the bottom marks the partly shown row as well.
  EXPECT_TRUE(view.ShowSearchHit(0x3FC, 8));
  EXPECT_EQ(view.CellClassAt(5, 16), CellClass::SearchHit);
  view.SetPageRows(20, 20);
  view.RefreshHexView();
  EXPECT_EQ(view.CellText(20, 0), "000003F0");
}

TEST_F(HexViewTest, ANewLoadResetsTheView) {
  Load(std::string(4096, '\x00'), 4096);
  EditModeOn();
  view.OnHexCellClicked(3, 3, false);
  view.OnHexScroll(ScrollCode::ThumbTrack, 100);
  ASSERT_EQ(view.topRow(), 100u);
  image->LoadFile(UserFile("other.bin", std::string(8192, '\x01')), LoadOrigin::UserChosen);
  view.RefreshHexView();
  EXPECT_EQ(view.topRow(), 0u);
  EXPECT_EQ(view.focusRow(), -1);
  EXPECT_FALSE(view.editor().visible);
  EXPECT_EQ(view.scrollMaximum(), 512u - 20u);
  EXPECT_EQ(view.CellText(1, 1), "01");
  // Scrolling no longer drags a focus along.
  view.OnHexScroll(ScrollCode::LineDown, 0);
  EXPECT_EQ(view.focusRow(), -1);
}

}  // namespace
}  // namespace tarnwick::buffers::test
