#include "sim/chip_storage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tarnwick::sim {
namespace {

constexpr std::size_t kChunk = 1 << 20;
constexpr char kPatternText[] = "Tarnwick sim";

bool PreadAll(int fd, std::uint8_t* out, std::size_t n, std::uint64_t offset) {
  while (n > 0) {
    const ssize_t r = ::pread(fd, out, n, static_cast<off_t>(offset));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    out += r;
    n -= static_cast<std::size_t>(r);
    offset += static_cast<std::uint64_t>(r);
  }
  return true;
}

bool PwriteAll(int fd, const std::uint8_t* data, std::size_t n, std::uint64_t offset) {
  while (n > 0) {
    const ssize_t r = ::pwrite(fd, data, n, static_cast<off_t>(offset));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    data += r;
    n -= static_cast<std::size_t>(r);
    offset += static_cast<std::uint64_t>(r);
  }
  return true;
}

}  // namespace

void PatternBytes(std::uint64_t address, std::uint8_t* out, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) {
    const std::uint64_t a = address + i;
    const unsigned col = static_cast<unsigned>(a & 0x0F);
    const std::uint64_t row = a & ~std::uint64_t{0x0F};
    out[i] = col < 4 ? static_cast<std::uint8_t>(row >> (8 * (3 - col)))
                     : static_cast<std::uint8_t>(kPatternText[col - 4]);
  }
}

ChipStorage::~ChipStorage() {
  Flush();
  if (fd_ >= 0) ::close(fd_);
}

ChipStorage::ChipStorage(ChipStorage&& other) noexcept {
  other.Flush();
  fd_ = std::exchange(other.fd_, -1);
  size_ = other.size_;
  path_ = std::move(other.path_);
}

ChipStorage& ChipStorage::operator=(ChipStorage&& other) noexcept {
  if (this != &other) {
    Flush();
    other.Flush();
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    size_ = other.size_;
    path_ = std::move(other.path_);
  }
  return *this;
}

bool ChipStorage::Open(const std::string& path, std::uint64_t size, ContentFill fill,
                       std::string& error) {
  Flush();
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  path_ = path;
  size_ = size;
  struct stat found {};
  if (::stat(path.c_str(), &found) == 0 && !S_ISREG(found.st_mode)) {
    error = "content file " + path +
            (S_ISDIR(found.st_mode) ? " is a directory" : " is not a regular file");
    return false;
  }
  int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd >= 0) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || static_cast<std::uint64_t>(st.st_size) != size) {
      error = "content file " + path + " holds " + std::to_string(st.st_size) +
              " bytes but the chip holds " + std::to_string(size);
      ::close(fd);
      return false;
    }
    fd_ = fd;
    return true;
  }
  fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) {
    error = "content file " + path + " cannot be created: " + std::strerror(errno);
    return false;
  }
  fd_ = fd;
  std::vector<std::uint8_t> chunk(static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, size)));
  bool ok = true;
  for (std::uint64_t at = 0; ok && at < size; at += chunk.size()) {
    const std::size_t n =
        static_cast<std::size_t>(std::min<std::uint64_t>(chunk.size(), size - at));
    if (fill == ContentFill::Pattern) {
      PatternBytes(at, chunk.data(), n);
    } else {
      std::fill_n(chunk.begin(), n, std::uint8_t{0xFF});
    }
    ok = PwriteAll(fd_, chunk.data(), n, at);
  }
  if (!ok) {
    error = "content file " + path + " cannot be written: " + std::strerror(errno);
    ::close(fd_);
    fd_ = -1;
    ::unlink(path.c_str());
    return false;
  }
  return true;
}

template <typename Op>
bool ChipStorage::Span(std::uint64_t address, std::uint64_t length, Op op) const {
  if (fd_ < 0 || size_ == 0) return false;
  std::uint64_t done = 0;
  while (done < length) {
    const std::uint64_t at = (address + done) % size_;
    const std::uint64_t n = std::min<std::uint64_t>({length - done, size_ - at, kChunk});
    if (!op(at, done, static_cast<std::size_t>(n))) return false;
    done += n;
  }
  return true;
}

bool ChipStorage::Read(std::uint64_t address, std::uint8_t* out, std::uint64_t length) const {
  Flush();
  return Span(address, length, [&](std::uint64_t at, std::uint64_t done, std::size_t n) {
    return PreadAll(fd_, out + done, n, at);
  });
}

