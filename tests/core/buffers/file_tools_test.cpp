// Merging files end to end and splitting one at byte offsets, on real files:
// what ends up on disk and which message the dialog shows.
#include "core/buffers/merge_split/file_tools.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "core/app/text_ids.h"
#include "support/temp_dir.h"

namespace tarnwick::buffers {
namespace {

namespace fs = std::filesystem;

std::string Bytes(std::size_t n, unsigned seed) {
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 31 + seed * 7) & 0xFF);
  return s;
}

class FileTools : public ::testing::Test {
 protected:
  test::TempDir dir;
};

TEST_F(FileTools, MergeJoinsTheFilesInListOrderAndNamesTheResult) {
  dir.Write("a.bin", std::string("abc"));
  dir.Write("b.bin", std::string("12345"));
  FileToolResult r = MergeFiles(dir.path().string(), "out", {dir.file("a.bin"), dir.file("b.bin")});
  EXPECT_TRUE(r.done);
  EXPECT_EQ(r.message, itext::kMergeDone);
  ASSERT_EQ(r.written, std::vector<std::string>{dir.file("out.bin")});
  EXPECT_EQ(dir.Read("out.bin"), "abc12345");

  r = MergeFiles(dir.path().string() + "/", "out.rom", {dir.file("b.bin")});
  EXPECT_EQ(dir.Read("out.rom"), "12345");
  EXPECT_EQ(MergedPath("/x", "a.b"), "/x/a.b");
  EXPECT_EQ(MergedPath("/x/", "name"), "/x/name.bin");
}

TEST_F(FileTools, MergeRefusalsNameWhatIsMissingAndNeverEatAnInput) {
  EXPECT_EQ(MergeFiles("", "out", {}).message, itext::kMergeNoFolder);
  EXPECT_EQ(MergeFiles(dir.path().string(), "", {}).message, itext::kMergeNoName);
  EXPECT_EQ(MergeFiles(dir.file("no-such-folder"), "out", {}).message, itext::kMergeCannotCreate);

  // The result would truncate one of its own inputs.
  dir.Write("a.bin", std::string("keep me"));
  const FileToolResult self = MergeFiles(dir.path().string(), "a.bin", {dir.file("a.bin")});
  EXPECT_FALSE(self.done);
  EXPECT_EQ(self.message, itext::kMergeCannotCreate);
  EXPECT_EQ(dir.Read("a.bin"), "keep me");

  // An empty list leaves an empty result and says it is done.
  const FileToolResult empty = MergeFiles(dir.path().string(), "none", {});
  EXPECT_TRUE(empty.done);
  EXPECT_EQ(fs::file_size(dir.file("none.bin")), 0u);
}

TEST_F(FileTools, MergeStopsAtAnInputItCannotReadAndKeepsWhatWasCopied) {
  dir.Write("a.bin", std::string("first"));
  const std::string fifo = dir.file("pipe");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const FileToolResult r =
      MergeFiles(dir.path().string(), "out", {dir.file("a.bin"), fifo, dir.file("a.bin")});
  EXPECT_FALSE(r.done);
  EXPECT_EQ(r.message, itext::kCannotOpenFile);
  EXPECT_EQ(dir.Read("out.bin"), "first");
}

TEST_F(FileTools, SplitPointsAreReadLeftToRightAgainstTheFileLength) {
  auto offsets = [](const std::string& points, std::uint64_t length) {
    std::vector<std::pair<std::uint64_t, std::uint64_t>> out;
    for (const SplitPart& p : PlanSplit(points, length)) out.emplace_back(p.first, p.length);
    return out;
  };
  using V = std::vector<std::pair<std::uint64_t, std::uint64_t>>;
  EXPECT_EQ(offsets("1024,2048", 4096), (V{{0, 1024}, {1024, 1024}, {2048, 2048}}));
  EXPECT_EQ(offsets("1024\xEF\xBC\x8C"
                    "2048",
                    4096),
            offsets("1024,2048", 4096));
  EXPECT_EQ(offsets("2048,1024,3000", 4096), (V{{0, 2048}, {2048, 952}, {3000, 1096}}));
  // A point past the end ends the list, later points included.
  EXPECT_EQ(offsets("1000,5000,2000", 4096), (V{{0, 1000}, {1000, 3096}}));
  EXPECT_EQ(offsets("1000,", 4096), (V{{0, 1000}, {1000, 3096}}));
  EXPECT_EQ(offsets("4096", 4096), (V{{0, 4096}, {4096, 0}}));
  EXPECT_EQ(offsets("99999999999999999999999", 4096), (V{{0, 4096}}));

  EXPECT_TRUE(
      SplitPointsValid("1,2\xEF\xBC\x8C"
                       "3"));
  for (const char* bad : {",1024", "1024;2048", "10 24", "-1", "0x10"}) {
    EXPECT_FALSE(SplitPointsValid(bad)) << bad;
  }
}

TEST_F(FileTools, SplitWritesNamedPartsBesideTheSource) {
  const std::string content = Bytes(4096, 3);
  dir.Write("fw.bin", content);
  const FileToolResult r = SplitFile(dir.file("fw.bin"), "1024,2048");
  EXPECT_TRUE(r.done);
  EXPECT_EQ(r.message, itext::kSplitDone);
  EXPECT_EQ(r.written,
            (std::vector<std::string>{dir.file("fw_0-1023.bin"), dir.file("fw_1024-2047.bin"),
                                      dir.file("fw_2048-4095.bin")}));
  EXPECT_EQ(dir.Read("fw_0-1023.bin"), content.substr(0, 1024));
  EXPECT_EQ(dir.Read("fw_1024-2047.bin"), content.substr(1024, 1024));
  EXPECT_EQ(dir.Read("fw_2048-4095.bin"), content.substr(2048));

  // A name without '.' keeps the whole path; a '.' in a folder is not the
  // extension.
  EXPECT_EQ(SplitPartPath("/a.b/image", {0, 16}), "/a.b/image_0-15");
  EXPECT_EQ(SplitPartPath("/x/fw.rom", {16, 0}), "/x/fw_16-15.rom");
}

TEST_F(FileTools, SplitRefusalsAndAPartThatCannotBeMade) {
  dir.Write("fw.bin", Bytes(100, 1));
  EXPECT_EQ(SplitFile("", "10").message, FileToolResult::kNoMessage);
  EXPECT_EQ(SplitFile(dir.file("fw.bin"), "").message, itext::kSplitNoPoints);
  EXPECT_EQ(SplitFile(dir.file("fw.bin"), ",10").message, itext::kSplitBadPoints);
  EXPECT_EQ(SplitFile(dir.file("missing.bin"), "10").message, itext::kCannotOpenFile);

  // The second part's name is taken by a folder: the first stays written.
  fs::create_directory(dir.file("fw_10-99.bin"));
  const FileToolResult r = SplitFile(dir.file("fw.bin"), "10");
  EXPECT_FALSE(r.done);
  EXPECT_EQ(r.message, itext::kSplitCannotCreate);
  EXPECT_EQ(r.written, std::vector<std::string>{dir.file("fw_0-9.bin")});
  EXPECT_EQ(fs::file_size(dir.file("fw_0-9.bin")), 10u);
}

}  // namespace
}  // namespace tarnwick::buffers
