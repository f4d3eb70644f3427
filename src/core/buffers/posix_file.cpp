#include "core/buffers/posix_file.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <utility>

namespace tarnwick::buffers {

PosixFile::~PosixFile() { Close(); }

PosixFile::PosixFile(PosixFile&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

PosixFile& PosixFile::operator=(PosixFile&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

bool PosixFile::Open(const std::string& path, Mode mode) {
  Close();
  int flags = O_CLOEXEC;
  switch (mode) {
    case Mode::ReadOnly:
      flags |= O_RDONLY;
      break;
    case Mode::ReadWrite:
      flags |= O_RDWR;
      break;
    case Mode::CreateReadWrite:
      flags |= O_RDWR | O_CREAT | O_TRUNC;
      break;
    case Mode::CreateWriteOnly:
      flags |= O_WRONLY | O_CREAT | O_TRUNC;
      break;
    case Mode::CreateNew:
      flags |= O_RDWR | O_CREAT | O_EXCL;
      break;
  }
  // Non-blocking open: a FIFO without a writer would otherwise hang here
  // before the check below could refuse it. Regular files ignore the flag.
  flags |= O_NONBLOCK;
  do {
    fd_ = ::open(path.c_str(), flags, 0644);
  } while (fd_ < 0 && errno == EINTR);
  if (fd_ < 0) return false;
  // Only plain files can be an image; a directory or device would read oddly.
  struct stat st {};
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    Close();
    return false;
  }
  return true;
}

int PosixFile::Release() { return std::exchange(fd_, -1); }

void PosixFile::Close() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

std::int64_t PosixFile::Length() const {
  if (fd_ < 0) return -1;
  struct stat st {};
  if (::fstat(fd_, &st) != 0) return -1;
  return static_cast<std::int64_t>(st.st_size);
}

std::int64_t PosixFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t n) const {
  if (fd_ < 0) return -1;
  auto* out = static_cast<char*>(buffer);
  std::size_t done = 0;
  while (done < n) {
    const ssize_t r = ::pread(fd_, out + done, n - done, static_cast<off_t>(offset + done));
    if (r < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (r == 0) break;
    done += static_cast<std::size_t>(r);
  }
  return static_cast<std::int64_t>(done);
}

bool PosixFile::WriteAt(std::uint64_t offset, const void* buffer, std::size_t n) {
  if (fd_ < 0) return false;
  const auto* in = static_cast<const char*>(buffer);
  std::size_t done = 0;
  while (done < n) {
    const ssize_t w = ::pwrite(fd_, in + done, n - done, static_cast<off_t>(offset + done));
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (w == 0) return false;
    done += static_cast<std::size_t>(w);
  }
  return true;
}

bool PosixFile::CloneFrom(const PosixFile& from) {
  if (fd_ < 0 || from.fd_ < 0) return false;
  return ::ioctl(fd_, FICLONE, from.fd_) == 0;
}

std::int64_t PosixFile::CopyInKernel(const PosixFile& from, std::uint64_t fromOffset,
                                     std::uint64_t toOffset, std::size_t n) {
  if (fd_ < 0 || from.fd_ < 0) return -1;
  auto in = static_cast<loff_t>(fromOffset);
  auto out = static_cast<loff_t>(toOffset);
  for (;;) {
    const ssize_t r = ::copy_file_range(from.fd_, &in, fd_, &out, n, 0);
    if (r >= 0) return static_cast<std::int64_t>(r);
    if (errno == EINTR) continue;
    // Another file system on each side, a kernel or a file system without
    // the call: the caller copies through memory instead.
    if (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP) {
      return kKernelCopyUnsupported;
    }
    return -1;
  }
}

bool PosixFile::Truncate(std::uint64_t length) {
  return fd_ >= 0 && ::ftruncate(fd_, static_cast<off_t>(length)) == 0;
}

bool PosixFile::SetPermissions(unsigned mode) {
  return fd_ >= 0 && ::fchmod(fd_, static_cast<mode_t>(mode)) == 0;
}

bool PosixFile::Sync() { return fd_ >= 0 && ::fsync(fd_) == 0; }

bool PosixFile::NextDataRange(std::uint64_t from, std::uint64_t length, std::uint64_t* begin,
                              std::uint64_t* end) const {
  if (from >= length) return false;
  const off_t data = ::lseek(fd_, static_cast<off_t>(from), SEEK_DATA);
  if (data < 0) {
    if (errno == ENXIO) return false;  // holes up to the end
    *begin = from;
    *end = length;
    return true;
  }
  const auto dataStart = static_cast<std::uint64_t>(data);
  if (dataStart >= length) return false;
  const off_t hole = ::lseek(fd_, data, SEEK_HOLE);
  *begin = dataStart;
  *end = hole < 0 ? length : std::min<std::uint64_t>(static_cast<std::uint64_t>(hole), length);
  if (*end <= *begin) *end = length;
  return true;
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

bool TakenByNonFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode);
}

std::FILE* OpenPlainFileForWriting(const std::string& path) {
  PosixFile file;
  if (!file.Open(path, PosixFile::Mode::CreateReadWrite)) return nullptr;
  const int fd = file.Release();
  // The open was non-blocking only to pass a FIFO by; writes may block.
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  std::FILE* stream = ::fdopen(fd, "w+b");
  if (stream == nullptr) ::close(fd);
  return stream;
}

FileStamp StampOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return {};
  constexpr std::int64_t kNsPerSecond = 1'000'000'000;
  return {static_cast<std::int64_t>(st.st_size),
          static_cast<std::int64_t>(st.st_mtim.tv_sec) * kNsPerSecond + st.st_mtim.tv_nsec};
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa {
  }, sb{};
  if (::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0) {
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
  }
  std::error_code ea, eb;
  const auto ca = std::filesystem::weakly_canonical(std::filesystem::absolute(a, ea), ea);
  const auto cb = std::filesystem::weakly_canonical(std::filesystem::absolute(b, eb), eb);
  if (ea || eb) return a == b;
  return ca == cb;
}

}  // namespace tarnwick::buffers
