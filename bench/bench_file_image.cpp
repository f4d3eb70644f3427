// Load with checksum of a 512 MiB file against `cp` of the same file in the
// same run. Usage: bench_file_image [directory] (default: the system's temp
// directory). Prints figures; asserts nothing.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "bench/buffers_bench_surface.h"
#include "core/app/text_table.h"
#include "core/app/window_services.h"
#include "core/buffers/file_image.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {
double Seconds(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}
}  // namespace

int main(int argc, char** argv) {
  const fs::path root = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path();
  const fs::path dir = root / ("tarnwick-bench-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const std::string source = (dir / "source.bin").string();
  constexpr std::size_t kSize = 512ull * 1024 * 1024;

  {
    std::FILE* f = std::fopen(source.c_str(), "wb");
    std::mt19937_64 rng(42);
    std::vector<std::uint64_t> block(1 << 17);
    for (std::size_t done = 0; done < kSize; done += block.size() * 8) {
      for (auto& w : block) w = rng();
      std::fwrite(block.data(), 8, block.size(), f);
    }
    std::fclose(f);
  }

  tarnwick::bench::SilentSurface surface;
  tarnwick::TextTable texts;
  tarnwick::WindowServices services(surface, texts);
  tarnwick::buffers::FileImage image(services, dir.string() + "/");
  image.SetChip("bench", kSize);

  // Warm the page cache the same way for both contenders.
  const std::string cpCommand = "cp '" + source + "' '" + (dir / "copy.bin").string() + "'";
  std::system(cpCommand.c_str());

  // Alternate the two, three rounds each, and keep the best of each: disk
  // write-back of the previous round then weighs on both alike.
  double load = 1e9, cp = 1e9;
  bool loaded = true;
  int rc = 0;
  for (int round = 0; round < 3; ++round) {
    const auto t0 = Clock::now();
    loaded = loaded && image.LoadFile(source, tarnwick::buffers::LoadOrigin::UserChosen) ==
                           tarnwick::buffers::LoadResult::Loaded;
    const auto t1 = Clock::now();
    rc |= std::system(cpCommand.c_str());
    const auto t2 = Clock::now();
    load = std::min(load, Seconds(t0, t1));
    cp = std::min(cp, Seconds(t1, t2));
  }
  const double mib = static_cast<double>(kSize) / (1024.0 * 1024.0);
  std::printf("file size            %.0f MiB\n", mib);
  std::printf("LoadFile + checksum  %.3f s  (%.0f MiB/s)%s\n", load, mib / load,
              loaded ? "" : "  [load FAILED]");
  std::printf("cp                   %.3f s  (%.0f MiB/s)%s\n", cp, mib / cp,
              rc == 0 ? "" : "  [cp FAILED]");
  std::printf("ratio load / cp      %.2f\n", load / cp);
  std::printf("file sum             %llu\n", static_cast<unsigned long long>(image.fileSum()));

  image.Close();
  std::error_code ec;
  fs::remove_all(dir, ec);
  return 0;
}
