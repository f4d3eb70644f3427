// The virtual chip's storage keeps NOR rules: programming only clears bits,
// whatever the length and alignment of the data written.
#include "sim/chip_storage.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace tarnwick::sim
