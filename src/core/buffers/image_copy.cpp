#include "core/buffers/image_copy.h"

#include <algorithm>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/buffers/buffer_constants.h"

namespace tarnwick::buffers {

std::uint64_t ByteSum(const std::uint8_t* data, std::size_t n) {
  std::uint64_t total = 0;
#if defined(__SSE2__)
  // Sixteen bytes a step: PSADBW against zero adds each half of a 16-byte
  // load into a 64-bit lane, which never overflows. SSE2 is part of every
  // x86-64 processor.
  const __m128i zero = _mm_setzero_si128();
  __m128i lanes = _mm_setzero_si128();
  for (; n >= 64; data += 64, n -= 64) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 32));
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 48));
    const __m128i ab = _mm_add_epi64(_mm_sad_epu8(a, zero), _mm_sad_epu8(b, zero));
    const __m128i cd = _mm_add_epi64(_mm_sad_epu8(c, zero), _mm_sad_epu8(d, zero));
    lanes = _mm_add_epi64(lanes, _mm_add_epi64(ab, cd));
  }
  total = static_cast<std::uint64_t>(_mm_cvtsi128_si64(lanes)) +
          static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(lanes, lanes)));
#else
  // Eight bytes a step: the even and odd bytes of a 64-bit word are added
  // into four 16-bit lanes each. A lane takes at most 2 * 255 per word, so
  // 128 words fit before the lanes are folded into the total.
  constexpr std::uint64_t kLanes = 0x00FF00FF00FF00FFull;
  constexpr std::size_t kWordsPerFold = 128;
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
#endif
  for (std::size_t i = 0; i < n; ++i) total += data[i];
  return total;
}

std::int64_t CopyBytes(const PosixFile& from, std::uint64_t fromOffset, PosixFile& to,
                       std::uint64_t toOffset, std::uint64_t length, std::uint64_t* sum,
                       const std::function<void(std::uint64_t)>& progress) {
  std::vector<std::uint8_t> buf;
  bool inKernel = true;
  std::uint64_t done = 0;
  while (done < length) {
    const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(kCopyBlock, length - done));
    std::int64_t got = PosixFile::kKernelCopyUnsupported;
    if (inKernel) got = to.CopyInKernel(from, fromOffset + done, toOffset + done, want);
    if (got == PosixFile::kKernelCopyUnsupported) {
      // Through memory from here on; the sum is taken on the way.
      inKernel = false;
      if (buf.empty()) buf.resize(kCopyBlock);
      got = from.ReadAt(fromOffset + done, buf.data(), want);
      if (got > 0) {
        const auto n = static_cast<std::size_t>(got);
        if (!to.WriteAt(toOffset + done, buf.data(), n)) return -1;
        if (sum) *sum += ByteSum(buf.data(), n);
      }
    } else if (got > 0 && sum) {
      // The piece the kernel copied is read once more, from the cache, for
      // its sum.
      if (buf.empty()) buf.resize(kCopyBlock);
      const auto n = static_cast<std::size_t>(got);
      if (from.ReadAt(fromOffset + done, buf.data(), n) != got) return -1;
      *sum += ByteSum(buf.data(), n);
    }
    if (got < 0) return -1;
    if (got == 0) break;  // the source ends here
    done += static_cast<std::uint64_t>(got);
    if (progress) progress(done);
  }
  return static_cast<std::int64_t>(done);
}

bool CopyWithSum(const PosixFile& from, PosixFile& to, std::uint64_t length, std::uint64_t* sum) {
  // The whole file, where the file system shares blocks: no byte is copied,
  // and the sum is one read of the source.
  if (length > 0 && from.Length() == static_cast<std::int64_t>(length) && to.CloneFrom(from)) {
    return to.Truncate(length) && SumPrefix(from, length, sum);
  }
  std::uint64_t total = 0;
  std::uint64_t at = 0;
  std::uint64_t begin = 0, end = 0;
  while (from.NextDataRange(at, length, &begin, &end)) {
    const std::int64_t got = CopyBytes(from, begin, to, begin, end - begin, &total);
    if (got < 0) return false;
    if (static_cast<std::uint64_t>(got) < end - begin) {
      length = begin + static_cast<std::uint64_t>(got);  // the source shrank while we copied
      break;
    }
    at = end;
  }
  if (!to.Truncate(length)) return false;
  *sum = total;
  return true;
}

bool CopyRange(const PosixFile& from, std::uint64_t begin, std::uint64_t end, PosixFile& to,
               const std::function<void(std::uint64_t)>& progress) {
  return end <= begin || CopyBytes(from, begin, to, 0, end - begin, nullptr, progress) >= 0;
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
