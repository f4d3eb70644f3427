// Flash semantics and the data streams: program, read, verify, sector read.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "box_driver.h"
#include "sim/chip_models.h"
#include "sim/chip_storage.h"

namespace tarnwick::sim::test {
namespace {

class StreamsTest : public ::testing::Test {
 protected:
  void Start(ChipDescription chip) {
    BoxDescription d;
    d.chip = chip;
    box_ = MakeBox(d);
    ASSERT_TRUE(box_);
    driver_ = std::make_unique<BoxDriver>(*box_);
    driver_->SetCapacity(static_cast<std::uint32_t>(chip.size));
  }
  // Programs `data` from address 0 in 4096-byte blocks, resending what a
  // partial write left over, as the program operation does.
  std::size_t Program(const std::vector<std::uint8_t>& data, std::vector<int>* counts = nullptr) {
    driver_->Send(CMD_PROGRAM);
    std::size_t sent = 0;
    while (sent < data.size()) {
      const std::size_t n = std::min(kProgramBlock, data.size() - sent);
      const int taken = driver_->Write({data.begin() + sent, data.begin() + sent + n});
      if (counts) counts->push_back(taken);
      if (taken <= 0) break;
      sent += static_cast<std::size_t>(taken);
    }
    driver_->Send(CMD_PROGRAM_END, Be32(static_cast<std::uint32_t>(sent)));
    EXPECT_EQ(driver_->Read(1), std::vector<std::uint8_t>{kProgramEndDone});
    return sent;
  }

