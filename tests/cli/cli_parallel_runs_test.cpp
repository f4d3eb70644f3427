// Runs beside each other on one base directory: two boxes on one production
// line share the folder, and each run must program, verify and log only its
// own image.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>

#include "cli/cli_fixture.h"

namespace tarnwick::test {
namespace {

class CliParallelRuns : public CliFlow {
 protected:
  // A GD25D40 (512 KiB) at realistic speed, its content in `content`.
  std::string Box(const std::string& name, const std::string& content) {
    dir.Write(name, "[chip]\nmodel = GD25D40\ncontent = " + content +
                        "\nfill = pattern\n[speed]\nmodel = realistic\n");
    return dir.file(name);
  }
  std::string Run(const std::string& box, const std::string& image, const std::string& tag) {
    const std::string cli = Quote(std::string(TARNWICK_PORTABLE_DIR) + "/tarnwick-cli");
    return cli + " --simulate=" + Quote(box) + " --base-dir " + Quote(dir.base()) + " --yes auto " +
           Quote(image) + " >" + Quote(dir.file(tag + ".out")) + " 2>" +
           Quote(dir.file(tag + ".err")) + " </dev/null; echo $? >" + Quote(dir.file(tag + ".rc"));
  }
};

TEST_F(CliParallelRuns, TwoRunsOnOneBaseDirectoryEachProgramAndVerifyTheirOwnImage) {
  const std::string boxA = Box("a.box", "chip-a.bin");
  const std::string boxB = Box("b.box", "chip-b.bin");
  const std::string imageA = RandomFile("a.img", 384 * 1024, 1);
  const std::string imageB = RandomFile("b.img", 384 * 1024, 2);
  // The second starts while the first is still erasing.
  const std::string both =
      "(" + Run(boxA, imageA, "a") + ") & sleep 0.3; " + Run(boxB, imageB, "b") + "; wait";
  ASSERT_EQ(std::system(both.c_str()), 0);

  EXPECT_EQ(dir.Read("a.rc"), "0\n") << dir.Read("a.err");
  EXPECT_EQ(dir.Read("b.rc"), "0\n") << dir.Read("b.err");
  EXPECT_TRUE(dir.Read("chip-a.bin").substr(0, 384 * 1024) == dir.Read("a.img"))
      << "chip A does not hold the image of its own run";
  EXPECT_TRUE(dir.Read("chip-b.bin").substr(0, 384 * 1024) == dir.Read("b.img"))
      << "chip B does not hold the image of its own run";
  // Each run took its work files away with it.
  EXPECT_FALSE(std::filesystem::exists(dir.file("cli-work")));
  // Whole lines from each run: a date only ever starts a line.
  const std::string log = dir.Read("log.txt");
  EXPECT_FALSE(
      std::regex_search(log, std::regex(R"([^\n]\d{4}\\\d{2}\\\d{2} \d{2}:\d{2}:\d{2}\t)")))
      << log;
}

}  // namespace
}  // namespace tarnwick::test
