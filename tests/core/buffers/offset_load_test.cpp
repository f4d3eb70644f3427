#include "core/buffers/offset_load.h"

#include "buffers_fixture.h"

namespace tarnwick::buffers::test {
namespace {

class OffsetLoadTest : public BuffersTest {
 protected:
  std::string Numbered(std::size_t n) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i) s += static_cast<char>(i % 253);
    return s;
  }
  std::string WorkFile() { return dir.file("temp/tempFile.bin"); }
};

TEST_F(OffsetLoadTest, CopiesFromTheStartAddressAndLoadsTheCopy) {
  const std::string bytes = Numbered(200000);
  const std::string src = UserFile("fw.bin", bytes);
  std::vector<std::string> states;
  EXPECT_EQ(
      OffsetLoad(*image, services, src, 70000, [&](const std::string& s) { states.push_back(s); }),
      OffsetLoadResult::Loaded);
  EXPECT_EQ(states, std::vector<std::string>{itext(181)});
  EXPECT_EQ(ReadFile(WorkFile()), bytes.substr(70000));
  EXPECT_EQ(image->currentPath(), WorkFile());
  EXPECT_EQ(image->size(), 130000u);
  EXPECT_EQ(ReadFile(image->workingCopyPath()), bytes.substr(70000));
  EXPECT_FALSE(std::filesystem::exists(dir.file("temp/tempFile.bin.part")));
}

TEST_F(OffsetLoadTest, StartZeroLoadsTheWholeFile) {
  const std::string bytes = Numbered(5000);
  EXPECT_EQ(OffsetLoad(*image, services, UserFile("a.bin", bytes), 0), OffsetLoadResult::Loaded);
  EXPECT_EQ(ReadFile(image->workingCopyPath()), bytes);
}

TEST_F(OffsetLoadTest, CapFilesAlwaysStartAfterTheirHeader) {
  EXPECT_EQ(FixedOffsetStart("/x/image.Cap"), 2048u);
  EXPECT_EQ(FixedOffsetStart("/x/image.bin"), std::nullopt);
  const std::string bytes = Numbered(3000);
  EXPECT_EQ(OffsetLoad(*image, services, UserFile("image.Cap", bytes), 0),
            OffsetLoadResult::Loaded);
  EXPECT_EQ(ReadFile(image->workingCopyPath()), bytes.substr(2048));
}

TEST_F(OffsetLoadTest, NothingToCopyKeepsTheDialogAndTheImage) {
  const std::string good = UserFile("good.bin", "good");
  image->LoadFile(good, LoadOrigin::UserChosen);
  EXPECT_EQ(OffsetLoad(*image, services, UserFile("f.bin", 4096, 'f'), 4096),
            OffsetLoadResult::KeepDialog);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, itext(182));
  EXPECT_EQ(Boxes()[0].caption, itext(29));
  EXPECT_EQ(image->currentPath(), good);

  EXPECT_EQ(OffsetLoad(*image, services, dir.file("data/none.bin"), 0),
            OffsetLoadResult::KeepDialog);
  EXPECT_EQ(Boxes().back().text, itext(25));
  EXPECT_EQ(image->currentPath(), good);
}

TEST_F(OffsetLoadTest, WorkFileSurvivesAFailedCopyWhileItIsTheSource) {
  const std::string bytes = Numbered(4096);
  OffsetLoad(*image, services, UserFile("a.bin", bytes), 96);
  ASSERT_EQ(image->currentPath(), WorkFile());
  // A second offset load that copies nothing must not empty the source of
  // the loaded image.
  OffsetLoad(*image, services, UserFile("tiny.bin", "xy"), 10);
  EXPECT_EQ(ReadFile(WorkFile()), bytes.substr(96));
  // And the work file itself may be named as the next source.
  EXPECT_EQ(OffsetLoad(*image, services, WorkFile(), 4), OffsetLoadResult::Loaded);
  EXPECT_EQ(ReadFile(image->workingCopyPath()), bytes.substr(100));
}

TEST_F(OffsetLoadTest, UncreatableWorkFileIsReported) {
  // A plain file where the temp directory should be.
  dir.Write("temp", "not a directory");
  EXPECT_EQ(OffsetLoad(*image, services, UserFile("a.bin", "abc"), 0),
            OffsetLoadResult::KeepDialog);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, itext(183));
  EXPECT_EQ(Boxes()[0].caption, itext(29));
}

TEST_F(OffsetLoadTest, CleanUpRemovesTheWorkFileAndAnEmptyTempDir) {
  OffsetLoad(*image, services, UserFile("a.bin", "abcdef"), 1);
  image->Close();
  CleanUpOffsetFiles(image->tempDir());
  EXPECT_FALSE(std::filesystem::exists(dir.file("temp")));
  // Somebody else's file in temp keeps the directory.
  std::filesystem::create_directory(dir.file("temp"));
  dir.Write("temp/keep.txt", "k");
  dir.Write("temp/tempFile.bin", "t");
  CleanUpOffsetFiles(image->tempDir());
  EXPECT_FALSE(std::filesystem::exists(WorkFile()));
  EXPECT_TRUE(std::filesystem::exists(dir.file("temp/keep.txt")));
}

}  // namespace
}  // namespace tarnwick::buffers::test
