// A sequential reader over the working copy for programming and verifying.
// It has its own descriptor, so the worker's position never disturbs the
// hex view's page reads. It reads ahead in kReadAhead pieces, so the 4096-
// and 8192-byte blocks of the box streams cost one system call per piece,
// not one per block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/buffers/posix_file.h"

namespace tarnwick::buffers {

class ImageReader {
 public:
  ImageReader() = default;
  bool Open(const std::string& workingCopyPath);
  bool isOpen() const { return file_.isOpen(); }

  // Reads up to n bytes from the current position and advances by the count
  // read; fewer than n only at the end. -1 on error.
  std::int64_t Read(void* buffer, std::size_t n);
  // Moves relative to the current position; false (position unchanged) when
  // that would go before the start.
  bool Seek(std::int64_t delta);
  std::uint64_t position() const { return position_; }
  std::int64_t Length() const { return file_.Length(); }

 private:
  static constexpr std::size_t kReadAhead = std::size_t{256} << 10;

  PosixFile file_;
  std::uint64_t position_ = 0;
  // The file's bytes [aheadAt_, aheadAt_ + aheadLength_), read ahead.
  std::vector<std::uint8_t> ahead_;
  std::uint64_t aheadAt_ = 0;
  std::size_t aheadLength_ = 0;
};

}  // namespace tarnwick::buffers
