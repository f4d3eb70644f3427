#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "buffers_fixture.h"
#include "core/buffers/hex_view.h"
#include "core/buffers/modification_log.h"
#include "resources/ids.h"
#include "support/file_size_limit.h"
#include "version.h"

namespace tarnwick::buffers::test {
namespace {

constexpr const char* kStamp = "    2024-03-05 09:07:03";
const std::string kBegin =
    "\r\n---------------------------------------BEGIN---------------------------------------\r\n";
const std::string kEnd =
    "----------------------------------------END----------------------------------------";

class Saving : public BuffersTest {
 protected:
  void Edit(std::uint64_t offset, std::uint8_t value) {
    ASSERT_TRUE(image->WriteByte(offset, value));
  }
  void ChooseOnSave(std::optional<std::string> answer) {
    image->SetSaveNameChooser([this, answer](const SaveDialogRequest& r) {
      requests.push_back(r);
      return answer;
    });
  }
  // The modification blocks of log.txt, without the status lines around them.
  std::string Blocks() {
    const std::string log = LogText();
    std::string out;
    for (std::size_t at = log.find(kBegin); at != std::string::npos; at = log.find(kBegin, at)) {
      const std::size_t end = log.find(kEnd, at);
      if (end == std::string::npos) break;
      out += log.substr(at, end + kEnd.size() - at);
      at = end;
    }
    return out;
  }
  std::vector<SaveDialogRequest> requests;
};

TEST_F(Saving, WritesOnlyChangedBytesAndLogsEach) {
  std::string original(8192 + 100, '\xFF');
  const std::string path = UserFile("img.bin", original);
  image->LoadFile(path, LoadOrigin::UserChosen);
  Edit(0x10, 0x3C);
  Edit(0x11, 0xFF);      // unchanged value: not logged
  Edit(8192 + 5, 0x00);  // in the last, short block
  // Another program changes the source behind our back: Save compares with
  // the source as it is on disk, so the image's byte goes back there too.
  {
    FILE* f = std::fopen(path.c_str(), "r+b");
    std::fseek(f, 0x20, SEEK_SET);
    std::fputc(0x77, f);
    std::fclose(f);
  }
  image->SaveFile();
  std::string expected = original;
  expected[0x10] = '\x3C';
  expected[8192 + 5] = '\x00';
  EXPECT_EQ(ReadFile(path), expected);
  EXPECT_EQ(Blocks(), kBegin + kStamp + " img.bin 文件修改如下：\r\n" +
                          "        [00000010]: FF --> 3C\r\n"
                          "        [00000020]: 77 --> FF\r\n"
                          "        [00002005]: FF --> 00\r\n" +
                          kEnd);
  EXPECT_EQ(surface.LastStatus(), itext(116));
  EXPECT_FALSE(surface.Enabled(ids::kSaveFile));
}

TEST_F(Saving, UnchangedBytesAreNotRewritten) {
  // A sparse source stays sparse when Save touches one byte: the untouched
  // megabytes were not written back.
  const std::string path = dir.file("data/sparse.bin");
  dir.Write("data/sparse.bin", "");
  ASSERT_EQ(::truncate(path.c_str(), 8 * 1024 * 1024), 0);
  image->LoadFile(path, LoadOrigin::UserChosen);
  Edit(4 * 1024 * 1024, 0x42);
  image->SaveFile();
  struct stat st {};
  ::stat(path.c_str(), &st);
  EXPECT_LT(st.st_blocks * 512, 1024 * 1024);
  EXPECT_EQ(ReadFile(path)[4 * 1024 * 1024], '\x42');
}

TEST_F(Saving, AppendedBytesAreLoggedAsNull) {
  const std::string path = UserFile("short.bin", std::string(100, '\x01'));
  image->LoadFile(path, LoadOrigin::UserChosen);
  Edit(102, 0xAB);  // fills 100 and 101 with 0xFF
  image->SaveFile();
  std::string expected(100, '\x01');
  expected += "\xFF\xFF\xAB";
  EXPECT_EQ(ReadFile(path), expected);
  const std::string log = Blocks();
  EXPECT_NE(log.find("        [00000064]: null --> FF\r\n"
                     "        [00000065]: null --> FF\r\n"
                     "        [00000066]: null --> AB\r\n" +
                     kEnd),
            std::string::npos);
}

TEST_F(Saving, SaveWithoutEditsStillWritesTheBlock) {
  const std::string path = UserFile("same.bin", "abcdef");
  image->LoadFile(path, LoadOrigin::UserChosen);
  struct stat before {};
  ::stat(path.c_str(), &before);
  image->SaveFile();
  EXPECT_EQ(ReadFile(path), "abcdef");
  EXPECT_EQ(Blocks(), kBegin + kStamp + " same.bin 文件修改如下：\r\n" + kEnd);
}

TEST_F(Saving, OversizedLogIsEmptiedFirstButNotAtTheLimit) {
  const std::string path = UserFile("x.bin", "x");
  image->LoadFile(path, LoadOrigin::UserChosen);
  const std::string logPath = dir.file("log.txt");
  auto readAt = [&](std::uint64_t offset, std::size_t n) {
    std::string out(n, '\0');
    FILE* f = std::fopen(logPath.c_str(), "rb");
    std::fseek(f, static_cast<long>(offset), SEEK_SET);
    out.resize(std::fread(out.data(), 1, n, f));
    std::fclose(f);
    return out;
  };
  std::filesystem::remove(logPath);
  dir.Write("log.txt", "");
  ASSERT_EQ(::truncate(logPath.c_str(), 104857599), 0);
  image->SaveFile();
  EXPECT_EQ(readAt(0, 4), std::string(4, '\0'));  // kept, block appended
  EXPECT_EQ(readAt(104857599, kBegin.size()), kBegin);
  ASSERT_EQ(::truncate(logPath.c_str(), 104857600), 0);
  image->SaveFile();
  EXPECT_EQ(readAt(0, kBegin.size()), kBegin);  // emptied first
  EXPECT_LT(std::filesystem::file_size(logPath), 1000u);
}

TEST_F(Saving, ChipDataSavesUnderAChosenNameAndBecomesTheSource) {
  image->SetChip("W25Q80", 16);
  dir.Write("h_ven0.dll", std::string("0123456789ABCDEF"));
  image->LoadFile(image->chipDataPath(), LoadOrigin::Program);
  const std::string target = dir.file("data/chip.bin");
  ChooseOnSave(target);
  image->SaveFile();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].defaultExtension, "*.bin");
  EXPECT_EQ(requests[0].filter, "bin文件(*.bin)|*.bin|rom文件(*.rom)|*.rom|其他文件(*.*)|*.*||");
  EXPECT_EQ(ReadFile(target), "0123456789ABCDEF");
  EXPECT_EQ(Blocks(), kBegin + kStamp + " W25Q80 芯片内数据保存如下：\r\n" +
                          "        [W25Q80 ]saved as[chip.bin]\r\n" + kEnd);
  EXPECT_FALSE(image->isChipData());
  EXPECT_EQ(image->currentPath(), target);
  EXPECT_EQ(surface.ControlText(ids::kWindowTitle),
            std::string(kProgramTitle) + " - chip.bin  0.02KB");
  EXPECT_EQ(surface.LastStatus(), itext(116));
}

