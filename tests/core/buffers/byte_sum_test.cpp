// The 64-bit byte sum behind both checksums equals the plain byte-by-byte
// sum for every length and alignment, including all-0xFF data that fills
// the wide lanes to their limit.
#include <gtest/gtest.h>

#include <numeric>
#include <random>
#include <vector>

#include "core/buffers/image_copy.h"
#include "support/temp_dir.h"

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

// A copy over several copy pieces, with a hole between two stretches of
// data: the copy holds the same bytes, is as long, and the sum is theirs.
TEST(CopyWithSum, CopiesEveryByteAcrossPiecesAndHolesAndSumsThem) {
  test::TempDir dir;
  const std::string source = dir.file("source.bin");
  std::mt19937 rng(5);
  std::vector<std::uint8_t> head((std::size_t{3} << 20) + 17);
  for (auto& b : head) b = static_cast<std::uint8_t>(rng());
  const std::vector<std::uint8_t> tail = {0x81, 0x00, 0xFE};
  const std::uint64_t tailAt = std::uint64_t{40} << 20;
  {
    PosixFile f;
    ASSERT_TRUE(f.Open(source, PosixFile::Mode::CreateReadWrite));
    ASSERT_TRUE(f.WriteAt(0, head.data(), head.size()));
    ASSERT_TRUE(f.WriteAt(tailAt, tail.data(), tail.size()));
  }
  PosixFile from;
  PosixFile to;
  ASSERT_TRUE(from.Open(source, PosixFile::Mode::ReadOnly));
  ASSERT_TRUE(to.Open(dir.file("copy.bin"), PosixFile::Mode::CreateReadWrite));
  const std::uint64_t length = tailAt + tail.size();
  std::uint64_t sum = 0;
  ASSERT_TRUE(CopyWithSum(from, to, length, &sum));
  EXPECT_EQ(sum, Plain(head.data(), head.size()) + Plain(tail.data(), tail.size()));
  EXPECT_EQ(to.Length(), static_cast<std::int64_t>(length));
  std::vector<std::uint8_t> back(head.size());
  ASSERT_EQ(to.ReadAt(0, back.data(), back.size()), static_cast<std::int64_t>(back.size()));
  EXPECT_EQ(back, head);
  std::vector<std::uint8_t> hole(4096, 0x55);
  ASSERT_EQ(to.ReadAt(tailAt - hole.size(), hole.data(), hole.size()), 4096);
  EXPECT_EQ(hole, std::vector<std::uint8_t>(4096, 0x00));
  std::vector<std::uint8_t> end(3);
  ASSERT_EQ(to.ReadAt(tailAt, end.data(), end.size()), 3);
  EXPECT_EQ(end, tail);
}

}  // namespace
}  // namespace tarnwick::buffers