  tarnwick::test::TempDir dir_;
  std::unique_ptr<VirtualBox> box_;
  std::unique_ptr<BoxDriver> driver_;
};

TEST_F(StreamsTest, ProgrammingOnlyClearsBitsAndEraseSetsFF) {
  Start(SmallFlash(dir_, "flash"));
  std::vector<std::uint8_t> first(8192, 0xF0);
  Program(first);
  std::vector<std::uint8_t> second(8192, 0x3C);
  Program(second);  // no erase in between: the chip holds the AND
  EXPECT_EQ(box_->ReadContent(0, 8192), std::vector<std::uint8_t>(8192, 0x30));
  EXPECT_EQ(box_->ReadContent(8192, 16), std::vector<std::uint8_t>(16, 0xFF));

  driver_->Send(CMD_ERASE);
  EXPECT_EQ(driver_->Read(1), std::vector<std::uint8_t>{kEraseDone});
  EXPECT_EQ(box_->ReadContent(0, 64 * 1024), std::vector<std::uint8_t>(64 * 1024, 0xFF));
  Program(second);
  EXPECT_EQ(box_->ReadContent(0, 8192), second);
}

// Whoever opens the content file sees every block the box took, even in
// the middle of a program stream, and the next command finds them there.
TEST_F(StreamsTest, TheContentFileHoldsEveryBlockTakenBeforeTheProgramEnds) {
  Start(SmallFlash(dir_, "flash"));
  driver_->Send(CMD_PROGRAM);
  const std::vector<std::uint8_t> block(4096, 0x5A);
  ASSERT_EQ(driver_->Write(block), 4096);
  ASSERT_EQ(driver_->Write(block), 4096);
  std::ifstream in(box_->ContentPath(), std::ios::binary);
  std::vector<std::uint8_t> file(8192 + 16);
  in.read(reinterpret_cast<char*>(file.data()), static_cast<std::streamsize>(file.size()));
  std::vector<std::uint8_t> expected(8192, 0x5A);
  expected.resize(8192 + 16, 0xFF);
  EXPECT_EQ(file, expected);
  ASSERT_EQ(driver_->Write(block), 4096);
  driver_->Send(CMD_IDLE);
  EXPECT_EQ(box_->ReadContent(8192, 4096), block);
}

TEST_F(StreamsTest, EepromWritesReplaceBytes) {
  auto chip = BuiltInChip("24C256");
  chip->contentPath = dir_.file("24c256.bin");
  Start(*chip);
  driver_->SetMode({1, 0x02, true});  // two word-address bytes
  Program(std::vector<std::uint8_t>(300, 0x12));
  Program(std::vector<std::uint8_t>(300, 0xA5));
  EXPECT_EQ(box_->ReadContent(0, 300), std::vector<std::uint8_t>(300, 0xA5));
}

TEST_F(StreamsTest, ReadStreamsTheCapacityInPieces) {
  Start(SmallFlash(dir_, "pattern", 12 * 1024, ContentFill::Pattern));
  driver_->Send(CMD_READ);
  const auto first = driver_->Read(kReadBlock);
  const auto second = driver_->Read(kReadBlock);
  EXPECT_EQ(first.size(), kReadBlock);
  EXPECT_EQ(second.size(), 4096u);
  int rc = 0;
  EXPECT_TRUE(driver_->Read(kReadBlock, &rc).empty());
  EXPECT_EQ(rc, kErrTimeout);
  std::vector<std::uint8_t> all = first;
  all.insert(all.end(), second.begin(), second.end());
  EXPECT_EQ(all, box_->ReadContent(0, 12 * 1024));
  // Each 16-byte row starts with its own address.
  EXPECT_EQ(std::vector<std::uint8_t>(all.begin() + 0x2F10, all.begin() + 0x2F14),
            (std::vector<std::uint8_t>{0x00, 0x00, 0x2F, 0x10}));
  EXPECT_EQ(std::string(all.begin() + 0x2F14, all.begin() + 0x2F20), "Tarnwick sim");
}

TEST_F(StreamsTest, VerifyStreamsThePayloadSizeAndIdleEndsIt) {
  Start(SmallFlash(dir_, "flash", 64 * 1024, ContentFill::Pattern));
  driver_->SetCapacity(0);  // verify takes its size from the payload
  driver_->Send(CMD_VERIFY, Be32(0x3000));
  EXPECT_EQ(driver_->ReadStream(0x3000), box_->ReadContent(0, 0x3000));
  int rc = 0;
  EXPECT_TRUE(driver_->Read(64, &rc).empty());

  driver_->Send(CMD_VERIFY, Be32(0x8000));
  EXPECT_EQ(driver_->Read(kReadBlock).size(), kReadBlock);
  driver_->Send(CMD_IDLE);
  EXPECT_TRUE(driver_->Read(kReadBlock, &rc).empty());
  EXPECT_EQ(rc, kErrTimeout);
}

TEST_F(StreamsTest, WrongModeReadsAnEmptyBusAndWritesNothing) {
  Start(SmallFlash(dir_, "flash", 64 * 1024, ContentFill::Pattern));
  driver_->SetMode({0, 0x80, false});
  driver_->SetCapacity(4096);
  driver_->Send(CMD_READ);
  EXPECT_EQ(driver_->ReadStream(4096), std::vector<std::uint8_t>(4096, 0xFF));
  const auto before = box_->ReadContent(0, 4096);
  driver_->Send(CMD_ERASE);
  EXPECT_EQ(driver_->Read(1), std::vector<std::uint8_t>{kEraseDone});
  Program(std::vector<std::uint8_t>(4096, 0x00));
  EXPECT_EQ(box_->ReadContent(0, 4096), before);
}

TEST_F(StreamsTest, WritesWithoutAProgramCommandAreNotTaken) {
  Start(SmallFlash(dir_, "flash"));
  EXPECT_EQ(driver_->Write(std::vector<std::uint8_t>(64, 0)), kErrTimeout);
  driver_->Send(CMD_PROGRAM);
  driver_->Send(CMD_IDLE);
  EXPECT_EQ(driver_->Write(std::vector<std::uint8_t>(64, 0)), kErrTimeout);
  EXPECT_EQ(box_->BytesTaken(), 0u);
}

TEST_F(StreamsTest, PartialWritesTakeOnlyPartOfABlock) {
  BoxDescription d;
  d.chip = SmallFlash(dir_, "flash");
  d.faults.scripted.push_back({FaultKind::PartialWrite, {FaultTrigger::When::Always, 0}, 3000});
  box_ = MakeBox(d);
  driver_ = std::make_unique<BoxDriver>(*box_);
  std::vector<std::uint8_t> data(10000);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 7);
  std::vector<int> counts;
  EXPECT_EQ(Program(data, &counts), data.size());
  EXPECT_EQ(counts, (std::vector<int>{3000, 3000, 3000, 1000}));
  EXPECT_EQ(box_->ReadContent(0, data.size()), data);
  EXPECT_EQ(box_->BytesTaken(), data.size());
}

TEST_F(StreamsTest, SectorReadThenWriteBack) {
  Start(SmallFlash(dir_, "flash", 64 * 1024, ContentFill::Pattern));
  driver_->SetCodes(8, 2);                       // page 256, sector 4K
  driver_->Send(CMD_SECTOR_READ, Be32(0x1010));  // the box works on the whole sector
  std::vector<std::uint8_t> sector;
  for (int i = 0; i < 4; ++i) {
    const auto piece = driver_->Read(4096);
    EXPECT_EQ(piece.size(), kSectorPiece);
    sector.insert(sector.end(), piece.begin(), piece.end());
  }
  EXPECT_EQ(sector, box_->ReadContent(0x1000, 4096));
  EXPECT_EQ(driver_->Read(64).size(), 1u);  // ready byte
  for (std::size_t i = 0x10; i < 0x20; ++i) sector[i] = 0x5A;
  EXPECT_EQ(driver_->Write(sector), 4096);
  EXPECT_EQ(driver_->Write({0}), kErrTimeout);  // the sector is complete
  driver_->Send(CMD_PROGRAM_END);
  EXPECT_EQ(driver_->Read(64), std::vector<std::uint8_t>{kProgramEndDone});
  // Sector write-back replaces bits (the box erased the sector first).
  EXPECT_EQ(box_->ReadContent(0x1000, 4096), sector);
  EXPECT_EQ(box_->ReadContent(0x0FF0, 4), (std::vector<std::uint8_t>{0, 0, 0x0F, 0xF0}));
}

TEST_F(StreamsTest, SectorUnitFollowsThePageForChipsWithoutSectors) {
  Start(SmallFlash(dir_, "flash", 64 * 1024, ContentFill::Pattern));
  driver_->SetCodes(8, 0);  // sector "N": passes of one page
  driver_->Send(CMD_SECTOR_READ, Be32(0x300));
  EXPECT_EQ(driver_->Read(4096), box_->ReadContent(0x300, 256));
  EXPECT_EQ(driver_->Read(64).size(), 1u);
  driver_->SetCodes(8, 0xFF);  // sector "F": not fillable, nothing is streamed
  driver_->Send(CMD_SECTOR_READ, Be32(0));
  int rc = 0;
  EXPECT_TRUE(driver_->Read(64, &rc).empty());
}

TEST_F(StreamsTest, ContentPersistsAndForeignSizesAreRefused) {
  ChipDescription chip = SmallFlash(dir_, "flash");
  Start(chip);
  Program(std::vector<std::uint8_t>(16, 0x42));
  box_.reset();
  Start(chip);  // the chip "taken out and put back"
  EXPECT_EQ(box_->ReadContent(0, 16), std::vector<std::uint8_t>(16, 0x42));
  EXPECT_EQ(std::filesystem::file_size(chip.contentPath), chip.size);

  chip.size *= 2;
  BoxDescription d;
  d.chip = chip;
  std::string error;
  EXPECT_FALSE(VirtualBox::Create(d, error));
  EXPECT_NE(error.find("holds 65536 bytes"), std::string::npos) << error;
}

TEST_F(StreamsTest, GigabyteChipWorksFromASparseFile) {
  ChipDescription chip = SmallFlash(dir_, "huge", std::uint64_t{1} << 30);
  { std::ofstream f(chip.contentPath, std::ios::binary); }
  std::filesystem::resize_file(chip.contentPath, chip.size);  // sparse: reads as zeros
  Start(chip);
  driver_->SetCapacity(0x40000000);
  driver_->Send(CMD_PEEK, Be32(0x3FFFFFFE));
  EXPECT_EQ(driver_->Read(64), (std::vector<std::uint8_t>{0, 0}));
  driver_->Send(CMD_READ);  // a stream of 1 GiB is produced as it is read
  EXPECT_EQ(driver_->Read(kReadBlock).size(), kReadBlock);
  driver_->Send(CMD_IDLE);
  EXPECT_EQ(box_->ReadContent(0x3FFFFFF0, 64).size(), 16u);
}

TEST_F(StreamsTest, RealisticEraseAnswersWhenTheChipIsDone) {
  ChipDescription chip = SmallFlash(dir_, "slow");
  chip.eraseMs = 40;
  BoxDescription d;
  d.chip = chip;
  d.speed = SpeedKind::Realistic;
  box_ = MakeBox(d);
  driver_ = std::make_unique<BoxDriver>(*box_);
  driver_->Send(CMD_ERASE);
  int rc = 0;
  EXPECT_TRUE(driver_->Read(1, &rc, 1).empty());  // still erasing
  EXPECT_EQ(rc, kErrTimeout);
  EXPECT_EQ(driver_->Read(1, &rc, 5000), std::vector<std::uint8_t>{kEraseDone});
  driver_->Send(CMD_FW_VERSION);
  EXPECT_EQ(driver_->Read(1, &rc, 1000), std::vector<std::uint8_t>{0x23});
}

TEST(ChipStorageTest, AddressesWrapAtTheChipEnd) {
  tarnwick::test::TempDir dir;
  ChipStorage s;
  std::string error;
  ASSERT_TRUE(s.Open(dir.file("c.bin"), 1024, ContentFill::Blank, error)) << error;
  const std::vector<std::uint8_t> data{1, 2, 3, 4};
  ASSERT_TRUE(s.Overwrite(1022, data.data(), data.size()));
  std::vector<std::uint8_t> back(4);
  ASSERT_TRUE(s.Read(1022, back.data(), 4));
  EXPECT_EQ(back, data);
  ASSERT_TRUE(s.Read(0, back.data(), 2));
  EXPECT_EQ(back[0], 3);
  EXPECT_EQ(back[1], 4);
  std::uint64_t at = 0;
  std::uint8_t value = 0;
  EXPECT_EQ(s.FindNotBlank(1000, at, value), ChipStorage::Scan::NotBlank);
  EXPECT_EQ(at, 0u);
  EXPECT_EQ(value, 3);
  ASSERT_TRUE(s.Fill(0, 1024, 0xFF));
  EXPECT_EQ(s.FindNotBlank(1024, at, value), ChipStorage::Scan::Blank);
}

}  // namespace
}  // namespace tarnwick::sim::test
