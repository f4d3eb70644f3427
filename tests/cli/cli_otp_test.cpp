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
  // Only bits the area still has set are cleared: the chip can take it.
  std::string bits = dir.Read("a.bin");
  for (char& c : bits) c = static_cast<char>(c & 0x5A);
  dir.Write("b.bin", bits);
  const std::string b = dir.file("b.bin");
  const CliRun refused = Otp({"program", b});
  EXPECT_NE(refused.status, 0);
  EXPECT_NE(refused.err.find(texts.itext(itext::kOtpNotBlankAsk)), std::string::npos);
  EXPECT_EQ(Area(), before);

  CliRun yes = Cli({"--yes", "otp", "program", b}, "--simulate=" + dir.file("gd.box"));
  EXPECT_EQ(yes.status, 0) << yes.err;
  EXPECT_EQ(Area().substr(0, 32), bits);
}

TEST_F(CliOtp, AFileLargerThanTheAreaIsRefusedWithoutYes) {
  const CliRun r = Otp({"program", RandomFile("big.bin", 257)});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(texts.itext(itext::kOtpFileLargerAsk)), std::string::npos);
  EXPECT_EQ(Area(), std::string(256, '\xFF') + '\0');
}

// An S25FL032P: family 5, whose lock bits are bytes of the area itself
// (0x100-0x101, 0x112-0x113, 0x214-0x215).
class CliOtpSpansion : public CliOtp {
 protected:
  CliRun Program(const std::vector<std::string>& more, bool locked = false, bool yes = false) {
    dir.Write("s.box", std::string("[chip]\nmodel = S25FL032P\nid = 010215\nsize = 4M\n") +
                           "otp_size = 512\notp_start = 0x100\ncontent = s.bin\nfill = blank\n" +
                           (locked ? "otp_locked = yes\n" : ""));
    std::vector<std::string> words = {"otp", "program", dir.file("lockbits.bin")};
    if (yes) words.insert(words.begin(), "--yes");
    words.insert(words.end(), more.begin(), more.end());
    return Cli(words, "--simulate=" + dir.file("s.box"));
  }
  std::string File() { return dir.Read("lockbits.bin"); }
  std::string Area() const { return dir.Read("s.bin.otp"); }
  std::string LockBytes(const std::string& area) {
    return area.substr(0x00, 2) + area.substr(0x12, 2) + area.substr(0x114, 2);
  }
  void SetUp() override {
    CliOtp::SetUp();
    RandomFile("lockbits.bin", 512, 3);
  }
};

TEST_F(CliOtpSpansion, TheFilesLockBytesAreWrittenOnlyWithLock) {
  const CliRun plain = Program({});
  EXPECT_EQ(plain.status, 0) << plain.err;
  EXPECT_EQ(LockBytes(Area()), std::string(6, '\xFF'));
  EXPECT_NE(plain.err.find(texts.itext(itext::kOtpLockBytesLeft)), std::string::npos);
  EXPECT_EQ(Area().substr(0x20, 0x40), File().substr(0x20, 0x40));

  // Locked later: the same file again, over the area it is already in.
  const CliRun locking = Program({"--lock"}, false, true);
  EXPECT_EQ(locking.status, 0) << locking.err;
  EXPECT_EQ(Area().substr(0, 512), File());
}

TEST_F(CliOtpSpansion, AnAreaThatTakesNothingFailsNamingTheFirstDifference) {
  const CliRun r = Program({}, true);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(texts.itext(itext::kOtpVerifyFailed) + "102H:"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(texts.itext(itext::kOtpProgramFailed)), std::string::npos);
  EXPECT_EQ(r.err.find(texts.itext(itext::kOtpProgramDone)), std::string::npos);
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
