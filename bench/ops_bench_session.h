// A session on the instant virtual box for the operation benchmarks: a fresh
// base directory with the shipped texts and a catalogue of benchmark chips,
// a silent window, and helpers for wall time, CPU time and peak memory.
#pragma once

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "bench/buffers_bench_surface.h"
#include "core/catalogue/catalogue.h"
#include "core/catalogue/catalogue_codec.h"
#include "core/catalogue/chip_selection.h"
#include "core/session/session.h"
#include "resources/ids.h"
#include "sim/virtual_box.h"

namespace tarnwick::bench {

namespace fs = std::filesystem;

// Two flash chips of the sizes the benchmarks move.
inline constexpr const char* kBenchCatalogue =
    "$25 SPI FLASH\r\n#BENCH|\r\n"
    "@B64M:256:4K:64MB:N:000:AB401A:000000:3.3V:000\r\n"
    "@B1G:256:4K:1GB:N:000:AB401E:000000:3.3V:000\r\n";

inline double CpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

inline long PeakRssKiB() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

inline double Seconds(std::chrono::steady_clock::time_point a,
                      std::chrono::steady_clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

// The portable folder beside the build's bench/ folder, or $TARNWICK_PORTABLE_DIR.
inline fs::path PortableDir() {
  if (const char* env = std::getenv("TARNWICK_PORTABLE_DIR")) return env;
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return exe.parent_path().parent_path() / "portable";
}

class BenchSession {
 public:
  // `root`: where the base directory goes (the system's temp folder by default).
  BenchSession(const fs::path& root, std::uint32_t chipId, std::uint64_t chipSize,
               const std::string& model)
      : dir_(root / ("tarnwick-ops-bench-" + std::to_string(::getpid()))) {
    fs::create_directories(dir_);
    for (const char* f : {"ftext.ini", "itext.ini"}) {
      std::error_code ec;
      fs::copy_file(PortableDir() / f, dir_ / f, fs::copy_options::overwrite_existing, ec);
      if (ec) std::fprintf(stderr, "note: %s not copied (%s)\n", f, ec.message().c_str());
    }
    std::string stored;
    CatalogueEncodeError error;
    if (!EncodeCatalogue(kBenchCatalogue, stored, error)) std::abort();
    if (std::FILE* f = std::fopen((dir_ / "database.dat").c_str(), "wb")) {
      std::fwrite(stored.data(), 1, stored.size(), f);
      std::fclose(f);
    }

    sim::BoxDescription d = sim::DefaultBoxDescription(base());
    sim::ChipDescription c;
    c.model = model;
    c.id = chipId;
    c.size = chipSize;
    c.contentPath = (dir_ / "chip.bin").string();
    c.fill = sim::ContentFill::Blank;
    d.chip = c;
    d.speed = sim::SpeedKind::Instant;
    std::string err;
    box_ = sim::VirtualBox::Create(d, err);
    if (!box_) {
      std::fprintf(stderr, "virtual box: %s\n", err.c_str());
      std::exit(1);
    }
    session_ = std::make_unique<Session>(Session::Options{OneFolderLayout(base()), false}, surface_,
                                         *box_);
    session_->LoadTexts();
    session_->Start();
    session_->selection().SelectRecord(
        session_->catalogue().FindRecord("25 SPI FLASH", "BENCH", model));
  }
  ~BenchSession() {
    session_.reset();
    box_.reset();
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  std::string base() const { return dir_.string() + "/"; }
  fs::path path(const std::string& name) const { return dir_ / name; }
  Session& session() { return *session_; }
  sim::VirtualBox& box() { return *box_; }

 private:
  fs::path dir_;
  SilentSurface surface_;  // no menu check marks: automatic identification off
  std::unique_ptr<sim::VirtualBox> box_;
  std::unique_ptr<Session> session_;
};

}  // namespace tarnwick::bench
