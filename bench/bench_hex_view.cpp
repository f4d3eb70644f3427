// One RefreshHexView at the last page of a 4 GiB sparse image, then 10 000
// single-row scroll steps. Usage: bench_hex_view [directory]. Prints figures.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/buffers_bench_surface.h"
#include "core/app/text_table.h"
#include "core/app/window_services.h"
#include "core/buffers/file_image.h"
#include "core/buffers/hex_view.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {
double Micros(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double, std::micro>(b - a).count();
}
}  // namespace

int main(int argc, char** argv) {
  const fs::path root = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path();
  const fs::path dir = root / ("tarnwick-bench-hex-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const std::string source = (dir / "sparse4g.bin").string();
  constexpr std::uint64_t kSize = 4ull << 30;
  {
    std::FILE* f = std::fopen(source.c_str(), "wb");
    std::fputs("start of the image", f);
    std::fclose(f);
    if (::truncate(source.c_str(), static_cast<off_t>(kSize)) != 0) return 1;
    f = std::fopen(source.c_str(), "r+b");
    std::fseek(f, static_cast<long>(kSize - 320), SEEK_SET);
    for (int i = 0; i < 320; ++i) std::fputc(i, f);
    std::fclose(f);
  }

  tarnwick::bench::SilentSurface surface;
  tarnwick::TextTable texts;
  tarnwick::WindowServices services(surface, texts);
  tarnwick::buffers::FileImage image(services, dir.string() + "/");
  image.SetChip("bench", 16ull << 20);
  tarnwick::buffers::HexView view(image, services);

  const auto l0 = Clock::now();
  image.LoadFile(source, tarnwick::buffers::LoadOrigin::UserChosen);
  const auto l1 = Clock::now();
  view.RefreshHexView();
  view.OnHexScroll(tarnwick::buffers::ScrollCode::ThumbTrack, view.scrollMaximum());

  const auto r0 = Clock::now();
  view.RefreshHexView();
  const auto r1 = Clock::now();
  const std::uint64_t lastTop = view.topRow();
  const std::string lastAddress = view.CellText(20, 0);

  constexpr int kSteps = 10000;
  for (int i = 0; i < kSteps; ++i) view.OnHexScroll(tarnwick::buffers::ScrollCode::LineUp, 0);
  const auto s1 = Clock::now();

  std::printf("image                      %llu bytes, %llu rows\n",
              static_cast<unsigned long long>(image.size()),
              static_cast<unsigned long long>(image.totalRows()));
  std::printf("load (sparse, with sum)    %.1f ms\n", Micros(l0, l1) / 1000.0);
  std::printf("refresh at the last page   %.1f us  (top row %llu, last address %s)\n",
              Micros(r0, r1), static_cast<unsigned long long>(lastTop), lastAddress.c_str());
  std::printf("scroll %d rows            %.1f ms total, %.2f us per refresh\n", kSteps,
              Micros(r1, s1) / 1000.0, Micros(r1, s1) / kSteps);

  image.Close();
  std::error_code ec;
  fs::remove_all(dir, ec);
  return 0;
}
