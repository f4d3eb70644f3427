#include "core/buffers/image_reader.h"

#include <algorithm>
#include <cstring>

namespace tarnwick::buffers {

bool ImageReader::Open(const std::string& workingCopyPath) {
  position_ = 0;
  aheadLength_ = 0;
  return file_.Open(workingCopyPath, PosixFile::Mode::ReadOnly);
}

std::int64_t ImageReader::Read(void* buffer, std::size_t n) {
  auto* out = static_cast<std::uint8_t*>(buffer);
  std::size_t done = 0;
  while (done < n) {
    if (position_ >= aheadAt_ && position_ < aheadAt_ + aheadLength_) {
      const auto at = static_cast<std::size_t>(position_ - aheadAt_);
      const std::size_t k = std::min(n - done, aheadLength_ - at);
      std::memcpy(out + done, ahead_.data() + at, k);
      done += k;
      position_ += k;
      continue;
    }
    std::int64_t got = 0;
    if (n - done >= kReadAhead) {
      // A request as large as the read-ahead goes to the caller directly.
      got = file_.ReadAt(position_, out + done, n - done);
      if (got > 0) {
        done += static_cast<std::size_t>(got);
        position_ += static_cast<std::uint64_t>(got);
      }
    } else {
      if (ahead_.empty()) ahead_.resize(kReadAhead);
      got = file_.ReadAt(position_, ahead_.data(), ahead_.size());
      aheadAt_ = position_;
      aheadLength_ = got > 0 ? static_cast<std::size_t>(got) : 0;
    }
    if (got < 0) return done > 0 ? static_cast<std::int64_t>(done) : -1;
    if (got == 0) break;  // the end of the file
  }
  return static_cast<std::int64_t>(done);
}

bool ImageReader::Seek(std::int64_t delta) {
  if (delta < 0 && static_cast<std::uint64_t>(-delta) > position_) return false;
  position_ = delta < 0 ? position_ - static_cast<std::uint64_t>(-delta)
                        : position_ + static_cast<std::uint64_t>(delta);
  return true;
}

}  // namespace tarnwick::buffers
