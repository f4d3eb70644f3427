// The .tfw check, the block count, the scrambling by file position and the
// texts of the information box.
#include <gtest/gtest.h>

#include "core/operations/firmware/firmware_image.h"
#include "protocol/protocol.h"

namespace tarnwick::firmware {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(FirmwareFile, TheCheckBytesAreTheSumMostSignificantFirstAndEveryImageByteCounts) {
  // Bytes summing to 256: the check bytes are 00 01 00.
  const Bytes image = {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01, 0x01};
  const Bytes file = Pack(image);
  ASSERT_EQ(file.size(), image.size() + 3);
  EXPECT_EQ(Bytes(file.end() - 3, file.end()), (Bytes{0x00, 0x01, 0x00}));
  EXPECT_TRUE(SumMatches(file));
  for (std::size_t i = 0; i < image.size(); ++i) {
    Bytes changed = file;
    changed[i] ^= 0x01;
    EXPECT_FALSE(SumMatches(changed)) << "byte " << i;
  }
  Bytes wrongCheck = file;
  wrongCheck.back() = 0x01;
  EXPECT_FALSE(SumMatches(wrongCheck));
  // Nothing before the check bytes is no image.
  EXPECT_FALSE(SumMatches(Bytes{0, 0, 0}));
  EXPECT_FALSE(SumMatches(Bytes{}));
  EXPECT_EQ(FinishByte(file), 0x01);
}

TEST(FirmwareFile, ASumBeyondTwentyFourBitsIsComparedInItsLowTwentyFourBits) {
  const Bytes image(70000, 0xFF);  // sum 0x01105E90
  const Bytes file = Pack(image);
  EXPECT_EQ(Bytes(file.end() - 3, file.end()), (Bytes{0x10, 0x5E, 0x90}));
  EXPECT_TRUE(SumMatches(file));
}

TEST(FirmwareFile, BlocksCoverTheWholeFile) {
  EXPECT_EQ(BlockCount(1), 1u);
  EXPECT_EQ(BlockCount(1024), 1u);
  EXPECT_EQ(BlockCount(1025), 2u);
  EXPECT_EQ(BlockCount(2049), 3u);
}

TEST(FirmwareFile, ScramblingDependsOnTheFilePositionNotOnThePiece) {
  Bytes whole(300);
  for (std::size_t i = 0; i < whole.size(); ++i) whole[i] = static_cast<std::uint8_t>(i * 7);
  Bytes pieces = whole;
  Scramble(whole.data(), whole.size(), 0);
  for (std::size_t at = 0; at < pieces.size(); at += 64) {
    Scramble(pieces.data() + at, std::min<std::size_t>(64, pieces.size() - at), at);
  }
  EXPECT_EQ(pieces, whole);
  // Position 256 starts the table again; scrambling twice undoes it.
  EXPECT_EQ(whole[256] ^ whole[0], 0);
  Scramble(whole.data(), whole.size(), 0);
  for (std::size_t i = 0; i < whole.size(); ++i) {
    ASSERT_EQ(whole[i], static_cast<std::uint8_t>(i * 7)) << i;
  }
}

TEST(FirmwareTexts, VersionIsHighNibblePlusOneDotLowNibbleInHex) {
  EXPECT_EQ(VersionText(0x21), "V3.1");
  EXPECT_EQ(VersionText(0x9A), "VA.A");
  EXPECT_EQ(VersionText(0x00), "V1.0");
  EXPECT_EQ(VersionText(0xF0), "V10.0");
}

TEST(FirmwareTexts, SerialIsSixDecimalDigitsPaddedWithZeros) {
  EXPECT_EQ(SerialText(0x012345), "074565");
  EXPECT_EQ(SerialText(5), "000005");
  EXPECT_EQ(SerialText(0xFFFFFF), "16777215");
}

}  // namespace
}  // namespace tarnwick::firmware
