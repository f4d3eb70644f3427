#include <unistd.h>

#include <thread>

#include "buffers_fixture.h"
#include "core/buffers/hex_view.h"
#include "core/buffers/image_texts.h"
#include "core/buffers/offset_load.h"
#include "resources/ids.h"
#include "version.h"

namespace tarnwick::buffers::test {
namespace {

using Checksums = BuffersTest;

TEST_F(Checksums, EmptySourceGivesZeroFileSumAndErasedChipSum) {
  image->SetChip("W25Q16", 2 * 1024 * 1024);
  ASSERT_EQ(image->LoadFile(UserFile("empty.bin", ""), LoadOrigin::UserChosen), LoadResult::Loaded);
  EXPECT_EQ(image->size(), 0u);
  EXPECT_EQ(surface.ControlText(ids::kFileChecksum), "0000000000");
  EXPECT_EQ(surface.ControlText(ids::kChipChecksum), FormatChecksum(255ull * 2 * 1024 * 1024));
  EXPECT_EQ(surface.ControlText(ids::kChipChecksum), "001FE00000");
}

TEST_F(Checksums, FileAsLargeAsTheChipShowsTheSameSumTwice) {
  std::string bytes;
  for (int i = 0; i < 4096; ++i) bytes += static_cast<char>(i * 7);
  image->SetChip("chip", 4096);
  ASSERT_EQ(image->LoadFile(UserFile("a.bin", bytes), LoadOrigin::UserChosen), LoadResult::Loaded);
  EXPECT_EQ(surface.ControlText(ids::kFileChecksum), surface.ControlText(ids::kChipChecksum));
  std::uint64_t sum = 0;
  for (unsigned char c : bytes) sum += c;
  EXPECT_EQ(image->fileSum(), sum);
}

TEST_F(Checksums, FourMebibytesOfErasedBytes) {
  image->SetChip("chip", 4 * 1024 * 1024);
  image->LoadFile(UserFile("ff.bin", 4 * 1024 * 1024, '\xFF'), LoadOrigin::UserChosen);
  EXPECT_EQ(surface.ControlText(ids::kFileChecksum), "003FC00000");
  EXPECT_EQ(surface.ControlText(ids::kChipChecksum), "003FC00000");
}

TEST_F(Checksums, SumsBeyondThirtyTwoBits) {
  // 16843010 bytes of 0xFF sum to just over 2^32.
  image->SetChip("chip", 32 * 1024 * 1024);
  image->LoadFile(UserFile("big.bin", 16843010, '\xFF'), LoadOrigin::UserChosen);
  EXPECT_EQ(image->fileSum(), 16843010ull * 255);
  EXPECT_EQ(surface.ControlText(ids::kFileChecksum), "01000000FE");
  EXPECT_EQ(image->chipSum(), 16843010ull * 255 + 255ull * (32 * 1024 * 1024 - 16843010ull));
}

TEST_F(Checksums, ImageLargerThanTheChipSumsOnlyTheChipPart) {
  std::string bytes(1000, '\x01');
  bytes += std::string(24, '\x10');
  image->SetChip("chip", 1000);
  image->LoadFile(UserFile("over.bin", bytes), LoadOrigin::UserChosen);
  EXPECT_EQ(image->fileSum(), 1000u + 24u * 16u);
  EXPECT_EQ(image->chipSum(), 1000u);
  EXPECT_EQ(surface.ControlText(ids::kChipChecksum), "00000003E8");
  // A bigger chip selected afterwards: the rule switches to the erased fill.
  image->SetChip("chip2", 2048);
  EXPECT_EQ(image->chipSum(), 1384u + 255u * 1024u);
}

TEST(FormatChecksumText, TenDigitsUpToFortyBitsThenMore) {
  EXPECT_EQ(FormatChecksum(0), "0000000000");
  EXPECT_EQ(FormatChecksum(510), "00000001FE");
  EXPECT_EQ(FormatChecksum(1ull << 32), "0100000000");
  EXPECT_EQ(FormatChecksum((1ull << 40) - 1), "FFFFFFFFFF");
  EXPECT_EQ(FormatChecksum(1ull << 40), "10000000000");
}

using Loading = BuffersTest;

TEST_F(Loading, UserFileTextsTitleAndMenus) {
  const std::string path = UserFile("fw.bin", 1536, 'A');
  ASSERT_EQ(image->LoadFile(path, LoadOrigin::UserChosen), LoadResult::Loaded);
  EXPECT_TRUE(image->loaded());
  EXPECT_EQ(image->sizeText(), "1.50KB");
  EXPECT_EQ(surface.ControlText(ids::kWindowTitle),
            std::string(kProgramTitle) + " - fw.bin  1.50KB");
  EXPECT_EQ(surface.ControlText(ids::kFileNameBox), ShortenPath(path));
  EXPECT_EQ(surface.LastStatus(), itext(189));
  for (int id :
       {ids::kSaveFileAs, ids::kFind, ids::kGoToAddress, ids::kEditModeMenu, ids::kDataView}) {
    EXPECT_TRUE(surface.Enabled(id)) << id;
  }
  EXPECT_FALSE(surface.Enabled(ids::kFileFill));
  EXPECT_FALSE(surface.Enabled(ids::kSaveFile));
  EXPECT_EQ(image->fileRows(), 96u);
  EXPECT_EQ(ReadFile(image->workingCopyPath()), std::string(1536, 'A'));
}

TEST_F(Loading, ChipDataFileUsesChipNameAndEnablesSave) {
  image->SetChip("MX25L6405", 1024);
  dir.Write("h_ven0.dll", std::string(1024, '\0'));
  ASSERT_EQ(image->LoadFile(image->chipDataPath(), LoadOrigin::Program), LoadResult::Loaded);
  EXPECT_TRUE(image->isChipData());
  EXPECT_EQ(surface.ControlText(ids::kWindowTitle),
            std::string(kProgramTitle) + " - MX25L6405_1.00KB");
  EXPECT_EQ(surface.ControlText(ids::kFileNameBox), itext(27));
  EXPECT_EQ(surface.LastStatus(), itext(26));
  EXPECT_TRUE(surface.Enabled(ids::kSaveFile));
}

TEST_F(Loading, InternalFilesAreRefusedForBrowseAndDropByResolvedPath) {
  const std::string good = UserFile("good.bin", "abc");
  ASSERT_EQ(image->LoadFile(good, LoadOrigin::UserChosen), LoadResult::Loaded);
  dir.Write("h_ven0.dll", "chip");
  // Other spellings of the same files, and a link to the working copy.
  const std::string viaDots = dir.base() + "data/../h_ven1.dll";
  const std::string chipData = dir.base() + "./h_ven0.dll";
  ASSERT_EQ(::symlink(image->workingCopyPath().c_str(), dir.file("data/link.bin").c_str()), 0);
  for (const std::string& p : {viaDots, chipData, dir.file("data/link.bin")}) {
    EXPECT_EQ(image->LoadFile(p, LoadOrigin::UserChosen), LoadResult::Refused) << p;
    EXPECT_EQ(image->OnFileDropped(p), LoadResult::Refused) << p;
  }
  const auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 6u);
  for (const auto& b : boxes) {
    EXPECT_EQ(b.text, itext(24));
    EXPECT_EQ(b.caption, itext(2));
  }
  // Nothing changed: the image is still the good file.
  EXPECT_EQ(image->currentPath(), good);
  EXPECT_EQ(ReadFile(image->workingCopyPath()), "abc");
  // Even the program itself may not make the working copy its own source.
  EXPECT_EQ(image->LoadFile(image->workingCopyPath(), LoadOrigin::Program), LoadResult::Refused);
}

TEST_F(Loading, DropWhileAnOperationRunsIsRefused) {
  surface.SetCommandEnabled(ids::kBrowseButton, false);
  EXPECT_EQ(image->OnFileDropped(UserFile("x.bin", "x")), LoadResult::Refused);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, itext(119));
  EXPECT_EQ(Boxes()[0].caption, itext(9));
  EXPECT_FALSE(image->loaded());
  surface.SetCommandEnabled(ids::kBrowseButton, true);
  EXPECT_EQ(image->OnFileDropped(dir.file("data/x.bin")), LoadResult::Loaded);
}

