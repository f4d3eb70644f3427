// How fast the find tool searches: a 1 GiB sparse image with one hit near
// its end, searched from the start. Prints MB/s; asserts nothing.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "core/buffers/posix_file.h"
#include "core/buffers/tools/pattern_search.h"

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  const std::uint64_t size = argc > 1 ? std::stoull(argv[1]) << 20 : std::uint64_t{1} << 30;
  const fs::path path =
      fs::temp_directory_path() / ("tarnwick-find-bench-" + std::to_string(getpid()));
  const int fd = ::open(path.c_str(), O_CREAT | O_TRUNC | O_RDWR, 0600);
  if (fd < 0 || ::ftruncate(fd, static_cast<off_t>(size)) != 0) {
    std::fprintf(stderr, "cannot make %s\n", path.c_str());
    return 1;
  }
  const std::uint8_t pattern[] = {0xDE, 0xAD, 0xBE, 0xEF, 0x55};
  const std::uint64_t at = size - 4096 + 17;
  if (::pwrite(fd, pattern, sizeof pattern, static_cast<off_t>(at)) != sizeof pattern) return 1;
  ::close(fd);

  tarnwick::buffers::PosixFile file;
  if (!file.Open(path.string(), tarnwick::buffers::PosixFile::Mode::ReadOnly)) return 1;
  tarnwick::buffers::PatternSearch search(
      file, std::vector<std::uint8_t>(std::begin(pattern), std::end(pattern)));
  const auto t0 = std::chrono::steady_clock::now();
  const auto hit = search.Next();
  const auto again = search.Next();
  const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  fs::remove(path);
  std::printf("find: %llu MiB searched in %.3f s = %.0f MB/s; hit at 0x%llX (%s), then %s\n",
              static_cast<unsigned long long>(size >> 20), s, static_cast<double>(size) / 1e6 / s,
              static_cast<unsigned long long>(hit.value_or(0)), hit == at ? "right" : "WRONG",
              again ? "another (WRONG)" : "no more");
  return hit == at && !again ? 0 : 1;
}
