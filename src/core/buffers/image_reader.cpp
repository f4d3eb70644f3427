#include "core/buffers/image_reader.h"

namespace tarnwick::buffers {

bool ImageReader::Open(const std::string& workingCopyPath) {
  position_ = 0;
  return file_.Open(workingCopyPath, PosixFile::Mode::ReadOnly);
}

std::int64_t ImageReader::Read(void* buffer, std::size_t n) {
  const std::int64_t got = file_.ReadAt(position_, buffer, n);
  if (got > 0) position_ += static_cast<std::uint64_t>(got);
  return got;
}

bool ImageReader::Seek(std::int64_t delta) {
  if (delta < 0 && static_cast<std::uint64_t>(-delta) > position_) return false;
  position_ = delta < 0 ? position_ - static_cast<std::uint64_t>(-delta)
                        : position_ + static_cast<std::uint64_t>(delta);
  return true;
}

}  // namespace tarnwick::buffers