TEST_F(Saving, ChipDataSaveCancelledOrOntoAnInternalFile) {
  image->SetChip("W25Q80", 16);
  dir.Write("h_ven0.dll", std::string(16, 'c'));
  image->LoadFile(image->chipDataPath(), LoadOrigin::Program);
  ChooseOnSave(std::nullopt);
  image->SaveFile();
  EXPECT_TRUE(image->isChipData());
  ChooseOnSave(dir.base() + "data/../h_ven1.dll");
  image->SaveFile();
  EXPECT_EQ(Boxes().back().text, itext(24));
  EXPECT_EQ(Boxes().back().caption, itext(2));
  EXPECT_EQ(ReadFile(image->workingCopyPath()), std::string(16, 'c'));
  EXPECT_EQ(Blocks(), "");
}

TEST_F(Saving, SaveAsCopiesTheImageWithoutALogEntry) {
  const std::string path = UserFile("orig.bin", std::string(70000, 'o'));
  image->LoadFile(path, LoadOrigin::UserChosen);
  Edit(69999, 'X');
  const std::string copy = dir.file("data/copy.bin");
  ChooseOnSave(copy);
  image->SaveFileAs();
  EXPECT_EQ(requests.at(0).filter, "bin(*.bin)|*.bin|rom(*.rom)|*.rom|all files(*.*)|*.*||");
  EXPECT_EQ(ReadFile(copy), std::string(69999, 'o') + "X");
  EXPECT_EQ(ReadFile(path), std::string(70000, 'o'));
  EXPECT_EQ(image->currentPath(), path);
  EXPECT_EQ(Blocks(), "");
  EXPECT_EQ(surface.LastStatus(), itext(116));

  // Onto the current file it is a plain Save; while busy nothing happens.
  ChooseOnSave(path);
  image->SetBusy(true);
  image->SaveFileAs();
  EXPECT_EQ(ReadFile(path), std::string(70000, 'o'));
  image->SetBusy(false);
  image->SaveFileAs();
  EXPECT_EQ(ReadFile(path), std::string(69999, 'o') + "X");
  EXPECT_NE(Blocks().find("[0001116F]: 6F --> 58"), std::string::npos);
}

TEST_F(Saving, ChipDataSaveAsReloadsTheNewFile) {
  image->SetChip("AT25", 4);
  dir.Write("h_ven0.dll", std::string("WXYZ"));
  image->LoadFile(image->chipDataPath(), LoadOrigin::Program);
  const std::string target = dir.file("data/saved.rom");
  ChooseOnSave(target);
  image->SaveFileAs();
  EXPECT_EQ(image->currentPath(), target);
  EXPECT_FALSE(image->isChipData());
  EXPECT_EQ(ReadFile(target), "WXYZ");
}