TEST_F(Loading, NothingReplacesTheImageWhileAJobRuns) {
  const std::string good = UserFile("good.bin", "abc");
  ASSERT_EQ(image->LoadFile(good, LoadOrigin::UserChosen), LoadResult::Loaded);
  image->SetBusy(true);
  // A file chosen in a browse dialog opened before the job, a drop, and the
  // OK of an offset dialog opened before it.
  EXPECT_EQ(image->LoadFile(UserFile("new.bin", "new"), LoadOrigin::UserChosen),
            LoadResult::Refused);
  EXPECT_EQ(image->OnFileDropped(dir.file("data/new.bin")), LoadResult::Refused);
  EXPECT_EQ(OffsetLoad(*image, services, dir.file("data/new.bin"), 1),
            OffsetLoadResult::KeepDialog);
  ASSERT_EQ(Boxes().size(), 3u);
  for (const auto& b : Boxes()) EXPECT_EQ(b.text, itext(119));
  EXPECT_EQ(image->currentPath(), good);
  EXPECT_EQ(ReadFile(image->workingCopyPath()), "abc");
  // The job's own loads (a read's chip data) still go through.
  EXPECT_EQ(image->LoadFile(dir.file("data/new.bin"), LoadOrigin::Program), LoadResult::Loaded);
  image->SetBusy(false);
  EXPECT_EQ(image->LoadFile(good, LoadOrigin::UserChosen), LoadResult::Loaded);
}

