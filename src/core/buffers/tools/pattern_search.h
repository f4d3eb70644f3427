// The find tool's search: the pattern as the find dialog takes it (hex
// digits or characters) and the hits in the working copy, found by comparing
// bytes directly in large reads so a search runs at disk and memory speed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/buffers/posix_file.h"

namespace tarnwick::buffers {

// The bytes to look for, or the text number that says what is wrong with
// the typed pattern (empty; a blank or a non-hex character in hex mode). An
// odd number of hex digits reads as if a '0' led them.
struct SearchPattern {
  std::vector<std::uint8_t> bytes;
  int problem = 0;  // 0 when `bytes` is the pattern
};
SearchPattern ParseSearchPattern(const std::string& typed, bool hexMode);

// Hits one after another through a file: each search starts right after the
// previous hit, so hits never overlap, whatever the size of the reads.
class PatternSearch {
 public:
  // `file` stays open and unchanged while the search runs.
  PatternSearch(const PosixFile& file, std::vector<std::uint8_t> pattern,
                std::size_t readSize = std::size_t{1} << 20);

  // The next hit's offset, or nothing at the end (or on a read error, see
  // failed()).
  std::optional<std::uint64_t> Next();
  bool failed() const { return failed_; }
  // Where the read that failed began.
  std::uint64_t failedAt() const { return from_; }

 private:
  const PosixFile& file_;
  std::vector<std::uint8_t> pattern_;
  std::vector<std::uint8_t> buffer_;
  std::uint64_t from_ = 0;  // where the next search starts
  bool failed_ = false;
};

}  // namespace tarnwick::buffers
