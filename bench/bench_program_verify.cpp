// Program plus verify of a 64 MiB image through the instant virtual box:
// throughput and CPU time of the program's side of the transfers (the box
// runs in the same process, so its work is in the CPU figure too).
// Usage: bench_program_verify [directory]. Prints figures; asserts nothing.
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

#include "bench/ops_bench_session.h"

using namespace tarnwick;
using Clock = std::chrono::steady_clock;

int main(int argc, char** argv) {
  const bench::fs::path root =
      argc > 1 ? bench::fs::path(argv[1]) : bench::fs::temp_directory_path();
  constexpr std::uint64_t kSize = 64ull << 20;
  bench::BenchSession s(root, 0xAB401A, kSize, "B64M");

  const std::string source = s.path("image.bin").string();
  {
    std::FILE* f = std::fopen(source.c_str(), "wb");
    std::mt19937_64 rng(7);
    std::vector<std::uint64_t> block(1 << 16);
    for (std::uint64_t done = 0; done < kSize; done += block.size() * 8) {
      for (auto& v : block) v = rng();
      std::fwrite(block.data(), 8, block.size(), f);
    }
    std::fclose(f);
  }

  auto t0 = Clock::now();
  double c0 = bench::CpuSeconds();
  if (!s.session().LoadUserFile(source)) {
    std::fprintf(stderr, "load failed\n");
    return 1;
  }
  const double loadWall = bench::Seconds(t0, Clock::now());
  const double loadCpu = bench::CpuSeconds() - c0;

  t0 = Clock::now();
  c0 = bench::CpuSeconds();
  const bool programmed = s.session().RunJobAndWait(Job::Program);
  const double progWall = bench::Seconds(t0, Clock::now());
  const double progCpu = bench::CpuSeconds() - c0;

  t0 = Clock::now();
  c0 = bench::CpuSeconds();
  const bool verified = s.session().RunJobAndWait(Job::Verify);
  const double verWall = bench::Seconds(t0, Clock::now());
  const double verCpu = bench::CpuSeconds() - c0;

  const double mb = static_cast<double>(kSize) / 1e6;
  std::printf("image: %.1f MB (64 MiB), instant virtual box\n", mb);
  std::printf("load:    %6.3f s wall, %6.3f s CPU, %7.1f MB/s\n", loadWall, loadCpu, mb / loadWall);
  std::printf("program: %6.3f s wall, %6.3f s CPU, %7.1f MB/s (%s)\n", progWall, progCpu,
              mb / progWall, programmed ? "ok" : "FAILED");
  std::printf("verify:  %6.3f s wall, %6.3f s CPU, %7.1f MB/s (%s)\n", verWall, verCpu,
              mb / verWall, verified ? "ok" : "FAILED");
  const double both = mb * 2 / (progWall + verWall);
  std::printf(
      "program+verify: %.1f MB/s over %.1f MB moved; %s a USB 2.0 high-speed link (~40 MB/s)\n",
      both, mb * 2, both >= 40.0 ? "keeps up with" : "does NOT keep up with");
  std::printf("peak resident memory: %ld KiB\n", bench::PeakRssKiB());
  return programmed && verified ? 0 : 1;
}
