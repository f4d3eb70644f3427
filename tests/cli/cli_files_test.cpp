// tarnwick-cli merge and split: the file tools without a box, as a script
// would call them.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli/cli_fixture.h"
#include "core/app/text_ids.h"

namespace tarnwick::test {
namespace {

class CliFiles : public CliFlow {};

TEST_F(CliFiles, MergeWritesOutWithBinAddedAndPrintsItsPath) {
  dir.Write("a.bin", std::string("abc"));
  dir.Write("b.bin", std::string("12345"));
  const CliRun r = Cli({"merge", dir.file("out"), dir.file("a.bin"), dir.file("b.bin")}, "");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, dir.file("out.bin") + "\n");
  EXPECT_NE(r.err.find(texts.itext(itext::kMergeDone)), std::string::npos);
  EXPECT_EQ(dir.Read("out.bin"), "abc12345");

  const CliRun missing = Cli({"merge", dir.file("o2"), dir.file("a.bin"), dir.file("nope")}, "");
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find(texts.itext(itext::kCannotOpenFile)), std::string::npos);
  EXPECT_EQ(dir.Read("o2.bin"), "abc");  // what was copied stays
}

TEST_F(CliFiles, MergeRefusesTheProgramsOwnFilesAsTheWindowDoes) {
  dir.Write("a.bin", std::string("abc"));
  const std::string catalogue = dir.Read("database.dat");
  for (const char* own : {"database.dat", "h_ven1.dll", "temp/tempFile.bin"}) {
    const CliRun r = Cli({"merge", dir.base() + own, dir.file("a.bin")}, "");
    EXPECT_EQ(r.status, 1) << own;
    EXPECT_NE(r.err.find("one of the program's own files"), std::string::npos) << r.err;
  }
  EXPECT_EQ(dir.Read("database.dat"), catalogue);
  EXPECT_FALSE(std::filesystem::exists(dir.base() + "h_ven1.dll"));
}

TEST_F(CliFiles, SplitCutsAtThePointsAndRefusesBadOnes) {
  const std::string source = RandomFile("fw.bin", 4096);
  const CliRun r = Cli({"split", source, "2048,1024,3000"}, "");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, dir.file("fw_0-2047.bin") + "\n" + dir.file("fw_2048-2999.bin") + "\n" +
                       dir.file("fw_3000-4095.bin") + "\n");
  const std::string all = dir.Read("fw.bin");
  EXPECT_EQ(dir.Read("fw_2048-2999.bin"), all.substr(2048, 952));

  const CliRun bad = Cli({"split", source, "10;20"}, "");
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.err.find(texts.itext(itext::kSplitBadPoints)), std::string::npos);

  // Leading zeros: still the point 12. A number beyond 64 bits is refused.
  const CliRun zeros = Cli({"split", source, "00000000000000000000012"}, "");
  EXPECT_EQ(zeros.status, 0) << zeros.err;
  EXPECT_EQ(dir.Read("fw_0-11.bin"), all.substr(0, 12));
  EXPECT_EQ(dir.Read("fw_12-4095.bin"), all.substr(12));
  const CliRun huge = Cli({"split", source, "100,18446744073709551616"}, "");
  EXPECT_EQ(huge.status, 1);
  EXPECT_NE(huge.err.find(texts.itext(itext::kSplitBadPoints)), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir.file("fw_0-99.bin")));
}

}  // namespace
}  // namespace tarnwick::test

namespace tarnwick::test {
namespace {

TEST_F(CliFiles, FindPrintsEveryHitAndSaysWhenThereIsNone) {
  dir.Write("s.bin", std::string("\xAA\xAA\xAA\xAB..ab..ab"));
  CliRun r = Cli({"find", "aaaaab", dir.file("s.bin")}, "--simulate");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "00000001\n");
  r = Cli({"find", "ab", dir.file("s.bin"), "--text"}, "--simulate");
  EXPECT_EQ(r.out, "00000006\n0000000A\n");
  EXPECT_EQ(Cli({"find", "1234", dir.file("s.bin")}, "--simulate").status, 1);
  EXPECT_EQ(Cli({"find", "A B", dir.file("s.bin")}, "--simulate").status, 2);
}

TEST_F(CliFiles, FindThatCannotSearchItsFileIsAnErrorNotNoHit) {
  // 1 means "searched, nothing there": a file that was never searched is 2.
  std::filesystem::create_directory(dir.file("folder.bin"));
  const CliRun r = Cli({"find", "AA", dir.file("folder.bin")}, "--simulate");
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_NE(r.err.find("cannot load"), std::string::npos) << r.err;
  EXPECT_EQ(Cli({"find", "AA", dir.file("missing.bin")}, "--simulate").status, 2);
}

}  // namespace
}  // namespace tarnwick::test
