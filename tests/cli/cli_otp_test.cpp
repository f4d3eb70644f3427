// tarnwick-cli otp: a production line programs, locks, reads and checks the
// OTP area of the chip in the socket, and the exit status says whether it
// was done.
#include <gtest/gtest.h>

#include "cli/cli_fixture.h"
#include "core/app/text_ids.h"

namespace tarnwick::test {
namespace {

class CliOtp : public CliFlow {
 protected:
  void SetUp() override {
    CliFlow::SetUp();
    dir.Write("gd.box",
              "[chip]\nmodel = GD25D40\nid = C83013\nsize = 512K\npage = 256\nsector = 4K\n"
              "otp_size = 256\ncontent = gd.bin\nfill = blank\n");
  }
  CliRun Otp(std::vector<std::string> words) {
    words.insert(words.begin(), "otp");
    return Cli(words, "--simulate=" + dir.file("gd.box"));
  }
  // The area as the virtual box keeps it: its bytes, then the lock byte.
  std::string Area() const { return dir.Read("gd.bin.otp"); }
};

TEST_F(CliOtp, ProgrammingAShortFileFillsTheAreaAndLogsOnStandardError) {
  const std::string file = RandomFile("f100.bin", 100);
  const CliRun r = Otp({"program", file});
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string area = Area();
  ASSERT_EQ(area.size(), 257u);
  EXPECT_EQ(area.substr(0, 100), dir.Read("f100.bin"));
  EXPECT_EQ(area.substr(100, 156), std::string(156, '\xFF'));
  EXPECT_EQ(area[256], '\0') << "not locked";
  EXPECT_NE(r.err.find(texts.itext(itext::kOtpDetecting)), std::string::npos);
  EXPECT_NE(r.err.find("........" + texts.itext(itext::kOtpProgramDone) + "\n"), std::string::npos);
}

TEST_F(CliOtp, ALockedAreaRefusesProgrammingAndDetectSaysLocked) {
  const std::string file = RandomFile("f.bin", 256);
  ASSERT_EQ(Otp({"program", file, "--lock"}).status, 0);
  EXPECT_EQ(Area()[256], '\x01');

  const CliRun again = Otp({"program", file});
  EXPECT_NE(again.status, 0);
  const CliRun detect = Otp({"detect"});
  EXPECT_EQ(detect.status, 0) << detect.err;
  EXPECT_EQ(detect.out, "OTP area: 256 bytes at 0x0000, locked\n");
}

TEST_F(CliOtp, ANotBlankAreaIsProgrammedOnlyWithYes) {
  ASSERT_EQ(Otp({"program", RandomFile("a.bin", 32, 1)}).status, 0);
  const std::string before = Area();
  const std::string b = RandomFile("b.bin", 32, 2);
  const CliRun refused = Otp({"program", b});
  EXPECT_NE(refused.status, 0);
  EXPECT_NE(refused.err.find(texts.itext(itext::kOtpNotBlankAsk)), std::string::npos);
  EXPECT_EQ(Area(), before);

  CliRun yes = Cli({"--yes", "otp", "program", b}, "--simulate=" + dir.file("gd.box"));
  EXPECT_EQ(yes.status, 0) << yes.err;
  EXPECT_NE(Area(), before);
}

TEST_F(CliOtp, ReadSavesTheAreaAndVerifyAndBlankJudgeIt) {
  const std::string file = RandomFile("f.bin", 256, 9);
  EXPECT_EQ(Otp({"blank"}).status, 0);
  ASSERT_EQ(Otp({"program", file}).status, 0);
  EXPECT_NE(Otp({"blank"}).status, 0);

  const CliRun read = Otp({"read", dir.file("read.bin")});
  EXPECT_EQ(read.status, 0) << read.err;
  EXPECT_EQ(dir.Read("read.bin"), dir.Read("f.bin"));

  EXPECT_EQ(Otp({"verify", file}).status, 0);
  const CliRun differs = Otp({"verify", RandomFile("other.bin", 256, 10)});
  EXPECT_NE(differs.status, 0);
  EXPECT_NE(differs.err.find(texts.itext(itext::kOtpVerifyFailed) + "000H:"), std::string::npos);
}

TEST_F(CliOtp, WrongWordsAreRefusedBeforeTheBoxIsTouched) {
  for (const std::vector<std::string>& words : {std::vector<std::string>{"burn"},
                                                {"read"},
                                                {"verify"},
                                                {"detect", "x.bin"},
                                                {"read", "x.bin", "--lock"},
                                                {"program", "f.bin", "--lok"}}) {
    const CliRun r = Otp(words);
    EXPECT_EQ(r.status, 2) << words[0];
    EXPECT_NE(r.err.find("usage:"), std::string::npos);
  }
  EXPECT_FALSE(std::filesystem::exists(dir.file("gd.bin.otp")));
}

TEST_F(CliOtp, AChipWithoutAKnownAreaFailsEveryCommand) {
  // The default box holds an EN25Q64, whose area is known; this one is not.
  dir.Write("other.box", "[chip]\nmodel = EN25QH128\n");
  const CliRun r = Cli({"otp", "detect"}, "--simulate=" + dir.file("other.box"));
  EXPECT_NE(r.status, 0);
  EXPECT_TRUE(r.out.empty());
  EXPECT_NE(r.err.find(texts.itext(itext::kOtpUnknownChip)), std::string::npos);
}

}  // namespace
}  // namespace tarnwick::test
