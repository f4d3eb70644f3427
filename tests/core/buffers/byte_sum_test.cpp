// The 64-bit byte sum behind both checksums equals the plain byte-by-byte
// sum for every length and alignment, including all-0xFF data that fills
// the wide lanes to their limit.
#include <gtest/gtest.h>

#include <numeric>
#include <random>
#include <vector>

#include "core/buffers/image_copy.h"

namespace tarnwick::buffers {
namespace {

std::uint64_t Plain(const std::uint8_t* p, std::size_t n) {
  return std::accumulate(p, p + n, std::uint64_t{0});
}

TEST(ByteSum, EqualsThePlainSumForEveryLengthAndAlignment) {
  std::mt19937 rng(3);
  std::vector<std::uint8_t> random(70000);
  for (auto& b : random) b = static_cast<std::uint8_t>(rng());
  std::vector<std::uint8_t> ff(70000, 0xFF);
  for (const std::vector<std::uint8_t>* data : {&random, &ff}) {
    for (std::size_t offset : {0u, 1u, 3u, 7u}) {
      for (std::size_t n : {0u, 1u, 7u, 8u, 9u, 1023u, 1024u, 1025u, 8192u, 65536u, 69990u}) {
        const std::uint8_t* p = data->data() + offset;
        EXPECT_EQ(ByteSum(p, n), Plain(p, n)) << "offset " << offset << " length " << n;
      }
    }
  }
}

}  // namespace
}  // namespace tarnwick::buffers
