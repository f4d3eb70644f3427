#include "core/operations/firmware/firmware_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace tarnwick::firmware {
namespace {

// Closes the descriptor on every way out.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

LoadedFile ReadBounded(const std::string& path, std::size_t limit) {
  LoadedFile out;
  if (path.empty()) {
    out.verdict = Verdict::Missing;
    return out;
  }
  // O_NONBLOCK: opening a FIFO without a writer must not wait for one.
  const Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (fd.get() < 0) {
    out.verdict = errno == ENOENT || errno == ENOTDIR ? Verdict::Missing : Verdict::Unreadable;
    return out;
  }
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) return out;
  if (!S_ISREG(st.st_mode)) {
    out.verdict = Verdict::NotRegular;
    return out;
  }
  if (st.st_size < 0 || static_cast<std::uint64_t>(st.st_size) > limit) {
    out.verdict = Verdict::TooLarge;
    return out;
  }
  // One byte more than allowed tells a file that grew since the stat.
  std::vector<std::uint8_t> bytes(limit + 1);
  std::size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n = ::read(fd.get(), bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return out;
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  if (got > limit) {
    out.verdict = Verdict::TooLarge;
    return out;
  }
  bytes.resize(got);
  out.verdict = Verdict::Good;
  out.bytes = std::move(bytes);
  return out;
}

LoadedFile ReadFirmwareFile(const std::string& path) {
  LoadedFile file = ReadBounded(path, kMaxFileSize);
  if (file.verdict == Verdict::Good) file.verdict = JudgeFile(file.bytes);
  if (file.verdict != Verdict::Good) file.bytes.clear();
  return file;
}

LoadedFile ReadImageFile(const std::string& path) {
  LoadedFile image = ReadBounded(path, kMaxImageSize);
  if (image.verdict == Verdict::Good) image.verdict = JudgeImage(image.bytes);
  if (image.verdict != Verdict::Good) image.bytes.clear();
  return image;
}

std::optional<BootTable> ReadBootTable(const std::string& path, Verdict& verdict) {
  const LoadedFile file = ReadBounded(path, kBootTableSize);
  verdict = file.verdict;
  if (verdict == Verdict::TooLarge ||
      (verdict == Verdict::Good && file.bytes.size() != kBootTableSize)) {
    verdict = Verdict::WrongSize;
  }
  if (verdict != Verdict::Good) return std::nullopt;
  BootTable table{};
  std::copy(file.bytes.begin(), file.bytes.end(), table.begin());
  return table;
}

}  // namespace tarnwick::firmware
