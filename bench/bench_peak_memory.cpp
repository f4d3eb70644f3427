// Peak resident memory while loading, programming and verifying a 1 GiB
// image (a sparse source file; the virtual chip's content is file-backed).
// The image must stream through fixed blocks, never sit in memory.
// Usage: bench_peak_memory [directory]. Prints figures; asserts nothing.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "bench/ops_bench_session.h"

using namespace tarnwick;
using Clock = std::chrono::steady_clock;

int main(int argc, char** argv) {
  const bench::fs::path root =
      argc > 1 ? bench::fs::path(argv[1]) : bench::fs::temp_directory_path();
  constexpr std::uint64_t kSize = 1ull << 30;
  const long before = bench::PeakRssKiB();
  bench::BenchSession s(root, 0xAB401E, kSize, "B1G");
  const long afterSetup = bench::PeakRssKiB();

  const std::string source = s.path("sparse.bin").string();
  {
    const int fd = ::open(source.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
    if (fd < 0 || ::ftruncate(fd, static_cast<off_t>(kSize)) != 0) {
      std::fprintf(stderr, "cannot create the sparse source\n");
      return 1;
    }
    // A few non-zero bytes so the image is not all zeros.
    const char mark[] = "Tarnwick";
    for (std::uint64_t at = 0; at < kSize; at += 64ull << 20) {
      if (::pwrite(fd, mark, sizeof mark, static_cast<off_t>(at)) < 0) return 1;
    }
    ::close(fd);
  }

  auto t0 = Clock::now();
  const bool loaded = s.session().LoadUserFile(source);
  const double loadWall = bench::Seconds(t0, Clock::now());
  const long afterLoad = bench::PeakRssKiB();

  t0 = Clock::now();
  const bool programmed = s.session().RunJobAndWait(Job::Program);
  const double progWall = bench::Seconds(t0, Clock::now());
  const long afterProgram = bench::PeakRssKiB();

  t0 = Clock::now();
  const bool verified = s.session().RunJobAndWait(Job::Verify);
  const double verWall = bench::Seconds(t0, Clock::now());
  const long afterVerify = bench::PeakRssKiB();

  std::printf("image: 1 GiB sparse source, 1 GiB file-backed virtual chip\n");
  std::printf("peak RSS at start:        %8ld KiB\n", before);
  std::printf("peak RSS after set-up:    %8ld KiB\n", afterSetup);
  std::printf("peak RSS after load:      %8ld KiB  (%.2f s, %s)\n", afterLoad, loadWall,
              loaded ? "ok" : "FAILED");
  std::printf("peak RSS after program:   %8ld KiB  (%.2f s, %s)\n", afterProgram, progWall,
              programmed ? "ok" : "FAILED");
  std::printf("peak RSS after verify:    %8ld KiB  (%.2f s, %s)\n", afterVerify, verWall,
              verified ? "ok" : "FAILED");
  std::printf("growth over the whole run: %ld KiB for a %llu KiB image\n", afterVerify - afterSetup,
              static_cast<unsigned long long>(kSize / 1024));
  return loaded && programmed && verified ? 0 : 1;
}
