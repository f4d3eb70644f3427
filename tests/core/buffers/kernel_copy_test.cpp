// The one whole-file copy of the program: the same bytes and the same sum
// whether the kernel copies (two files on one file system) or the bytes go
// through memory (a file system the kernel cannot copy across); a source
// that ends early and a full disk are told apart.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <numeric>
#include <random>
#include <vector>

#include "core/buffers/image_copy.h"
#include "support/file_size_limit.h"
#include "support/temp_dir.h"

namespace tarnwick::buffers {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> Random(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<std::uint8_t> bytes(n);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(rng());
  return bytes;
}

std::vector<std::uint8_t> ReadBack(const PosixFile& f, std::uint64_t at, std::size_t n) {
  std::vector<std::uint8_t> out(n);
  out.resize(static_cast<std::size_t>(std::max<std::int64_t>(f.ReadAt(at, out.data(), n), 0)));
  return out;
}

// Another file system than the test folder's, where the kernel refuses to
// copy into the test folder; empty when the machine has none.
std::string OtherFileSystemFolder() {
  std::error_code ec;
  if (!fs::is_directory("/dev/shm", ec) || ::access("/dev/shm", W_OK) != 0) return {};
  return "/dev/shm";
}

// The same copy of 3 MiB and some bytes, from an offset to another offset,
// checked the same way for either kind of source.
void ExpectCopied(const std::string& sourcePath, const std::string& copyPath) {
  const std::vector<std::uint8_t> bytes = Random((std::size_t{3} << 20) + 4099, 11);
  {
    PosixFile f;
    ASSERT_TRUE(f.Open(sourcePath, PosixFile::Mode::CreateReadWrite));
    ASSERT_TRUE(f.WriteAt(0, bytes.data(), bytes.size()));
  }
  PosixFile from;
  PosixFile to;
  ASSERT_TRUE(from.Open(sourcePath, PosixFile::Mode::ReadOnly));
  ASSERT_TRUE(to.Open(copyPath, PosixFile::Mode::CreateReadWrite));
  constexpr std::uint64_t kFrom = 5;
  constexpr std::uint64_t kTo = 70000;
  const std::uint64_t length = bytes.size() - kFrom;
  std::uint64_t sum = 0;
  std::uint64_t lastProgress = 0;
  EXPECT_EQ(CopyBytes(from, kFrom, to, kTo, length, &sum,
                      [&](std::uint64_t done) { lastProgress = done; }),
            static_cast<std::int64_t>(length));
  EXPECT_EQ(lastProgress, length);
  EXPECT_EQ(sum, std::accumulate(bytes.begin() + kFrom, bytes.end(), std::uint64_t{0}));
  EXPECT_EQ(to.Length(), static_cast<std::int64_t>(kTo + length));
  EXPECT_EQ(ReadBack(to, kTo, length),
            std::vector<std::uint8_t>(bytes.begin() + kFrom, bytes.end()));
  EXPECT_EQ(ReadBack(to, 0, kTo), std::vector<std::uint8_t>(kTo, 0));  // a hole before
}

TEST(CopyBytes, TheKernelsCopyHoldsTheSameBytesAndSum) {
  test::TempDir dir;
  ExpectCopied(dir.file("source.bin"), dir.file("copy.bin"));
}

TEST(CopyBytes, ACopyAcrossFileSystemsGoesThroughMemoryWithTheSameResult) {
  const std::string other = OtherFileSystemFolder();
  if (other.empty()) GTEST_SKIP() << "no second file system to copy from";
  test::TempDir dir;
  const std::string source = other + "/tarnwick-copy-" + std::to_string(::getpid()) + ".bin";
  ExpectCopied(source, dir.file("copy.bin"));
  std::error_code ec;
  fs::remove(source, ec);
}

TEST(CopyBytes, ASourceThatEndsEarlyEndsTheCopyAndAFullDiskFailsIt) {
  test::TempDir dir;
  const std::vector<std::uint8_t> bytes = Random(200000, 12);
  dir.Write("source.bin", bytes);
  PosixFile from;
  PosixFile to;
  ASSERT_TRUE(from.Open(dir.file("source.bin"), PosixFile::Mode::ReadOnly));
  ASSERT_TRUE(to.Open(dir.file("copy.bin"), PosixFile::Mode::CreateReadWrite));
  EXPECT_EQ(CopyBytes(from, 150000, to, 0, 1u << 20), 50000);
  EXPECT_EQ(ReadBack(to, 0, 1u << 20),
            std::vector<std::uint8_t>(bytes.begin() + 150000, bytes.end()));

  PosixFile full;
  ASSERT_TRUE(full.Open(dir.file("full.bin"), PosixFile::Mode::CreateReadWrite));
  test::FileSizeLimit limit(65536);
  EXPECT_EQ(CopyBytes(from, 0, full, 0, bytes.size()), -1);
}

}  // namespace
}  // namespace tarnwick::buffers