namespace {

// to[i] &= from[i]: programming only clears bits. Sixteen bytes a step
// where SSE2 is there (every x86-64), else eight.
void AndInto(std::uint8_t* to, const std::uint8_t* from, std::size_t n) {
  std::size_t i = 0;
#if defined(__SSE2__)
  for (; i + 16 <= n; i += 16) {
    auto* t = reinterpret_cast<__m128i*>(to + i);
    const __m128i f = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i));
    _mm_storeu_si128(t, _mm_and_si128(_mm_loadu_si128(t), f));
  }
#endif
  for (; i + 8 <= n; i += 8) {
    std::uint64_t a;
    std::uint64_t b;
    std::memcpy(&a, to + i, 8);
    std::memcpy(&b, from + i, 8);
    a &= b;
    std::memcpy(to + i, &a, 8);
  }
  for (; i < n; ++i) to[i] &= from[i];
}

}  // namespace

bool ChipStorage::AndInFile(std::uint64_t address, const std::uint8_t* data,
                            std::uint64_t length) const {
  return Span(address, length, [&](std::uint64_t at, std::uint64_t done, std::size_t n) {
    if (scratch_.size() < n) scratch_.resize(n);
    if (!PreadAll(fd_, scratch_.data(), n, at)) return false;
    AndInto(scratch_.data(), data + done, n);
    return PwriteAll(fd_, scratch_.data(), n, at);
  });
}

bool ChipStorage::Flush() const {
  if (heldLength_ == 0) return true;
  const std::size_t n = heldLength_;
  heldLength_ = 0;
  return AndInFile(heldAt_, held_.data(), n);
}

bool ChipStorage::ProgramAnd(std::uint64_t address, const std::uint8_t* data,
                             std::uint64_t length) {
  if (fd_ < 0 || size_ == 0) return false;
  const std::uint64_t at = address % size_;
  bool ok = true;
  // Only a block that continues the held ones joins them; they never
  // overlap, so holding them back changes no result of the AND.
  if (heldLength_ > 0 && (at != heldAt_ + heldLength_ || heldLength_ + length > kHoldBack)) {
    ok = Flush();
  }
  if (length > kHoldBack || at + length > size_) return AndInFile(address, data, length) && ok;
  if (heldLength_ == 0) heldAt_ = at;
  if (held_.empty()) held_.resize(kHoldBack);
  std::memcpy(held_.data() + heldLength_, data, static_cast<std::size_t>(length));
  heldLength_ += static_cast<std::size_t>(length);
  if (heldLength_ == kHoldBack) ok = Flush() && ok;
  return ok;
}

bool ChipStorage::Overwrite(std::uint64_t address, const std::uint8_t* data, std::uint64_t length) {
  Flush();
  return Span(address, length, [&](std::uint64_t at, std::uint64_t done, std::size_t n) {
    return PwriteAll(fd_, data + done, n, at);
  });
}

bool ChipStorage::Fill(std::uint64_t address, std::uint64_t length, std::uint8_t value) {
  Flush();
  std::vector<std::uint8_t> chunk(static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, length)),
                                  value);
  return Span(address, length, [&](std::uint64_t at, std::uint64_t, std::size_t n) {
    return PwriteAll(fd_, chunk.data(), n, at);
  });
}

ChipStorage::Scan ChipStorage::FindNotBlank(std::uint64_t length, std::uint64_t& address,
                                            std::uint8_t& value) const {
  Flush();
  std::vector<std::uint8_t> chunk;
  bool found = false;
  const bool ok = Span(0, length, [&](std::uint64_t at, std::uint64_t done, std::size_t n) {
    chunk.resize(n);
    if (!PreadAll(fd_, chunk.data(), n, at)) return false;
    auto it = std::find_if(chunk.begin(), chunk.end(), [](std::uint8_t b) { return b != 0xFF; });
    if (it == chunk.end()) return true;
    address = done + static_cast<std::uint64_t>(it - chunk.begin());
    value = *it;
    found = true;
    return false;  // stop the walk
  });
  if (found) return Scan::NotBlank;
  return ok ? Scan::Blank : Scan::Error;
}

}  // namespace tarnwick::sim