TEST_F(Loading, CapFilesAreRoutedToOffsetProgramming) {
  for (const char* name : {"a.cap", "b.CAP", "c.Cap", "dcap"}) {
    EXPECT_EQ(image->LoadFile(UserFile(name, 4096, 'x'), LoadOrigin::UserChosen),
              LoadResult::OffsetProgramming)
        << name;
  }
  EXPECT_FALSE(image->loaded());
  EXPECT_EQ(image->lastLoadRequest(), dir.file("data/dcap"));
}

TEST_F(Loading, UnreadableSourceLeavesTheImageAsItWas) {
  const std::string good = UserFile("good.bin", "abc");
  image->LoadFile(good, LoadOrigin::UserChosen);
  EXPECT_EQ(image->LoadFile(dir.file("data/missing.bin"), LoadOrigin::UserChosen),
            LoadResult::Failed);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, itext(25));
  EXPECT_EQ(Boxes()[0].caption, itext(29));
  EXPECT_TRUE(surface.LastStatusIsError());
  EXPECT_TRUE(image->loaded());
  EXPECT_EQ(image->currentPath(), good);
  // A directory is no image either.
  EXPECT_EQ(image->LoadFile(dir.file("data"), LoadOrigin::Dropped), LoadResult::Failed);
  EXPECT_TRUE(image->loaded());
  // The chip-data file gets its own message.
  EXPECT_EQ(image->LoadFile(image->chipDataPath(), LoadOrigin::Program), LoadResult::Failed);
  EXPECT_EQ(Boxes().back().text, itext(146));
}

TEST_F(Loading, SourceThatDisappearsAfterLoad) {
  const std::string path = UserFile("gone.bin", std::string(64, '\x11'));
  image->SetChip("chip", 64);
  ASSERT_EQ(image->LoadFile(path, LoadOrigin::UserChosen), LoadResult::Loaded);
  HexView view(*image, services);
  std::filesystem::remove(path);
  // The open source still answers the page; the image is intact.
  view.RefreshHexView();
  EXPECT_EQ(view.CellText(1, 1), "11");
  EXPECT_EQ(view.CellClassAt(1, 1), hex::CellClass::Normal);
  // Save cannot reopen the vanished source: reported, not claimed as saved.
  surface.SetCommandEnabled(ids::kSaveFile, true);
  image->SaveFile();
  EXPECT_EQ(Boxes().back().text, itext(25));
  EXPECT_NE(surface.LastStatus(), itext(116));
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_EQ(ReadFile(image->workingCopyPath()), std::string(64, '\x11'));
}

