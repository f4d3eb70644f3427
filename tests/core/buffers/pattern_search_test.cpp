// The find tool's search: typed patterns, and hits that agree with the
// find dialog's prefix-suffix scan whatever the size of the reads.
#include "core/buffers/tools/pattern_search.h"

#include <gtest/gtest.h>

#include <random>

#include "core/app/text_ids.h"
#include "support/temp_dir.h"

namespace tarnwick::buffers {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The scan as the dialog has always done it, over one buffer: on a
// mismatch, shift by the smallest s whose candidate suffix starts the
// pattern; after a hit, go on after it.
std::vector<std::uint64_t> PrefixSuffixScan(const Bytes& data, const Bytes& pattern) {
  std::vector<std::uint64_t> hits;
  const std::size_t n = pattern.size();
  std::size_t i = 0;
  while (i + n <= data.size()) {
    if (std::equal(pattern.begin(), pattern.end(), data.begin() + static_cast<std::ptrdiff_t>(i))) {
      hits.push_back(i);
      i += n;
      continue;
    }
    std::size_t shift = n;
    for (std::size_t s = 1; s < n; ++s) {
      if (std::equal(data.begin() + static_cast<std::ptrdiff_t>(i + s),
                     data.begin() + static_cast<std::ptrdiff_t>(i + n), pattern.begin())) {
        shift = s;
        break;
      }
    }
    i += shift;
  }
  return hits;
}

class PatternSearchTest : public ::testing::Test {
 protected:
  std::vector<std::uint64_t> Hits(const Bytes& data, const Bytes& pattern, std::size_t readSize) {
    dir.Write("image.bin", data);
    PosixFile file;
    EXPECT_TRUE(file.Open(dir.file("image.bin"), PosixFile::Mode::ReadOnly));
    PatternSearch search(file, pattern, readSize);
    std::vector<std::uint64_t> hits;
    while (auto hit = search.Next()) hits.push_back(*hit);
    EXPECT_FALSE(search.failed());
    return hits;
  }
  test::TempDir dir;
};

TEST_F(PatternSearchTest, TypedPatternsBecomeTheirBytes) {
  EXPECT_EQ(ParseSearchPattern("aaaaab", true).bytes, (Bytes{0xAA, 0xAA, 0xAB}));
  EXPECT_EQ(ParseSearchPattern("ABC", true).bytes, (Bytes{0x0A, 0xBC}));
  EXPECT_EQ(ParseSearchPattern("ab", false).bytes, (Bytes{0x61, 0x62}));
  EXPECT_EQ(ParseSearchPattern("", true).problem, itext::kFindEmpty);
  EXPECT_EQ(ParseSearchPattern("AA BB", true).problem, itext::kFindNotHex);
  EXPECT_EQ(ParseSearchPattern("AG", true).problem, itext::kFindNotHex);
  EXPECT_EQ(ParseSearchPattern("a b", false).problem, 0);
}

TEST_F(PatternSearchTest, AMismatchShiftsOnlyAsFarAsThePatternAllows) {
  EXPECT_EQ(Hits({0xAA, 0xAA, 0xAA, 0xAB}, {0xAA, 0xAA, 0xAB}, 1 << 20),
            std::vector<std::uint64_t>{1});
}

TEST_F(PatternSearchTest, APatternAcrossTwoReadsIsFound) {
  Bytes data(5000, 0x00);
  const Bytes pattern = {1, 2, 3, 4, 5, 6, 7};
  std::copy(pattern.begin(), pattern.end(), data.begin() + 1021);  // straddles 1024
  EXPECT_EQ(Hits(data, pattern, 1024), std::vector<std::uint64_t>{1021});
}

TEST_F(PatternSearchTest, HitsAgreeWithThePrefixSuffixScanForAnyReadSize) {
  std::mt19937 rng(11);
  for (int round = 0; round < 60; ++round) {
    // A two-letter alphabet makes self-overlapping hits common.
    Bytes data(3000 + rng() % 3000);
    for (auto& b : data) b = static_cast<std::uint8_t>(0xA0 + rng() % 2);
    Bytes pattern(1 + rng() % 6);
    for (auto& b : pattern) b = static_cast<std::uint8_t>(0xA0 + rng() % 2);
    const std::size_t readSize = 7 + rng() % 200;
    EXPECT_EQ(Hits(data, pattern, readSize), PrefixSuffixScan(data, pattern))
        << "round " << round << " read " << readSize;
  }
}

// A hit is looked for in what is already held: a million hits in two reads'
// worth of data cost those reads, not a read per hit.
TEST_F(PatternSearchTest, HitsAreFoundInTheBufferAlreadyReadNotByReadingAgain) {
  dir.Write("ff.bin", Bytes(std::size_t{2} << 20, 0xFF));
  PosixFile file;
  ASSERT_TRUE(file.Open(dir.file("ff.bin"), PosixFile::Mode::ReadOnly));
  PatternSearch search(file, {0xFF, 0xFF}, std::size_t{1} << 20);
  std::uint64_t hits = 0;
  std::uint64_t last = 0;
  bool inStepsOfTwo = true;
  while (auto hit = search.Next()) {
    if (hits > 0 && *hit != last + 2) inStepsOfTwo = false;
    last = *hit;
    ++hits;
  }
  EXPECT_EQ(hits, std::uint64_t{1} << 20);
  EXPECT_TRUE(inStepsOfTwo);
  EXPECT_FALSE(search.failed());
  EXPECT_LE(search.reads(), 4u);
  EXPECT_LT(search.bytesRead(), std::uint64_t{3} << 20);
}

TEST_F(PatternSearchTest, HolesOfASparseFileAreSkippedButAHitReachingIntoOneIsFound) {
  const std::string path = dir.file("sparse.bin");
  {
    PosixFile file;
    ASSERT_TRUE(file.Open(path, PosixFile::Mode::CreateReadWrite));
    const Bytes tail = {0xAB, 0xCD};
    ASSERT_TRUE(file.WriteAt(std::uint64_t{256} << 20, tail.data(), tail.size()));
  }
  PosixFile file;
  ASSERT_TRUE(file.Open(path, PosixFile::Mode::ReadOnly));
  PatternSearch search(file, {0x00, 0x00, 0xAB}, std::size_t{1} << 20);
  std::vector<std::uint64_t> hits;
  while (auto hit = search.Next()) hits.push_back(*hit);
  EXPECT_EQ(hits, std::vector<std::uint64_t>{(std::uint64_t{256} << 20) - 2});
  // The 256 MiB hole was not read.
  EXPECT_LT(search.bytesRead(), std::uint64_t{16} << 20);
}

TEST_F(PatternSearchTest, TheStopCheckEndsTheSearchBeforeTheNextRead) {
  Bytes data(std::size_t{4} << 20, 0x00);
  data[5] = 0x12;
  data[data.size() - 2] = 0x12;
  dir.Write("image.bin", data);
  PosixFile file;
  ASSERT_TRUE(file.Open(dir.file("image.bin"), PosixFile::Mode::ReadOnly));
  PatternSearch search(file, {0x12}, std::size_t{1} << 20);
  bool stop = false;
  search.SetStopCheck([&stop] { return stop; });
  EXPECT_EQ(search.Next(), std::optional<std::uint64_t>{5});
  stop = true;
  EXPECT_EQ(search.Next(), std::nullopt);
  EXPECT_TRUE(search.stopped());
  EXPECT_FALSE(search.failed());
  EXPECT_EQ(search.reads(), 1u);
}

}  // namespace
}  // namespace tarnwick::buffers
