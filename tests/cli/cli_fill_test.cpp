// tarnwick-cli fill: writes straight into the chip, only the range given.
#include <gtest/gtest.h>

#include "cli/cli_fixture.h"
#include "core/app/text_ids.h"

namespace tarnwick::test {
namespace {

class CliFill : public CliFlow {};

TEST_F(CliFill, AValueRangeChangesExactlyItsBytes) {
  ASSERT_EQ(Cli({"detect"}).status, 0);  // the chip's content file now exists
  const std::string before = Chip();
  const CliRun r = Cli({"fill", "1010", "16", "AB"});
  EXPECT_EQ(r.status, 0) << r.err;
  std::string expected = before;
  expected.replace(0x1010, 16, std::string(16, '\xAB'));
  EXPECT_EQ(Chip(), expected);
  EXPECT_NE(r.err.find(texts.itext(itext::kFillDone)), std::string::npos);
}

TEST_F(CliFill, AFileIsWrittenWholeFromTheAddress) {
  ASSERT_EQ(Cli({"detect"}).status, 0);
  const std::string file = RandomFile("fill.bin", 5000);
  const std::string before = Chip();
  const CliRun r = Cli({"fill", "FF0", "--file", file});
  EXPECT_EQ(r.status, 0) << r.err;
  std::string expected = before;
  expected.replace(0xFF0, 5000, dir.Read("fill.bin"));
  EXPECT_EQ(Chip(), expected);
}

TEST_F(CliFill, WrongWordsAndARangeBeyondTheChipFail) {
  for (const std::vector<std::string>& words : {std::vector<std::string>{"fill", "10", "x", "AB"},
                                                {"fill", "G0", "1", "AB"},
                                                {"fill", "10", "1", "ABCDE"},
                                                {"fill", "10", "--file"}}) {
    EXPECT_EQ(Cli(words).status, 2) << words[1];
  }
  const CliRun beyond = Cli({"fill", "7FFFF8", "16", "00"});  // the chip is 8 MiB
  EXPECT_EQ(beyond.status, 1);
  EXPECT_NE(beyond.err.find(texts.itext(itext::kFillFailed)), std::string::npos);
  EXPECT_EQ(Cli({"fill", "10", "--file", dir.file("missing.bin")}).status, 1);
}

}  // namespace
}  // namespace tarnwick::test

namespace tarnwick::test {
namespace {

TEST_F(CliFill, PeekShowsWhatAFillWrote) {
  ASSERT_EQ(Cli({"fill", "20", "2", "C3"}).status, 0);
  const CliRun r = Cli({"peek", "21"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "C3\n");
  EXPECT_EQ(Cli({"peek", "800000"}).status, 1);  // past the 8 MiB chip
  EXPECT_EQ(Cli({"peek", "xyz"}).status, 2);
}

}  // namespace
}  // namespace tarnwick::test
