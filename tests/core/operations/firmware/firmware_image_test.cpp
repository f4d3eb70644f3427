// The .tfw check, the bounded reading of the feature's files, the block
// count, the scrambling by file position and the texts of the information
// box.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>

#include "core/operations/firmware/firmware_file.h"
#include "core/operations/firmware/firmware_image.h"
#include "protocol/protocol.h"
#include "support/temp_dir.h"

namespace tarnwick::firmware {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(FirmwareFile, TheCheckBytesAreTheSumMostSignificantFirstAndEveryImageByteCounts) {
  // Bytes summing to 256: the check bytes are 00 01 00.
  const Bytes image = {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01, 0x01};
  const Bytes file = *Pack(image);
  ASSERT_EQ(file.size(), image.size() + 3);
  EXPECT_EQ(Bytes(file.end() - 3, file.end()), (Bytes{0x00, 0x01, 0x00}));
  EXPECT_EQ(JudgeFile(file), Verdict::Good);
  for (std::size_t i = 0; i < image.size(); ++i) {
    Bytes changed = file;
    changed[i] ^= 0x01;
    EXPECT_EQ(JudgeFile(changed), Verdict::SumWrong) << "byte " << i;
  }
  Bytes wrongCheck = file;
  wrongCheck.back() = 0x01;
  EXPECT_EQ(JudgeFile(wrongCheck), Verdict::SumWrong);
  // Nothing before the check bytes is no image.
  EXPECT_EQ(JudgeFile(Bytes{0, 0, 0}), Verdict::TooShort);
  EXPECT_EQ(JudgeFile(Bytes{}), Verdict::TooShort);
  EXPECT_EQ(FinishByte(file), 0x01);
}

TEST(FirmwareFile, ASumAboveWhatThreeCheckBytesHoldIsNeverAccepted) {
  // 70000 bytes of 0xFF sum to 0x01105E90; its low 24 bits as check bytes
  // made the file pass once.
  Bytes file(70000, 0xFF);
  for (std::uint8_t b : {0x10, 0x5E, 0x90}) file.push_back(b);
  EXPECT_EQ(JudgeFile(file), Verdict::SumWrong);
  // Such an image is not packed into a file that can never pass.
  EXPECT_EQ(JudgeImage(Bytes(70000, 0xFF)), Verdict::SumTooLarge);
  EXPECT_EQ(Pack(Bytes(70000, 0xFF)), std::nullopt);
  // The largest sum that fits still passes.
  Bytes top(0xFFFFFF / 0xFF, 0xFF);
  EXPECT_EQ(JudgeFile(*Pack(top)), Verdict::Good);
}

TEST(FirmwareFile, AFileBeyondTwoHundredFiftySixBlocksIsRefusedWhateverItsSum) {
  Bytes largest(kMaxImageSize, 0x00);
  largest.back() = 1;
  EXPECT_EQ(JudgeFile(*Pack(largest)), Verdict::Good);
  Bytes over = *Pack(largest);
  over.insert(over.begin(), 0x00);  // one zero more: the same sum, one byte too long
  EXPECT_EQ(JudgeFile(over), Verdict::TooLarge);
  EXPECT_EQ(JudgeImage(Bytes(kMaxImageSize + 1, 0)), Verdict::TooLarge);
}

class FirmwareFileReading : public ::testing::Test {
 protected:
  tarnwick::test::TempDir dir;
};

TEST_F(FirmwareFileReading, OnlyARegularFileWithinTheLargestSizeIsRead) {
  const Bytes good = *Pack(Bytes{1, 2, 3, 4, 5});
  dir.Write("good.tfw", std::string(good.begin(), good.end()));
  const LoadedFile read = ReadFirmwareFile(dir.file("good.tfw"));
  EXPECT_EQ(read.verdict, Verdict::Good);
  EXPECT_EQ(read.bytes, good);

  EXPECT_EQ(ReadFirmwareFile(dir.file("missing.tfw")).verdict, Verdict::Missing);
  EXPECT_EQ(ReadFirmwareFile("").verdict, Verdict::Missing);
  EXPECT_EQ(ReadFirmwareFile(dir.base()).verdict, Verdict::NotRegular);
  // A FIFO with no writer: refused at once, not waited on.
  ASSERT_EQ(::mkfifo(dir.file("fifo.tfw").c_str(), 0600), 0);
  EXPECT_EQ(ReadFirmwareFile(dir.file("fifo.tfw")).verdict, Verdict::NotRegular);
  EXPECT_EQ(ReadFirmwareFile("/dev/zero").verdict, Verdict::NotRegular);
  EXPECT_EQ(ReadImageFile("/dev/zero").verdict, Verdict::NotRegular);
  // 3 GiB without a byte on the disk: refused by its size, never read.
  { std::ofstream huge(dir.file("huge.tfw"), std::ios::binary); }
  ASSERT_EQ(::truncate(dir.file("huge.tfw").c_str(), off_t{3} << 30), 0);
  EXPECT_EQ(ReadFirmwareFile(dir.file("huge.tfw")).verdict, Verdict::TooLarge);
  EXPECT_EQ(ReadImageFile(dir.file("huge.tfw")).verdict, Verdict::TooLarge);
}

TEST_F(FirmwareFileReading, TheBootTableIsExactlyTwoHundredFiftySixBytes) {
  std::string bytes(256, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(255 - i);
  dir.Write("table.bin", bytes);
  Verdict verdict = Verdict::Unreadable;
  const std::optional<BootTable> table = ReadBootTable(dir.file("table.bin"), verdict);
  ASSERT_TRUE(table);
  EXPECT_EQ(verdict, Verdict::Good);
  EXPECT_EQ((*table)[0], 255);
  EXPECT_EQ((*table)[255], 0);
  dir.Write("short.bin", bytes.substr(1));
  EXPECT_FALSE(ReadBootTable(dir.file("short.bin"), verdict));
  EXPECT_EQ(verdict, Verdict::WrongSize);
  dir.Write("long.bin", bytes + "x");
  EXPECT_FALSE(ReadBootTable(dir.file("long.bin"), verdict));
  EXPECT_EQ(verdict, Verdict::WrongSize);
  EXPECT_FALSE(ReadBootTable(dir.file("none.bin"), verdict));
  EXPECT_EQ(verdict, Verdict::Missing);
}

TEST(FirmwareFile, BlocksCoverTheWholeFile) {
  EXPECT_EQ(BlockCount(1), 1u);
  EXPECT_EQ(BlockCount(1024), 1u);
  EXPECT_EQ(BlockCount(1025), 2u);
  EXPECT_EQ(BlockCount(2049), 3u);
}

TEST(FirmwareFile, ScramblingDependsOnTheFilePositionNotOnThePiece) {
  BootTable table{};
  for (std::size_t i = 0; i < table.size(); ++i) table[i] = static_cast<std::uint8_t>(i * 29 + 3);
  Bytes whole(300);
  for (std::size_t i = 0; i < whole.size(); ++i) whole[i] = static_cast<std::uint8_t>(i * 7);
  Bytes pieces = whole;
  Scramble(whole.data(), whole.size(), 0, table);
  for (std::size_t at = 0; at < pieces.size(); at += 64) {
    Scramble(pieces.data() + at, std::min<std::size_t>(64, pieces.size() - at), at, table);
  }
  EXPECT_EQ(pieces, whole);
  EXPECT_EQ(whole[5], static_cast<std::uint8_t>(5 * 7) ^ table[5]);
  // Position 256 starts the table again; scrambling twice undoes it.
  EXPECT_EQ(whole[256] ^ whole[0], 0);
  Scramble(whole.data(), whole.size(), 0, table);
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
