#include "core/buffers/image_copy.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/buffers/buffer_constants.h"

namespace tarnwick::buffers {

std::uint64_t ByteSum(const std::uint8_t* data, std::size_t n) {
  // Eight bytes a step: the even and odd bytes of a 64-bit word are added
  // into four 16-bit lanes each. A lane takes at most 2 * 255 per word, so
  // 128 words fit before the lanes are folded into the total.
  constexpr std::uint64_t kLanes = 0x00FF00FF00FF00FFull;
  constexpr std::size_t kWordsPerFold = 128;
  std::uint64_t total = 0;
  while (n >= 8) {
    const std::size_t words = std::min<std::size_t>(n / 8, kWordsPerFold);
    std::uint64_t lanes = 0;
    for (std::size_t i = 0; i < words; ++i) {
      std::uint64_t w;
      std::memcpy(&w, data + i * 8, 8);
      lanes += (w & kLanes) + ((w >> 8) & kLanes);
    }
    total += (lanes & 0xFFFF) + ((lanes >> 16) & 0xFFFF) + ((lanes >> 32) & 0xFFFF) + (lanes >> 48);
    data += words * 8;
    n -= words * 8;
  }
  for (std::size_t i = 0; i < n; ++i) total += data[i];
  return total;
}

bool CopyWithSum(const PosixFile& from, PosixFile& to, std::uint64_t length, std::uint64_t* sum) {
  // The whole file, where the file system shares blocks: no byte is copied,
  // and the sum is one read of the source.
  if (length > 0 && from.Length() == static_cast<std::int64_t>(length) && to.CloneFrom(from)) {
    return to.Truncate(length) && SumPrefix(from, length, sum);
  }
  std::vector<std::uint8_t> buf(kCopyBlock);
  std::uint64_t total = 0;
  std::uint64_t at = 0;
  std::uint64_t begin = 0, end = 0;
  while (from.NextDataRange(at, length, &begin, &end)) {
    for (std::uint64_t o = begin; o < end;) {
      const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(kCopyBlock, end - o));
      const std::int64_t got = from.ReadAt(o, buf.data(), want);
      if (got < 0) return false;
      if (got == 0) {
        end = o;  // the source shrank while we copied: stop here
        length = std::min(length, o);
        break;
      }
      const auto n = static_cast<std::size_t>(got);
      total += ByteSum(buf.data(), n);
      if (!to.WriteAt(o, buf.data(), n)) return false;
      o += n;
    }
    at = end;
  }
  if (!to.Truncate(length)) return false;
  *sum = total;
  return true;
}

bool CopyRange(const PosixFile& from, std::uint64_t begin, std::uint64_t end, PosixFile& to,
               std::size_t block, const std::function<void(std::uint64_t)>& progress) {
  std::vector<std::uint8_t> buf(block);
  std::uint64_t out = 0;
  for (std::uint64_t o = begin; o < end;) {
    const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(block, end - o));
    const std::int64_t got = from.ReadAt(o, buf.data(), want);
    if (got < 0) return false;
    if (got == 0) break;
    const auto n = static_cast<std::size_t>(got);
    if (!to.WriteAt(out, buf.data(), n)) return false;
    out += n;
    o += n;
    if (progress) progress(out);
  }
  return true;
}

bool SumPrefix(const PosixFile& f, std::uint64_t length, std::uint64_t* sum) {
  std::vector<std::uint8_t> buf(kCopyBlock);
  std::uint64_t total = 0;
  std::uint64_t at = 0, begin = 0, end = 0;
  while (f.NextDataRange(at, length, &begin, &end)) {
    for (std::uint64_t o = begin; o < end;) {
      const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(kCopyBlock, end - o));
      const std::int64_t got = f.ReadAt(o, buf.data(), want);
      if (got < 0) return false;
      if (got == 0) {
        end = o;
        break;
      }
      total += ByteSum(buf.data(), static_cast<std::size_t>(got));
      o += static_cast<std::uint64_t>(got);
    }
    at = end;
  }
  *sum = total;
  return true;
}

}  // namespace tarnwick::buffers
