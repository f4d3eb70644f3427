#include "core/buffers/tools/pattern_search.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "core/app/text_ids.h"

namespace tarnwick::buffers {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

SearchPattern ParseSearchPattern(const std::string& typed, bool hexMode) {
  SearchPattern out;
  if (typed.empty()) {
    out.problem = itext::kFindEmpty;
    return out;
  }
  if (!hexMode) {
    out.bytes.assign(typed.begin(), typed.end());
    return out;
  }
  std::string digits;
  for (char c : typed) {
    const char up = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (HexValue(up) < 0) {
      out.problem = itext::kFindNotHex;
      return out;
    }
    digits += up;
  }
  if (digits.size() % 2 != 0) digits.insert(digits.begin(), '0');
  for (std::size_t i = 0; i < digits.size(); i += 2) {
    out.bytes.push_back(
        static_cast<std::uint8_t>(HexValue(digits[i]) << 4 | HexValue(digits[i + 1])));
  }
  return out;
}

PatternSearch::PatternSearch(const PosixFile& file, std::vector<std::uint8_t> pattern,
                             std::size_t readSize)
    : file_(file),
      pattern_(std::move(pattern)),
      buffer_(std::max(readSize, pattern_.size()) + pattern_.size()) {}

std::optional<std::uint64_t> PatternSearch::Next() {
  const std::size_t n = pattern_.size();
  if (n == 0 || failed_) return std::nullopt;
  for (;;) {
    const std::int64_t got = file_.ReadAt(from_, buffer_.data(), buffer_.size());
    if (got < 0) {
      failed_ = true;
      return std::nullopt;
    }
    const std::size_t size = static_cast<std::size_t>(got);
    if (size < n) return std::nullopt;
    // The C library's memmem compares many bytes per step.
    const void* hit = ::memmem(buffer_.data(), size, pattern_.data(), n);
    if (hit != nullptr) {
      const std::uint64_t at = from_ + static_cast<std::uint64_t>(
                                           static_cast<const std::uint8_t*>(hit) - buffer_.data());
      from_ = at + n;
      return at;
    }
    // The next read overlaps this one by n - 1 bytes: a hit across the
    // boundary is not missed.
    from_ += size - n + 1;
  }
}

}  // namespace tarnwick::buffers
