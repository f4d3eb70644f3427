// A sequential reader over the working copy for programming and verifying.
// It has its own descriptor, so the worker's position never disturbs the
// hex view's page reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

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
  PosixFile file_;
  std::uint64_t position_ = 0;
};

}  // namespace tarnwick::buffers