TEST_F(Loading, ReaderStreamsTheWorkingCopy) {
  std::string bytes;
  for (int i = 0; i < 10000; ++i) bytes += static_cast<char>(i % 251);
  image->LoadFile(UserFile("r.bin", bytes), LoadOrigin::UserChosen);
  ImageReader reader = image->OpenReader();
  ASSERT_TRUE(reader.isOpen());
  std::string got(4096, '\0');
  EXPECT_EQ(reader.Read(got.data(), 4096), 4096);
  EXPECT_EQ(got, bytes.substr(0, 4096));
  EXPECT_TRUE(reader.Seek(-96));
  EXPECT_EQ(reader.position(), 4000u);
  EXPECT_FALSE(reader.Seek(-5000));
  EXPECT_TRUE(reader.Seek(5000));
  EXPECT_EQ(reader.Read(got.data(), 4096), 1000);
  EXPECT_EQ(got.substr(0, 1000), bytes.substr(9000));
  EXPECT_EQ(reader.Read(got.data(), 4096), 0);
}

// The program stream's pattern over a working copy larger than the reader's
// read-ahead: blocks of 4096, each followed by a step back over the bytes
// the box did not take, then one read larger than the read-ahead.
TEST_F(Loading, ReaderGivesTheFileAcrossItsReadAheadWithStepsBack) {
  std::string bytes(700000, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>((i * 7) ^ (i >> 9));
  image->LoadFile(UserFile("big.bin", bytes), LoadOrigin::UserChosen);
  ImageReader reader = image->OpenReader();
  ASSERT_TRUE(reader.isOpen());
  std::string got;
  std::string block(4096, '\0');
  while (got.size() < 400000) {
    ASSERT_EQ(reader.Read(block.data(), block.size()), 4096);
    got.append(block, 0, 3000);
    ASSERT_TRUE(reader.Seek(3000 - 4096));
  }
  std::string rest(bytes.size(), '\0');
  const std::int64_t n = reader.Read(rest.data(), rest.size());
  ASSERT_EQ(n, static_cast<std::int64_t>(bytes.size() - got.size()));
  got.append(rest, 0, static_cast<std::size_t>(n));
  EXPECT_EQ(got, bytes);
  EXPECT_EQ(reader.Read(block.data(), block.size()), 0);
}

TEST_F(Loading, SparseSourceCopiesHolesAsZeros) {
  const std::string path = dir.file("data/sparse.bin");
  {
    std::string head = "HEAD";
    dir.Write("data/sparse.bin", head);
    ASSERT_EQ(::truncate(path.c_str(), 3 * 1024 * 1024), 0);
    FILE* f = std::fopen(path.c_str(), "r+b");
    std::fseek(f, 2 * 1024 * 1024, SEEK_SET);
    std::fputs("MIDDLE", f);
    std::fclose(f);
  }
  ASSERT_EQ(image->LoadFile(path, LoadOrigin::UserChosen), LoadResult::Loaded);
  EXPECT_EQ(image->size(), 3u * 1024 * 1024);
  EXPECT_EQ(ReadFile(image->workingCopyPath()), ReadFile(path));
  std::uint64_t sum = 0;
  for (unsigned char c : std::string("HEADMIDDLE")) sum += c;
  EXPECT_EQ(image->fileSum(), sum);
}

TEST_F(Loading, WorkerLoadWhileTheViewReadsPages) {
  // A chip read loads on the worker while the GUI thread keeps refreshing.
  const std::string a = UserFile("a.bin", 300000, 'a');
  const std::string b = UserFile("b.bin", 200000, 'b');
  HexView view(*image, services);
  std::thread worker([&] {
    for (int i = 0; i < 20; ++i) image->LoadFile(i % 2 ? a : b, LoadOrigin::Program);
  });
  for (int i = 0; i < 2000; ++i) {
    view.RefreshHexView();
    (void)image->fileName();
  }
  worker.join();
  view.RefreshHexView();
  EXPECT_EQ(image->currentPath(), a);
  EXPECT_EQ(view.CellText(1, 1), "61");
  EXPECT_EQ(image->size(), 300000u);
}

}  // namespace
}  // namespace tarnwick::buffers::test
