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

}  // namespace
}  // namespace tarnwick::buffers