// A chip read of several MiB with long runs of zeros (a hole in the chip-data
// file) goes out byte for byte, whichever way the copy is made.
TEST_F(Saving, ALargeSparseChipReadIsSavedAndSavedAsByteForByte) {
  std::string bytes(std::size_t{6} << 20, '\0');
  for (std::size_t i = 0; i < (std::size_t{1} << 20); ++i) bytes[i] = static_cast<char>(i * 13);
  bytes.replace(bytes.size() - 5, 5, "END!!");
  image->SetChip("W25Q64", bytes.size());
  dir.Write("h_ven0.dll", std::string(bytes, 0, std::size_t{1} << 20));
  ASSERT_EQ(::truncate(dir.file("h_ven0.dll").c_str(), static_cast<off_t>(bytes.size() - 5)), 0);
  {
    std::FILE* f = std::fopen(dir.file("h_ven0.dll").c_str(), "ab");
    ASSERT_NE(f, nullptr);
    std::fputs("END!!", f);
    std::fclose(f);
  }
  image->LoadFile(image->chipDataPath(), LoadOrigin::Program);
  const std::string copy = dir.file("data/copy.bin");
  ChooseOnSave(copy);
  image->SaveFileAs();
  EXPECT_EQ(ReadFile(copy), bytes);
  image->LoadFile(image->chipDataPath(), LoadOrigin::Program);
  const std::string saved = dir.file("data/saved.bin");
  ChooseOnSave(saved);
  image->SaveFile();
  EXPECT_EQ(ReadFile(saved), bytes);
  EXPECT_EQ(surface.LastStatus(), itext(116));
}

// A full disk in the middle of the copy: the file chosen keeps what it held,
// the save is reported as failed, and no half-written file is left beside it.
TEST_F(Saving, AFailedSaveAsLeavesTheChosenFileAsItWas) {
  image->LoadFile(UserFile("big.bin", 300000, 'b'), LoadOrigin::UserChosen);
  const std::string target = UserFile("kept.bin", "saved last week");
  ChooseOnSave(target);
  {
    ::tarnwick::test::FileSizeLimit full(65536);
    image->SaveFileAs();
  }
  EXPECT_EQ(ReadFile(target), "saved last week");
  EXPECT_EQ(Boxes().back().text, itext(25));
  EXPECT_NE(surface.LastStatus(), itext(116));
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir.file("data"))) {
    names.push_back(e.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"big.bin", "kept.bin"}));
}

TEST_F(Saving, AFailedChipDataSaveLeavesTheChosenFileAsItWas) {
  image->SetChip("W25Q80", 300000);
  dir.Write("h_ven0.dll", std::string(300000, 'c'));
  image->LoadFile(image->chipDataPath(), LoadOrigin::Program);
  const std::string target = UserFile("kept.bin", "saved last week");
  ChooseOnSave(target);
  {
    ::tarnwick::test::FileSizeLimit full(65536);
    image->SaveFile();
  }
  EXPECT_EQ(ReadFile(target), "saved last week");
  EXPECT_EQ(Boxes().back().text, itext(25));
  // Nothing was saved: the image is still the chip read.
  EXPECT_TRUE(image->isChipData());
  EXPECT_EQ(image->currentPath(), image->chipDataPath());
}

TEST_F(Saving, PendingEditIsCommittedBeforeSaving) {
  const std::string path = UserFile("e.bin", std::string(32, '\0'));
  image->LoadFile(path, LoadOrigin::UserChosen);
  HexView view(*image, services);
  view.RefreshHexView();
  view.ToggleEditMode();
  view.OnHexCellClicked(1, 3, false);
  // The editor holds "5" over the first digit without a change notification.
  view.StartCellEdit(1, 3, "5", {0, 1});
  image->SaveFile();
  EXPECT_EQ(static_cast<unsigned char>(ReadFile(path)[2]), 0x05);
}

TEST(ModificationLogLines, Formats) {
  EXPECT_EQ(ChangedByteLine(0x10, 0xFF, 0x3C), "        [00000010]: FF --> 3C\r\n");
  EXPECT_EQ(ChangedByteLine(0x123456789ull, std::nullopt, 0x0A),
            "        [123456789]: null --> 0A\r\n");
  std::tm t{};
  t.tm_year = 99;
  t.tm_mon = 11;
  t.tm_mday = 31;
  t.tm_hour = 23;
  t.tm_min = 59;
  t.tm_sec = 58;
  EXPECT_EQ(LogTimeStamp(t), "    1999-12-31 23:59:58");
}

TEST_F(Saving, ViewLogOpensAnExistingLogOnly) {
  ViewLogAction a = ViewLog(services);
  EXPECT_FALSE(a.open);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, itext(118));
  EXPECT_EQ(Boxes()[0].caption, itext(9));
  dir.Write("log.txt", "x");
  a = ViewLog(services);
  EXPECT_TRUE(a.open);
  EXPECT_EQ(a.path, dir.file("log.txt"));
}

}  // namespace
}  // namespace tarnwick::buffers::test
