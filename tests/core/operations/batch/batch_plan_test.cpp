// The batch plan without a box: what each chip's data file holds, the
// temporary names, the start checks and how each mode moves on.
#include "core/operations/batch/batch_plan.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/file_size_limit.h"
#include "support/temp_dir.h"

namespace tarnwick::test {
namespace {

using batch::ByteOrder;
using batch::Field;
using batch::Fields;
using batch::Mode;
using batch::Plan;
using Bytes = std::vector<std::uint8_t>;

Bytes ReadAll(const std::string& path) {
  const std::string s = [&] {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    std::string out;
    if (!f) return out;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    std::fclose(f);
    return out;
  }();
  return Bytes(s.begin(), s.end());
}

Bytes Sequence(std::size_t n, std::uint8_t first) {
  Bytes b(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(first + i);
  return b;
}

TEST(BatchIdBytes, KeepTheLowBytesInTheChosenOrder) {
  EXPECT_EQ(batch::IdBytes(0x12345678, 4, ByteOrder::Little), (Bytes{0x78, 0x56, 0x34, 0x12}));
  EXPECT_EQ(batch::IdBytes(0x12345678, 4, ByteOrder::Big), (Bytes{0x12, 0x34, 0x56, 0x78}));
  EXPECT_EQ(batch::IdBytes(0x12345678, 2, ByteOrder::Big), (Bytes{0x56, 0x78}));
  EXPECT_EQ(batch::IdBytes(0x12345678, 2, ByteOrder::Little), (Bytes{0x78, 0x56}));
  // Cut to one byte: 300 is 0x12C.
  EXPECT_EQ(batch::IdBytes(300, 1, ByteOrder::Big), (Bytes{0x2C}));
  EXPECT_EQ(batch::IdBytes(300, 1, ByteOrder::Little), (Bytes{0x2C}));
}

TEST(BatchTemporaryNames, TakeTheFirstFreeNumber) {
  TempDir dir;
  const std::string master = dir.file("fw.bin");
  EXPECT_EQ(batch::UniqueName(master + "-ID"), master + "-ID-0.tmp~");
  dir.Write("fw.bin-ID-0.tmp~", "x");
  EXPECT_EQ(batch::UniqueName(master + "-ID"), master + "-ID-1.tmp~");
}

TEST(BatchCopyPadded, PadsWithFfUpToTheSizeAndNeverCutsTheSource) {
  TempDir dir;
  dir.Write("src.bin", Sequence(5, 1));
  ASSERT_TRUE(batch::CopyPadded(dir.file("a"), dir.file("src.bin"), 8));
  EXPECT_EQ(ReadAll(dir.file("a")), (Bytes{1, 2, 3, 4, 5, 0xFF, 0xFF, 0xFF}));
  ASSERT_TRUE(batch::CopyPadded(dir.file("b"), dir.file("src.bin"), 2));
  EXPECT_EQ(ReadAll(dir.file("b")), Sequence(5, 1));
  // More than one block of padding and of copying.
  dir.Write("big.bin", Bytes(70000, 0x11));
  ASSERT_TRUE(batch::CopyPadded(dir.file("c"), dir.file("big.bin"), 200000));
  const Bytes c = ReadAll(dir.file("c"));
  ASSERT_EQ(c.size(), 200000u);
  EXPECT_EQ(c[69999], 0x11);
  EXPECT_EQ(c[70000], 0xFF);
  EXPECT_EQ(c[199999], 0xFF);
  // Neither a missing source nor an unwritable destination passes.
  EXPECT_FALSE(batch::CopyPadded(dir.file("d"), dir.file("missing"), 4));
  EXPECT_FALSE(batch::CopyPadded(dir.file("no/such/dir/e"), dir.file("src.bin"), 4));
}

// A master of several MiB with a hole and a sub-file appended to it: the
// temporary copy holds exactly their bytes; a full disk fails the copy and
// never touches the master.
TEST(BatchCopyPadded, ALargeSparseMasterIsCopiedByteForByteAndAFullDiskFailsTheCopy) {
  TempDir dir;
  const std::size_t kSize = (std::size_t{4} << 20) + 77;
  Bytes master(kSize, 0);
  for (std::size_t i = 0; i < (std::size_t{2} << 20); ++i)
    master[i] = static_cast<std::uint8_t>(i * 7);
  master[kSize - 1] = 0x5A;
  dir.Write("m.bin", Bytes(master.begin(), master.begin() + (std::size_t{2} << 20)));
  std::filesystem::resize_file(dir.file("m.bin"), kSize - 1);
  {
    std::FILE* f = std::fopen(dir.file("m.bin").c_str(), "ab");
    ASSERT_NE(f, nullptr);
    std::fputc(0x5A, f);
    std::fclose(f);
  }
  ASSERT_TRUE(batch::CopyPadded(dir.file("copy"), dir.file("m.bin"), kSize + 3));
  Bytes padded = master;
  padded.insert(padded.end(), 3, 0xFF);
  EXPECT_EQ(ReadAll(dir.file("copy")), padded);

  dir.Write("sub.bin", Sequence(300, 9));
  Fields f;
  f.mode = Mode::Append;
  f.masterFile = dir.file("m.bin");
  f.files = {dir.file("sub.bin")};
  f.fillAddress = static_cast<std::uint32_t>(kSize);
  Plan plan;
  ASSERT_TRUE(plan.Start(f));
  Bytes appended = master;
  const Bytes sub = Sequence(300, 9);
  appended.insert(appended.end(), sub.begin(), sub.end());
  EXPECT_EQ(ReadAll(plan.currentFile()), appended);

  {
    FileSizeLimit full(65536);
    EXPECT_FALSE(batch::CopyPadded(dir.file("full"), dir.file("m.bin"), kSize));
  }
  EXPECT_EQ(ReadAll(dir.file("m.bin")), master);
}

class BatchPlanTest : public ::testing::Test {
 protected:
  Fields SerialFields() {
    dir.Write("m.bin", Sequence(0x20, 0));
    Fields f;
    f.mode = Mode::Serial;
    f.masterFile = dir.file("m.bin");
    f.fillAddress = 0x10;
    f.startId = 100;
    f.count = 0;
    f.increment = 5;
    f.idLength = 2;
    f.byteOrder = ByteOrder::Big;
    return f;
  }
  Fields ListFields(Mode mode) {
    Fields f;
    f.mode = mode;
    for (const char* name : {"a.bin", "b.bin", "c.bin"}) {
      dir.Write(name, std::string(3, name[0]));
      f.files.push_back(dir.file(name));
    }
    return f;
  }
  TempDir dir;
  Plan plan;
};

TEST_F(BatchPlanTest, SerialWritesTheCountAsIdAndAdvancesByTheIncrement) {
  Fields f = SerialFields();
  ASSERT_EQ(Plan::CheckFields(f), Field::None);
  EXPECT_EQ(f.count, 100u);  // count below the start ID takes the start ID
  ASSERT_TRUE(plan.Start(f));
  EXPECT_EQ(plan.currentFile(), dir.file("m.bin") + "-ID-0.tmp~");
  Bytes data = ReadAll(plan.currentFile());
  ASSERT_EQ(data.size(), 0x20u);
  EXPECT_EQ(data[0x10], 0x00);
  EXPECT_EQ(data[0x11], 0x64);
  EXPECT_EQ(data[0x12], 0x12);  // the master's own byte after the ID
  EXPECT_EQ(plan.currentId(), 100u);

  ASSERT_TRUE(plan.Advance());
  EXPECT_EQ(plan.fields().count, 105u);
  data = ReadAll(plan.currentFile());
  EXPECT_EQ(data[0x10], 0x00);
  EXPECT_EQ(data[0x11], 0x69);
  EXPECT_EQ(plan.currentId(), 105u);

  // A second start beside the first temporary file gets a name of its own.
  Plan second;
  ASSERT_TRUE(second.Start(f));
  EXPECT_EQ(second.currentFile(), dir.file("m.bin") + "-ID-1.tmp~");
}

TEST_F(BatchPlanTest, SerialIdsAreNeverCutNorWrappedRound) {
  // The first ID already too large for one byte.
  Fields f = SerialFields();
  f.idLength = 1;
  f.startId = 256;
  EXPECT_EQ(Plan::CheckFields(f), Field::IdTooLarge);
  f.startId = 0;
  f.count = 300;
  EXPECT_EQ(Plan::CheckFields(f), Field::IdTooLarge);

  // 254 and 255 fit; the chip after them gets nothing, and the file keeps 255.
  f.startId = 254;
  f.count = 0;
  f.increment = 1;
  ASSERT_EQ(Plan::CheckFields(f), Field::None);
  ASSERT_TRUE(plan.Start(f));
  ASSERT_TRUE(plan.Advance());
  EXPECT_EQ(plan.currentId(), 255u);
  EXPECT_FALSE(plan.Advance());
  EXPECT_TRUE(plan.idsUsedUp());
  EXPECT_EQ(plan.fields().count, 255u);
  EXPECT_EQ(ReadAll(plan.currentFile())[0x10], 0xFF);

  // Four bytes: the 32-bit count does not wrap to 0.
  Fields g = SerialFields();
  g.idLength = 4;
  g.startId = 0xFFFFFFFEu;
  g.increment = 2;
  ASSERT_EQ(Plan::CheckFields(g), Field::None);
  Plan four;
  ASSERT_TRUE(four.Start(g));
  EXPECT_FALSE(four.Advance());
  EXPECT_EQ(four.fields().count, 0xFFFFFFFEu);
}

TEST(BatchIdSeries, FitsOnlyWhenItsLastIdFits) {
  EXPECT_EQ(batch::MaxId(1), 255u);
  EXPECT_EQ(batch::MaxId(2), 65535u);
  EXPECT_EQ(batch::MaxId(4), 0xFFFFFFFFu);
  EXPECT_TRUE(batch::SeriesFits(253, 1, 3, 1));
  EXPECT_FALSE(batch::SeriesFits(254, 1, 3, 1));
  EXPECT_TRUE(batch::SeriesFits(0, 5, 13108, 2));   // 65535
  EXPECT_FALSE(batch::SeriesFits(0, 5, 13109, 2));  // 65540
  EXPECT_TRUE(batch::SeriesFits(0xFFFFFFFFu, 7, 1, 4));
  EXPECT_FALSE(batch::SeriesFits(0xFFFFFFFFu, 1, 2, 4));
  EXPECT_FALSE(batch::SeriesFits(0, 0xFFFFFFFFu, 1000000000, 4));
}

TEST_F(BatchPlanTest, SerialPadsPastTheMastersEnd) {
  Fields f = SerialFields();
  f.fillAddress = 0x30;
  f.idLength = 4;
  f.byteOrder = ByteOrder::Little;
  ASSERT_EQ(Plan::CheckFields(f), Field::None);
  ASSERT_TRUE(plan.Start(f));
  const Bytes data = ReadAll(plan.currentFile());
  ASSERT_EQ(data.size(), 0x34u);
  EXPECT_EQ(data[0x1F], 0x1F);
  EXPECT_EQ(data[0x20], 0xFF);
  EXPECT_EQ(data[0x2F], 0xFF);
  EXPECT_EQ(Bytes(data.begin() + 0x30, data.end()), (Bytes{100, 0, 0, 0}));
}

TEST_F(BatchPlanTest, ListStartsAtTheSelectedEntryAndStopsAfterTheLast) {
  Fields f = ListFields(Mode::List);
  f.selected = 1;
  ASSERT_EQ(Plan::CheckFields(f), Field::None);
  ASSERT_TRUE(plan.Start(f));
  EXPECT_EQ(plan.currentFile(), dir.file("b.bin"));
  EXPECT_EQ(plan.fields().selected, 1);
  ASSERT_TRUE(plan.Advance());
  EXPECT_EQ(plan.currentFile(), dir.file("c.bin"));
  EXPECT_EQ(plan.fields().selected, 2);
  EXPECT_EQ(plan.fields().count, 1u);
  EXPECT_FALSE(plan.Advance());
  EXPECT_EQ(plan.fields().selected, -1);
  EXPECT_EQ(plan.fields().count, 2u);
  EXPECT_EQ(plan.NextChipLoad(), batch::StepLoad::LoadFile);
}

TEST_F(BatchPlanTest, ListWithoutSelectionStartsAtTheFirstEntry) {
  Fields f = ListFields(Mode::List);
  ASSERT_TRUE(plan.Start(f));
  EXPECT_EQ(plan.currentFile(), dir.file("a.bin"));
}

TEST_F(BatchPlanTest, AppendPutsEachSubFileAtTheFillAddressOrRightAfterALongerMaster) {
  Fields f = ListFields(Mode::Append);
  dir.Write("m.bin", Sequence(4, 1));
  f.masterFile = dir.file("m.bin");
  f.fillAddress = 8;
  ASSERT_EQ(Plan::CheckFields(f), Field::None);
  ASSERT_TRUE(plan.Start(f));
  EXPECT_EQ(plan.currentFile(), dir.file("m.bin") + "-a.bin-0.tmp~");
  EXPECT_EQ(ReadAll(plan.currentFile()),
            (Bytes{1, 2, 3, 4, 0xFF, 0xFF, 0xFF, 0xFF, 'a', 'a', 'a'}));
  ASSERT_TRUE(plan.Advance());
  EXPECT_EQ(plan.currentFile(), dir.file("m.bin") + "-b.bin-0.tmp~");
  EXPECT_EQ(ReadAll(plan.currentFile()),
            (Bytes{1, 2, 3, 4, 0xFF, 0xFF, 0xFF, 0xFF, 'b', 'b', 'b'}));
  ASSERT_TRUE(plan.Advance());
  EXPECT_FALSE(plan.Advance());
  EXPECT_EQ(plan.fields().count, 3u);

  // A master longer than the fill address: the sub-file follows its end.
  Fields g = ListFields(Mode::Append);
  g.masterFile = dir.file("m.bin");
  g.fillAddress = 2;
  Plan longer;
  ASSERT_TRUE(longer.Start(g));
  EXPECT_EQ(ReadAll(longer.currentFile()), (Bytes{1, 2, 3, 4, 'a', 'a', 'a'}));
}

TEST_F(BatchPlanTest, RepeatKeepsTheMasterAndCountsChips) {
  dir.Write("m.bin", "data");
  Fields f;
  f.masterFile = dir.file("m.bin");
  f.count = 7;
  ASSERT_TRUE(plan.Start(f));
  EXPECT_EQ(plan.currentFile(), dir.file("m.bin"));
  ASSERT_TRUE(plan.Advance());
  ASSERT_TRUE(plan.Advance());
  EXPECT_EQ(plan.fields().count, 9u);
  EXPECT_EQ(plan.NextChipLoad(), batch::StepLoad::UseLoaded);
}

TEST_F(BatchPlanTest, StartChecksPointAtTheMissingField) {
  Fields f;
  f.masterFile = dir.file("nothing.bin");
  EXPECT_EQ(Plan::CheckFields(f), Field::MasterFile);
  f.mode = Mode::List;  // needs no master, but a list
  EXPECT_EQ(Plan::CheckFields(f), Field::FileList);
  dir.Write("m.bin", "x");
  f.mode = Mode::Append;
  f.masterFile = dir.file("m.bin");
  EXPECT_EQ(Plan::CheckFields(f), Field::FileList);
  // A directory is no master file.
  f.mode = Mode::Repeat;
  f.masterFile = dir.base();
  EXPECT_EQ(Plan::CheckFields(f), Field::MasterFile);
  f.mode = Mode::Serial;
  f.masterFile = dir.file("m.bin");
  f.increment = 0;
  EXPECT_EQ(Plan::CheckFields(f), Field::Increment);
}

TEST_F(BatchPlanTest, ATemporaryFileThatCannotBeMadeLeavesThePlanUnstarted) {
  // A master whose name leaves no room for the temporary suffix.
  const std::string name(250, 'm');
  dir.Write(name, Sequence(0x20, 0));
  Fields f = SerialFields();
  f.masterFile = dir.file(name);
  ASSERT_EQ(Plan::CheckFields(f), Field::None);
  EXPECT_FALSE(plan.Start(f));
  EXPECT_TRUE(plan.currentFile().empty());
}

TEST(BatchEnabling, EachModeEnablesItsOwnFields) {
  EXPECT_FALSE(batch::EnablingFor(Mode::Repeat).fileList);
  EXPECT_TRUE(batch::EnablingFor(Mode::Repeat).masterFile);
  EXPECT_TRUE(batch::EnablingFor(Mode::List).fileList);
  EXPECT_FALSE(batch::EnablingFor(Mode::List).masterFile);
  EXPECT_TRUE(batch::EnablingFor(Mode::Serial).idFields);
  EXPECT_TRUE(batch::EnablingFor(Mode::Serial).fillAddress);
  EXPECT_FALSE(batch::EnablingFor(Mode::Serial).fileList);
  EXPECT_TRUE(batch::EnablingFor(Mode::Append).fileList);
  EXPECT_TRUE(batch::EnablingFor(Mode::Append).fillAddress);
  EXPECT_FALSE(batch::EnablingFor(Mode::Append).idFields);
}

}  // namespace
}  // namespace tarnwick::test
