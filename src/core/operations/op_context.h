// What every operation on the box works with: the window services, the link
// and frame, the selection, the file image, the settings and the detection
// state. A feature keeps its own requests and busy flags beside this.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "core/app/window_services.h"
#include "core/device/command_channel.h"
#include "core/device/job.h"

namespace tarnwick {

class DeviceLink;
class ChipSelection;
class Catalogue;
namespace buffers {
class FileImage;
}
class Settings;

// What the last identification found out, shared by every feature: single
// values the window and the worker both read.
struct DetectionState {
  std::atomic<bool> refusal{false};           // box answered "firmware-upgrade mode"
  std::atomic<bool> selectionChanged{false};  // detection changed what the user chose
  std::atomic<bool> severalMatches{false};
  std::atomic<bool> adapter{false};
  std::atomic<std::uint32_t> lastId{0};
  // Set when the run ends: a detection stops probing at its next step.
  std::atomic<bool> stopRequested{false};
};

struct OperationContext {
  WindowServices& ui;
  DeviceLink& link;
  CommandFrame& frame;
  CommandChannel& channel;
  ChipSelection& selection;
  const Catalogue& catalogue;
  buffers::FileImage& image;
  Settings& settings;
  DetectionState& detection;
  // The job code the worker is running (detection behaves differently as the
  // user-started job).
  std::function<std::uint8_t()> jobCode;

  bool RunningAs(Job job) const { return jobCode() == JobByte(job); }
  const std::string& I(int n) const { return ui.texts().itext(n); }
  const std::string& F(int n) const { return ui.texts().ftext(n); }
};

}  // namespace tarnwick
