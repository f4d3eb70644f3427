#include "core/device/stream_source.h"

#include <sys/types.h>
#include <algorithm>

namespace tarnwick {

std::int64_t MemorySource::Read(std::uint8_t* out, std::size_t size) {
  const std::size_t n = std::min(size, bytes_.size() - pos_);
  std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(pos_), n, out);
  pos_ += n;
  return static_cast<std::int64_t>(n);
}

bool MemorySource::Seek(std::int64_t delta) {
  const std::int64_t target = static_cast<std::int64_t>(pos_) + delta;
  if (target < 0 || target > static_cast<std::int64_t>(bytes_.size())) return false;
  pos_ = static_cast<std::size_t>(target);
  return true;
}

std::int64_t FileSource::Read(std::uint8_t* out, std::size_t size) {
  if (file_ == nullptr) return -1;
  const std::size_t n = std::fread(out, 1, size, file_);
  if (n < size && std::ferror(file_)) return -1;
  return static_cast<std::int64_t>(n);
}

bool FileSource::Seek(std::int64_t delta) {
  if (file_ == nullptr) return false;
  return fseeko(file_, static_cast<off_t>(delta), SEEK_CUR) == 0;
}

}  // namespace tarnwick
