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
      buffer_(std::max(readSize, pattern_.size()) + pattern_.size()) {
  // A hole reads as zeros: a pattern with another byte cannot lie wholly in one.
  skipHoles_ = std::any_of(pattern_.begin(), pattern_.end(), [](std::uint8_t b) { return b != 0; });
  const std::int64_t length = file_.Length();
  // A length of 0 may be a special file that reads all the same.
  if (length <= 0) skipHoles_ = false;
  length_ = length < 0 ? 0 : static_cast<std::uint64_t>(length);
}

bool PatternSearch::Refill() {
  const std::size_t n = pattern_.size();
  if (atEnd_ || failed_ || stopped_) return false;
  if (stop_ && stop_()) {
    stopped_ = true;
    return false;
  }
  if (skipHoles_) {
    std::uint64_t begin = 0;
    std::uint64_t end = 0;
    if (!file_.NextDataRange(from_, length_, &begin, &end)) {
      atEnd_ = true;
      return false;
    }
    // A hit ending before the data begins would lie wholly in the hole.
    if (begin > from_ + (n - 1)) from_ = begin - (n - 1);
  }
  const std::int64_t got = file_.ReadAt(from_, buffer_.data(), buffer_.size());
  ++reads_;
  if (got < 0) {
    failed_ = true;
    failedAt_ = from_;
    return false;
  }
  const auto size = static_cast<std::size_t>(got);
  bytesRead_ += size;
  held_ = from_;
  size_ = size;
  at_ = 0;
  if (size < buffer_.size()) atEnd_ = true;
  // The next read overlaps this one by n - 1 bytes: a hit across the
  // boundary is not missed.
  from_ = size >= n ? held_ + (size - n + 1) : held_ + size;
  return true;
}

std::optional<std::uint64_t> PatternSearch::Next() {
  const std::size_t n = pattern_.size();
  if (n == 0) return std::nullopt;
  for (;;) {
    if (at_ + n <= size_) {
      // The C library's memmem compares many bytes per step.
      const void* hit = ::memmem(buffer_.data() + at_, size_ - at_, pattern_.data(), n);
      if (hit != nullptr) {
        const auto index =
            static_cast<std::size_t>(static_cast<const std::uint8_t*>(hit) - buffer_.data());
        at_ = index + n;
        // A hit reaching into the overlap moves the next read past it.
        from_ = std::max(from_, held_ + at_);
        return held_ + index;
      }
    }
    if (!Refill()) return std::nullopt;
  }
}

}  // namespace tarnwick::buffers
