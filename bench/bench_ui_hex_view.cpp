// The hex view in the real window (offscreen): one full refresh at the last
// page of a 4 GiB sparse image (HexViewPanel::Refresh, then with the grid's
// repaint), and scrolling through 10 000 rows with the scroll bar's arrow.
// Usage: bench_ui_hex_view [directory]. Prints figures; asserts nothing.
#include <unistd.h>

#include <QApplication>
#include <QScrollBar>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/buffers/hex_view.h"
#include "resources/ids.h"
#include "sim/box_description.h"
#include "sim/virtual_box.h"
#include "ui/app/programmer_dlg.h"
#include "ui/app/qt_window_surface.h"
#include "ui/buffers/hex_view_panel.h"
#include "ui/grid/grid_ctrl.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

struct Figures {
  double mean = 0, min = 0, max = 0;
};

template <typename F>
Figures Time(int runs, F&& f) {
  std::vector<double> ms;
  ms.reserve(static_cast<std::size_t>(runs));
  for (int i = 0; i < runs; ++i) {
    const auto t0 = Clock::now();
    f();
    ms.push_back(Ms(Clock::now() - t0));
  }
  Figures out;
  out.min = *std::min_element(ms.begin(), ms.end());
  out.max = *std::max_element(ms.begin(), ms.end());
  for (double v : ms) out.mean += v;
  out.mean /= runs;
  return out;
}

void Print(const char* what, const Figures& f) {
  std::printf("%-40s mean %.3f ms, min %.3f ms, max %.3f ms\n", what, f.mean, f.min, f.max);
}

bool MakeSparseImage(const std::string& path, std::uint64_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  std::fputs("start of the image", f);
  std::fclose(f);
  if (::truncate(path.c_str(), static_cast<off_t>(size)) != 0) return false;
  f = std::fopen(path.c_str(), "r+b");
  if (!f) return false;
  std::fseek(f, static_cast<long>(size - 320), SEEK_SET);
  for (int i = 0; i < 320; ++i) std::fputc(i, f);
  std::fclose(f);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const fs::path root = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path();
  const fs::path dir = root / ("tarnwick-bench-ui-hex-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const std::string base = dir.string() + "/";
  const std::string source = base + "sparse4g.bin";
  constexpr std::uint64_t kSize = 4ull << 30;
  if (!MakeSparseImage(source, kSize)) {
    std::fprintf(stderr, "cannot make %s\n", source.c_str());
    return 1;
  }

  std::string error;
  auto box = tarnwick::sim::VirtualBox::Create(tarnwick::sim::DefaultBoxDescription(base), error);
  if (!box) {
    std::fprintf(stderr, "virtual box: %s\n", error.c_str());
    return 1;
  }
  int status = 0;
  {
    tarnwick::ProgrammerDlg window({tarnwick::OneFolderLayout(base), false}, *box);
    window.show();
    QCoreApplication::processEvents();
    tarnwick::HexViewPanel& panel = window.hexPanel();
    auto* grid = qobject_cast<tarnwick::CGridCtrl*>(window.Control(tarnwick::ids::kHexGrid));
    auto* bar = qobject_cast<QScrollBar*>(window.Control(tarnwick::ids::kHexScrollBar));

    const auto l0 = Clock::now();
    const bool loaded = window.session().LoadUserFile(source);
    const auto l1 = Clock::now();
    QCoreApplication::processEvents();
    window.surface().Flush();
    QCoreApplication::processEvents();
    if (!loaded) {
      std::fprintf(stderr, "the image did not load\n");
      status = 1;
    } else {
      // The thumb dragged to the bottom end: the last page.
      bar->setSliderPosition(bar->maximum());
      QCoreApplication::processEvents();
      // The last whole row of the view (20 or more, as the window's height gives).
      const int lastRow = window.session().hexView().pageRows();
      const QString lastAddress = grid->GetCellText(lastRow, 0);

      std::printf("image                                    %llu bytes, scroll maximum %d\n",
                  static_cast<unsigned long long>(kSize), bar->maximum());
      std::printf("load (sparse, with sum)                  %.1f ms\n", Ms(l1 - l0));
      std::printf("last page                                rows %s .. %s\n",
                  qPrintable(grid->GetCellText(1, 0)), qPrintable(lastAddress));
      Print("Refresh at the last page", Time(500, [&] { panel.Refresh(); }));
      Print("Refresh + grid repaint at the last page", Time(500, [&] {
              panel.Refresh();
              grid->repaint();
            }));

      constexpr int kRows = 10000;
      const Figures scroll = Time(1, [&] {
        for (int i = 0; i < kRows; ++i) bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
      });
      std::printf("%-40s %.1f ms total, %.4f ms per row\n", "scroll 10000 rows (arrow steps)",
                  scroll.mean, scroll.mean / kRows);
      const Figures painted = Time(1, [&] {
        for (int i = 0; i < kRows; ++i) {
          bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
          grid->repaint();
        }
      });
      std::printf("%-40s %.1f ms total, %.4f ms per row\n", "scroll 10000 rows, each repainted",
                  painted.mean, painted.mean / kRows);
      std::printf("back at the last page                    %s\n",
                  grid->GetCellText(lastRow, 0) == lastAddress ? "yes" : "no");
      std::printf("frame budget                             16 ms\n");
    }
  }
  std::error_code ec;
  fs::remove_all(dir, ec);
  return status;
}
