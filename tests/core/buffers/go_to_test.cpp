// Go to address and find's hit marking on the hex view's page model.
#include "core/buffers/tools/go_to.h"

#include "buffers_fixture.h"
#include "core/app/text_ids.h"
#include "core/buffers/hex_view.h"

namespace tarnwick::buffers::test {
namespace {

using hex::CellClass;

class GoToTest : public BuffersTest {
 protected:
  void Load(std::size_t size) {
    image->SetChip("chip", 1 << 20);
    ASSERT_EQ(image->LoadFile(UserFile("g.bin", size, '\x5A'), LoadOrigin::UserChosen),
              LoadResult::Loaded);
    view.RefreshHexView();
  }
  HexView view{*image, services};
};

TEST_F(GoToTest, TheFocusCellMovesToTheTypedHexAddress) {
  Load(4096);
  GoToResult r = GoToAddress(view, services, "3a7", false);
  EXPECT_TRUE(r.shown);
  EXPECT_EQ(r.problem, 0);
  EXPECT_EQ(view.topRow(), 0x3Au);
  EXPECT_EQ(view.focusRow(), 1);
  EXPECT_EQ(view.focusColumn(), 8);
  // Words for a 16-bit chip: word 0x10 is byte 0x20, on the same page.
  r = GoToAddress(view, services, "10", true);
  EXPECT_TRUE(r.shown);
  EXPECT_EQ(view.topRow(), 2u);
  EXPECT_EQ(view.focusRow(), 1);
  EXPECT_EQ(view.focusColumn(), 1);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(GoToTest, EmptyBadOrPastTheEndAddressesAreRefusedWithABox) {
  Load(100);
  EXPECT_EQ(GoToAddress(view, services, "", false).problem, itext::kGoToNoAddress);
  EXPECT_EQ(Boxes().back().text, itext(itext::kGoToNoAddress));
  EXPECT_EQ(GoToAddress(view, services, "1G", false).problem, itext::kCharacterNotAllowed);
  EXPECT_EQ(GoToAddress(view, services, "123456789", false).problem, itext::kCharacterNotAllowed);
  const GoToResult past = GoToAddress(view, services, "64", false);  // 100: one past the end
  EXPECT_FALSE(past.shown);
  EXPECT_EQ(Boxes().back().text, itext(itext::kAddressBeyondFile));
  EXPECT_EQ(Boxes().size(), 4u);
  EXPECT_EQ(view.focusRow(), -1);
}

TEST_F(GoToTest, ASearchHitIsMarkedFromTheFocusCellOnAndWrapsToTheNextRow) {
  Load(4096);
  ASSERT_TRUE(view.ShowSearchHit(0x2E, 4));  // row 2, columns 15, 16, then row 3
  EXPECT_EQ(view.focusRow(), 3);
  EXPECT_EQ(view.focusColumn(), 15);
  EXPECT_EQ(view.CellClassAt(3, 14), CellClass::Normal);
  for (int c : {15, 16}) EXPECT_EQ(view.CellClassAt(3, c), CellClass::SearchHit);
  for (int c : {1, 2}) EXPECT_EQ(view.CellClassAt(4, c), CellClass::SearchHit);
  EXPECT_EQ(view.CellClassAt(4, 3), CellClass::Normal);
  // The next refresh gives the cells their own class again.
  view.RefreshHexView();
  EXPECT_EQ(view.CellClassAt(3, 15), CellClass::Normal);
  // A hit on the last row of the page marks what the page shows.
  ASSERT_TRUE(view.ShowSearchHit(4096 - 2, 8));
  EXPECT_EQ(view.focusRow(), 20);
  EXPECT_EQ(view.CellClassAt(20, 16), CellClass::SearchHit);
  EXPECT_FALSE(view.ShowSearchHit(4096, 1));
}

}  // namespace
}  // namespace tarnwick::buffers::test
