// The production record: the lines it appends and which serial numbers it
// counts as already programmed from a master file.
#include "core/operations/batch/batch_record.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace tarnwick::test {
namespace {

using batch::Mode;

BatchChipLine SerialLine(const std::string& file, std::uint32_t id, const std::string& checksum,
                         int result = batch::kResultDone) {
  BatchChipLine line;
  line.chip = 1;
  line.time = "2026-01-01T10:00:00+0000";
  line.mode = Mode::Serial;
  line.file = file;
  line.id = id;
  line.checksum = checksum;
  line.steps = "erase+program+verify";
  line.result = result;
  return line;
}

// The checksum column of a 4-byte master 01 02 03 04 with a 1-byte ID at
// offset 6: the bytes, two 0xFF of padding, then the ID.
std::string SumWithId(std::uint32_t id) {
  char text[16];
  std::snprintf(text, sizeof text, "%010X", 1 + 2 + 3 + 4 + 0xFF + 0xFF + (id & 0xFF));
  return text;
}

TEST(BatchRecord, AppendsLinesUnderOneHeaderAndQuotesOddFileNames) {
  TempDir dir;
  const std::string record = dir.file("r.csv");
  ASSERT_TRUE(batch::AppendRecordLine(record, SerialLine("/a/b.bin-ID-0.tmp~", 7, "0A")));
  ASSERT_TRUE(batch::AppendRecordLine(record, SerialLine("/a/x,\"y\".bin", 8, "0B")));
  EXPECT_EQ(dir.Read("r.csv"),
            "chip,time,mode,file,id,checksum,steps,result,seconds\n"
            "1,2026-01-01T10:00:00+0000,serial,/a/b.bin-ID-0.tmp~,7,0A,erase+program+verify,"
            "done,0.0\n"
            "1,2026-01-01T10:00:00+0000,serial,\"/a/x,\"\"y\"\".bin\",8,0B,erase+program+verify,"
            "done,0.0\n");
  const std::vector<std::string> fields =
      batch::SplitCsvLine("1,t,serial,\"/a/x,\"\"y\"\".bin\",8,0B,s,done,0.0");
  ASSERT_EQ(fields.size(), 9u);
  EXPECT_EQ(fields[3], "/a/x,\"y\".bin");
  EXPECT_FALSE(batch::AppendRecordLine(dir.file("no/such/r.csv"), SerialLine("f", 1, "")));
}

TEST(BatchRecord, CountsAnIdDoneFromTheSameMasterByPathOrByContent) {
  TempDir dir;
  dir.Write("m.bin", std::string("\x01\x02\x03\x04", 4));
  dir.Write("copy.bin", std::string("\x01\x02\x03\x04", 4));
  dir.Write("other.bin", std::string("\x09\x09\x09\x09", 4));
  const std::string record = dir.file("r.csv");
  auto add = [&](const BatchChipLine& line) { ASSERT_TRUE(batch::AppendRecordLine(record, line)); };
  // From this master's own data file.
  add(SerialLine(dir.file("m.bin") + "-ID-3.tmp~", 10, "FFFF"));
  // From a copy elsewhere: the same bytes with ID 11 give the same sum.
  add(SerialLine("/elsewhere/fw.bin-ID-0.tmp~", 11, SumWithId(11)));
  // Not this master: other bytes, or the sum of another ID.
  add(SerialLine(dir.file("other.bin") + "-ID-0.tmp~", 12, "0000000100"));
  add(SerialLine("/elsewhere/fw.bin-ID-1.tmp~", 13, SumWithId(99)));
  // Not programmed, or not a serial number.
  add(SerialLine(dir.file("m.bin") + "-ID-0.tmp~", 14, "", batch::kResultStepFailed));
  BatchChipLine repeat = SerialLine(dir.file("m.bin"), 15, "");
  repeat.mode = Mode::Repeat;
  add(repeat);

  const batch::SerialMaster master = batch::DescribeMaster(dir.file("m.bin"), 6, 1);
  ASSERT_TRUE(master.baseSum.has_value());
  EXPECT_EQ(batch::RecordedIds(record, master), (std::set<std::uint32_t>{10, 11}));
  // The copy is the same master by content.
  EXPECT_EQ(batch::RecordedIds(record, batch::DescribeMaster(dir.file("copy.bin"), 6, 1)),
            (std::set<std::uint32_t>{11}));
  EXPECT_TRUE(batch::RecordedIds(dir.file("none.csv"), master).empty());
}

}  // namespace
}  // namespace tarnwick::test
