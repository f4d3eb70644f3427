// Merging files end to end and splitting one at byte offsets, on real files:
// what ends up on disk and which message the dialog shows.
#include "core/buffers/merge_split/file_tools.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "core/app/text_ids.h"
#include "core/buffers/program_files.h"
#include "support/file_size_limit.h"
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
  // The folder's names other than those given: no side file is left behind.
  std::vector<std::string> Others(std::initializer_list<std::string> known) const {
    std::vector<std::string> others;
    for (const fs::directory_entry& e : fs::directory_iterator(dir.path())) {
      const std::string name = e.path().filename().string();
      if (std::find(known.begin(), known.end(), name) == known.end()) others.push_back(name);
    }
    return others;
  }
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

TEST_F(FileTools, MergeNeverLandsOnTheProgramsOwnFilesByAnyName) {
  const std::string base = dir.path().string() + "/";
  dir.Write("h_ven1.dll", std::string("loaded image"));
  dir.Write("a.bin", std::string("abc"));
  fs::create_symlink(dir.file("h_ven1.dll"), dir.file("alias.bin"));
  const std::vector<std::string> own = ProgramFiles(OneFolderLayout(base));
  for (const char* name : {"h_ven1.dll", "alias.bin", "log.txt"}) {
    const FileToolResult r = MergeFiles(base, name, {dir.file("a.bin")}, own);
    EXPECT_FALSE(r.done) << name;
    EXPECT_EQ(r.message, itext::kMergeCannotCreate) << name;
  }
  EXPECT_EQ(dir.Read("h_ven1.dll"), "loaded image");
  EXPECT_FALSE(fs::exists(dir.file("log.txt")));
  EXPECT_TRUE(MergeFiles(base, "other.bin", {dir.file("a.bin")}, own).done);
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

TEST_F(FileTools, AFullDiskLeavesAnEarlierMergeResultAsItWas) {
  dir.Write("out.bin", std::string("merged yesterday"));
  dir.Write("a.bin", Bytes(64 * 1024, 1));
  FileToolResult r;
  {
    test::FileSizeLimit full(4096);
    r = MergeFiles(dir.path().string(), "out.bin", {dir.file("a.bin")});
  }
  EXPECT_FALSE(r.done);
  EXPECT_EQ(r.message, itext::kMergeCannotCreate);
  EXPECT_TRUE(r.written.empty());
  EXPECT_EQ(dir.Read("out.bin"), "merged yesterday");
  EXPECT_EQ(Others({"out.bin", "a.bin"}), std::vector<std::string>{});
}

TEST_F(FileTools, AFullDiskLeavesEarlierSplitPartsAsTheyWere) {
  dir.Write("fw.bin", Bytes(2 * 8192, 2));
  dir.Write("fw_0-8191.bin", std::string("old first part"));
  dir.Write("fw_8192-16383.bin", std::string("old second part"));
  FileToolResult r;
  {
    test::FileSizeLimit full(4096);
    r = SplitFile(dir.file("fw.bin"), "8192");
  }
  EXPECT_FALSE(r.done);
  EXPECT_EQ(r.message, itext::kSplitCannotCreate);
  EXPECT_EQ(dir.Read("fw_0-8191.bin"), "old first part");
  EXPECT_EQ(dir.Read("fw_8192-16383.bin"), "old second part");
  EXPECT_EQ(Others({"fw.bin", "fw_0-8191.bin", "fw_8192-16383.bin"}), std::vector<std::string>{});
}

TEST_F(FileTools, AResultIsWrittenThroughALinkAndKeepsItsPermissions) {
  fs::create_directory(dir.file("real"));
  dir.Write("real/out.bin", std::string("old"));
  fs::permissions(dir.file("real/out.bin"), fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink(dir.file("real/out.bin"), dir.file("link.bin"));
  dir.Write("a.bin", std::string("new"));
  EXPECT_TRUE(MergeFiles(dir.path().string(), "link.bin", {dir.file("a.bin")}).done);
  EXPECT_TRUE(fs::is_symlink(dir.file("link.bin")));
  EXPECT_EQ(dir.Read("real/out.bin"), "new");
  EXPECT_EQ(fs::status(dir.file("real/out.bin")).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);

  // Neither a folder nor a FIFO in the result's place is replaced.
  fs::create_directory(dir.file("taken.bin"));
  ASSERT_EQ(mkfifo(dir.file("pipe.bin").c_str(), 0600), 0);
  for (const char* name : {"taken.bin", "pipe.bin"}) {
    EXPECT_EQ(MergeFiles(dir.path().string(), name, {dir.file("a.bin")}).message,
              itext::kMergeCannotCreate)
        << name;
  }
  EXPECT_TRUE(fs::is_directory(dir.file("taken.bin")));
  EXPECT_TRUE(fs::is_fifo(dir.file("pipe.bin")));
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
  // Leading zeros do not make a number larger.
  EXPECT_EQ(offsets("00000000000000000000012,0000000000000000000000000100", 4096),
            (V{{0, 12}, {12, 88}, {100, 3996}}));

  EXPECT_TRUE(
      SplitPointsValid("1,2\xEF\xBC\x8C"
                       "3"));
  EXPECT_TRUE(SplitPointsValid("000000000000000000000000018446744073709551615"));
  // 2^64 and more do not fit any offset: refused, not taken as the end.
  for (const char* bad : {",1024", "1024;2048", "10 24", "-1", "0x10", "18446744073709551616",
                          "12,99999999999999999999999"}) {
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

// Files of several MiB with a hole (it reads as zeros): the merged file and
// the parts hold exactly the bytes, at piece boundaries too.
TEST_F(FileTools, LargeSparseFilesAreMergedAndSplitByteForByte) {
  const std::size_t kSize = (std::size_t{5} << 20) + 333;
  std::string sparse(kSize, '\0');
  sparse.replace(0, 3 << 20, Bytes(3 << 20, 4));
  sparse.replace(kSize - 3, 3, "end");
  dir.Write("sparse.bin", sparse.substr(0, 3 << 20));
  ASSERT_EQ(::truncate(dir.file("sparse.bin").c_str(), static_cast<off_t>(kSize - 3)), 0);
  {
    std::FILE* f = std::fopen(dir.file("sparse.bin").c_str(), "ab");
    ASSERT_NE(f, nullptr);
    std::fputs("end", f);
    std::fclose(f);
  }
  const std::string small = Bytes(1000, 5);
  dir.Write("small.bin", small);
  const FileToolResult merged =
      MergeFiles(dir.path().string(), "all.bin", {dir.file("small.bin"), dir.file("sparse.bin")});
  ASSERT_TRUE(merged.done);
  EXPECT_EQ(dir.Read("all.bin"), small + sparse);

  const FileToolResult split = SplitFile(dir.file("all.bin"), "1000,1049576");
  ASSERT_TRUE(split.done);
  ASSERT_EQ(split.written.size(), 3u);
  EXPECT_EQ(dir.Read("all_0-999.bin"), small);
  EXPECT_EQ(dir.Read("all_1000-1049575.bin"), sparse.substr(0, 1048576));
  EXPECT_EQ(dir.Read("all_1049576-" + std::to_string(kSize + 999) + ".bin"),
            sparse.substr(1048576));
  EXPECT_EQ(dir.Read("sparse.bin"), sparse);  // the source is never written
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
