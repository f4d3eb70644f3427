// The find tool's search: the pattern as the find dialog takes it (hex
// digits or characters) and the hits in the working copy, found by comparing
// bytes directly in large reads so a search runs at disk and memory speed.
#pragma once

#include <cstdint>
#include <functional>
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
// previous hit, so hits never overlap, whatever the size of the reads. A hit
// is looked for first in what the last read brought; the file is read again
// only when that is used up, so the cost of a hit does not grow with the
// read size. Holes of a sparse file are skipped when the pattern has a
// byte other than zero.
class PatternSearch {
 public:
  // `file` stays open and unchanged while the search runs.
  PatternSearch(const PosixFile& file, std::vector<std::uint8_t> pattern,
                std::size_t readSize = std::size_t{1} << 20);

  // Asked before each read: true ends the search there (see stopped()).
  void SetStopCheck(std::function<bool()> stop) { stop_ = std::move(stop); }

  // The next hit's offset, or nothing at the end (or on a read error, see
  // failed(), or when the stop check said so, see stopped()).
  std::optional<std::uint64_t> Next();
  bool failed() const { return failed_; }
  bool stopped() const { return stopped_; }
  // Where the read that failed began.
  std::uint64_t failedAt() const { return failedAt_; }
  // Reads made and bytes they brought so far.
  std::uint64_t reads() const { return reads_; }
  std::uint64_t bytesRead() const { return bytesRead_; }

 private:
  // The next read, from `from_` on; false at the end, on an error or a stop.
  bool Refill();

  const PosixFile& file_;
  std::vector<std::uint8_t> pattern_;
  std::vector<std::uint8_t> buffer_;
  std::function<bool()> stop_;
  bool skipHoles_ = false;
  std::uint64_t length_ = 0;
  std::uint64_t from_ = 0;  // where the next read starts
  std::uint64_t held_ = 0;  // file offset of buffer_[0]
  std::size_t size_ = 0;    // bytes held
  std::size_t at_ = 0;      // where the search goes on inside them
  bool atEnd_ = false;      // the last read reached the end of the file
  bool failed_ = false;
  bool stopped_ = false;
  std::uint64_t failedAt_ = 0;
  std::uint64_t reads_ = 0;
  std::uint64_t bytesRead_ = 0;
};

}  // namespace tarnwick::buffers
