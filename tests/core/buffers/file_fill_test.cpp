// File fill on a loaded image in edit mode: the bytes that end up in the
// working copy, the sum the window shows, and the address field afterwards.
#include "core/buffers/tools/file_fill.h"

#include "buffers_fixture.h"
#include "core/app/text_ids.h"

namespace tarnwick::buffers::test {
namespace {

std::uint64_t Sum(const std::string& bytes) {
  std::uint64_t s = 0;
  for (unsigned char c : bytes) s += c;
  return s;
}

class FileFill : public BuffersTest {
 protected:
  void Load100() {
    ASSERT_EQ(image->LoadFile(UserFile("a.bin", 100, '\x11'), LoadOrigin::UserChosen),
              LoadResult::Loaded);
    image->SetEditMode(true);
  }
  std::string Working() { return dir.Read("h_ven1.dll"); }
};

TEST_F(FileFill, AnAddressPastTheEndIsReachedThroughBlanks) {
  Load100();
  const FileFillResult r = FillFileImage(*image, services, {"6E", "4", "AB", false}, false);
  EXPECT_TRUE(r.done);
  EXPECT_EQ(r.message, itext::kFileFillDone);
  const std::string expected =
      std::string(100, '\x11') + std::string(10, '\xFF') + std::string(4, '\xAB');
  EXPECT_EQ(Working(), expected);
  EXPECT_EQ(image->size(), 114u);
  EXPECT_EQ(image->fileSum(), Sum(expected));
  EXPECT_EQ(surface.LastStatus(), itext(itext::kFileFillDone));
}

TEST_F(FileFill, FromTheEndTwiceGrowsTheImageAndMovesTheAddress) {
  Load100();
  FileFillResult r = FillFileImage(*image, services, {"64", "16", "00", true}, false);
  EXPECT_EQ(r.nextAddress, "74");
  r = FillFileImage(*image, services, {r.nextAddress, "16", "00", true}, false);
  EXPECT_EQ(image->size(), 132u);
  EXPECT_EQ(r.nextAddress, "84");
  EXPECT_EQ(Working().substr(100), std::string(32, '\0'));
}

TEST_F(FileFill, OverwritingInsideKeepsTheSumRightAndLengthZeroWritesNothing) {
  Load100();
  FillFileImage(*image, services, {"A", "20000", "7", false}, false);  // larger than a block
  EXPECT_EQ(image->size(), 10u + 20000u);
  EXPECT_EQ(image->fileSum(), Sum(Working()));
  const std::string before = Working();
  EXPECT_TRUE(FillFileImage(*image, services, {"0", "0", "55", false}, false).done);
  EXPECT_EQ(Working(), before);
}

TEST_F(FileFill, WordChipsCountWords) {
  Load100();
  FillFileImage(*image, services, {"2", "3", "CC", false}, true);
  EXPECT_EQ(Working().substr(4, 6), std::string(6, '\xCC'));
  EXPECT_EQ(Working()[3], '\x11');
  EXPECT_EQ(Working()[10], '\x11');
}

TEST_F(FileFill, EmptyOrWrongFieldsAndNoEditModeChangeNothing) {
  Load100();
  EXPECT_EQ(FillFileImage(*image, services, {"", "1", "00", false}, false).message,
            itext::kEnterAddress);
  EXPECT_EQ(FillFileImage(*image, services, {"0", "", "00", false}, false).message,
            itext::kEnterLength);
  EXPECT_EQ(FillFileImage(*image, services, {"0", "1", "", false}, false).message,
            itext::kEnterData);
  EXPECT_EQ(FillFileImage(*image, services, {"0", "1x", "00", false}, false).message,
            itext::kCharacterNotAllowed);
  image->SetEditMode(false);
  const FileFillResult off = FillFileImage(*image, services, {"0", "1", "00", false}, false);
  EXPECT_FALSE(off.done);
  EXPECT_EQ(off.message, itext::kFileFillNeedsEditMode);
  EXPECT_TRUE(surface.LastStatusIsError());
  EXPECT_EQ(Working(), std::string(100, '\x11'));
}

}  // namespace
}  // namespace tarnwick::buffers::test
