#include "cli/chip_stream.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <vector>

#include "core/buffers/file_image.h"
#include "core/buffers/image_reader.h"
#include "core/catalogue/chip_selection.h"
#include "core/session/session.h"

namespace tarnwick::cli {
namespace {

// No chip holds more; more from standard input is not an image.
constexpr std::uint64_t kMaxStdinBytes = std::uint64_t{512} * 1024 * 1024;
constexpr std::size_t kBlock = 64 * 1024;

bool WriteAll(int fd, const std::uint8_t* data, std::size_t n) {
  while (n > 0) {
    const ssize_t w = ::write(fd, data, n);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    data += w;
    n -= static_cast<std::size_t>(w);
  }
  return true;
}

}  // namespace

int WriteChipToStdout(CliContext& c) {
  // A reader that stops early (`| head`) is told by a failed write, not by
  // the signal that would end the program without a word.
  std::signal(SIGPIPE, SIG_IGN);
  const std::uint64_t chipSize = c.session.selection().ChipSize();
  buffers::ImageReader reader = c.session.image().OpenReader();
  std::vector<std::uint8_t> block(kBlock);
  std::uint64_t sent = 0;
  while (reader.isOpen() && sent < chipSize) {
    const std::size_t want =
        static_cast<std::size_t>(std::min<std::uint64_t>(kBlock, chipSize - sent));
    const std::int64_t got = reader.Read(block.data(), want);
    if (got <= 0) break;
    if (!WriteAll(STDOUT_FILENO, block.data(), static_cast<std::size_t>(got))) {
      std::fprintf(stderr, "error: standard output took %llu of the chip's %llu bytes: %s\n",
                   static_cast<unsigned long long>(sent), static_cast<unsigned long long>(chipSize),
                   std::strerror(errno));
      return kExitFailed;
    }
    sent += static_cast<std::uint64_t>(got);
  }
  if (sent != chipSize) {
    std::fprintf(stderr, "error: only %llu of the chip's %llu bytes could be read back\n",
                 static_cast<unsigned long long>(sent), static_cast<unsigned long long>(chipSize));
    return kExitFailed;
  }
  return kExitOk;
}

std::string StdinToWorkFile(CliContext& c, std::string& error) {
  if (::isatty(STDIN_FILENO) != 0) {
    error = "standard input is a terminal; send the image through a pipe or name a file";
    return {};
  }
  const std::string& workDir = c.session.image().workDir();
  const std::string path = (workDir.empty() ? c.session.image().baseDir() : workDir) + "stdin.bin";
  const int out = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (out < 0) {
    error = "cannot keep standard input in " + path + ": " + std::strerror(errno);
    return {};
  }
  std::vector<std::uint8_t> block(kBlock);
  std::uint64_t total = 0;
  for (;;) {
    const ssize_t n = ::read(STDIN_FILENO, block.data(), block.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = std::string("cannot read standard input: ") + std::strerror(errno);
      break;
    }
    if (n == 0) break;
    total += static_cast<std::uint64_t>(n);
    if (total > kMaxStdinBytes) {
      error = "standard input holds more than " + std::to_string(kMaxStdinBytes) +
              " bytes: no chip's image";
      break;
    }
    if (!WriteAll(out, block.data(), static_cast<std::size_t>(n))) {
      error = "cannot keep standard input in " + path + ": " + std::strerror(errno);
      break;
    }
  }
  if (::close(out) != 0 && error.empty()) error = "cannot keep standard input in " + path;
  if (error.empty() && total == 0) error = "standard input held no data";
  if (!error.empty()) {
    ::unlink(path.c_str());
    return {};
  }
  return path;
}

}  // namespace tarnwick::cli
