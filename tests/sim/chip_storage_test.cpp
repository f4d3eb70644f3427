// The virtual chip's storage keeps NOR rules: programming only clears bits,
// whatever the length and alignment of the data written.
#include "sim/chip_storage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

#include "support/temp_dir.h"

namespace tarnwick::sim {
namespace {

TEST(ChipStorage, ProgrammingClearsBitsAndNeverSetsThemAtAnyLengthAndAlignment) {
  test::TempDir dir;
  ChipStorage storage;
  std::string error;
  constexpr std::uint64_t kSize = 4096;
  ASSERT_TRUE(storage.Open(dir.file("chip.bin"), kSize, ContentFill::Blank, error)) << error;
  std::mt19937 rng(9);
  std::vector<std::uint8_t> model(kSize, 0xFF);
  for (int round = 0; round < 40; ++round) {
    const std::uint64_t at = rng() % (kSize - 64);
    const std::size_t n = 1 + rng() % 63;
    std::vector<std::uint8_t> data(n);
    for (auto& b : data) b = static_cast<std::uint8_t>(rng());
    ASSERT_TRUE(storage.ProgramAnd(at, data.data(), n));
    for (std::size_t i = 0; i < n; ++i) model[at + i] &= data[i];
  }
  std::vector<std::uint8_t> back(kSize);
  ASSERT_TRUE(storage.Read(0, back.data(), kSize));
  EXPECT_EQ(back, model);
}

std::vector<std::uint8_t> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Blocks programmed one after the other are written together: every read,
// every other write and the end of the storage see them, in the same AND
// as if each had gone to the file at once, across the chip's end too.
TEST(ChipStorage, ProgrammedBlocksInARowAreSeenByEveryReadAndReachTheFile) {
  test::TempDir dir;
  const std::string path = dir.file("chip.bin");
  constexpr std::uint64_t kSize = 1 << 20;
  std::vector<std::uint8_t> model(kSize, 0xFF);
  std::mt19937 rng(10);
  auto block = [&](std::size_t n) {
    std::vector<std::uint8_t> b(n);
    for (auto& v : b) v = static_cast<std::uint8_t>(rng());
    return b;
  };
  auto program = [&](ChipStorage& storage, std::uint64_t at, const std::vector<std::uint8_t>& b) {
    ASSERT_TRUE(storage.ProgramAnd(at, b.data(), b.size()));
    for (std::size_t i = 0; i < b.size(); ++i) model[(at + i) % kSize] &= b[i];
  };
  {
    ChipStorage storage;
    std::string error;
    ASSERT_TRUE(storage.Open(path, kSize, ContentFill::Blank, error)) << error;
    // 300 KiB in 4096-byte blocks: more than is ever held back at once.
    for (std::uint64_t at = 0; at < 300 * 1024; at += 4096) program(storage, at, block(4096));
    std::vector<std::uint8_t> back(8192);
    ASSERT_TRUE(storage.Read(296 * 1024, back.data(), back.size()));
    EXPECT_TRUE(std::equal(back.begin(), back.end(), model.begin() + 296 * 1024));
    // Back over bytes held a moment ago, a short block, then one that
    // wraps at the chip's end.
    program(storage, 1000, block(3000));
    program(storage, 4000, block(17));
    program(storage, kSize - 2048, block(4096));
    ASSERT_TRUE(storage.Fill(500 * 1024, 4096, 0x00));
    std::fill_n(model.begin() + 500 * 1024, 4096, 0x00);
    program(storage, 600 * 1024, block(4096));
    program(storage, 604 * 1024, block(4096));
    ASSERT_TRUE(storage.Flush());
    EXPECT_EQ(FileBytes(path), model);
    program(storage, 700 * 1024, block(4096));  // only the storage's end writes this one
  }
  EXPECT_EQ(FileBytes(path), model);
}

}  // namespace
}  // namespace tarnwick::sim
