// What every chip operation works with: the window services, the link and
// frame, the selection, the file image and the flags shared with the window.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "core/app/window_services.h"
#include "core/device/command_channel.h"

namespace tarnwick {

class DeviceLink;
class ChipSelection;
class Catalogue;
namespace buffers {
class FileImage;
}
class Settings;

// Single-byte requests and states shared between the window and the worker.
struct OperationFlags {
  std::atomic<bool> refusal{false};           // box answered "firmware-upgrade mode"
  std::atomic<bool> selectionChanged{false};  // detection changed what the user chose
  std::atomic<bool> severalMatches{false};
  std::atomic<bool> adapter{false};
  std::atomic<std::uint32_t> lastId{0};

  std::atomic<bool> cancelProgram{false};
  std::atomic<bool> cancelErase{false};
  std::atomic<bool> cancelVerify{false};
  std::atomic<bool> cancelRead{false};
  std::atomic<bool> cancelBlank{false};

  std::atomic<bool> busyProgram{false};
  std::atomic<bool> busyErase{false};
  std::atomic<bool> busyVerify{false};
  std::atomic<bool> busyRead{false};
  std::atomic<bool> windowStopRead{false};  // set by the close sequence
  std::atomic<bool> batchMode{false};
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
  OperationFlags& flags;
  // The job code the worker is running (detection behaves differently as 23).
  std::function<std::uint8_t()> jobCode;

  const std::string& I(int n) const { return ui.texts().itext(n); }
  const std::string& F(int n) const { return ui.texts().ftext(n); }
};

}  // namespace tarnwick
