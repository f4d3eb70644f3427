// The parts of one run, in construction order. Only the session's own files
// and the tests of whole flows reach in here.
#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "core/app/settings.h"
#include "core/app/text_table.h"
#include "core/app/window_services.h"
#include "core/buffers/file_image.h"
#include "core/buffers/hex_view.h"
#include "core/catalogue/catalogue.h"
#include "core/catalogue/chip_selection.h"
#include "core/device/command_channel.h"
#include "core/device/command_frame.h"
#include "core/device/device_link.h"
#include "core/device/worker.h"
#include "core/operations/op_context.h"
#include "core/session/session.h"

namespace tarnwick {

struct Session::Impl {
  Impl(Options options, WindowSurface& surface, UsbApi& usb);

  std::optional<bool> RunJob(std::uint8_t code);
  void SetLamp(std::uint8_t value);
  void StartOperationButton(int id);
  void NoteFileBeforeJob(std::uint8_t code);
  void LoadCatalogueAtStart();
  void OnChipApplied(const AppliedSelection& applied);

  Options options;
  WindowSurface& surface;
  UsbApi& usb;
  TextTable texts;
  WindowServices services;
  Settings settings;
  OperationFlags flags;
  Worker worker;
  CommandFrame frame;
  DeviceLink link;
  CommandChannel channel;
  Catalogue catalogue;
  ChipSelection selection;
  buffers::FileImage image;
  buffers::HexView hexView;  // GUI thread only
  OperationContext ctx;
  std::function<void()> showBatchDialog;
  std::function<void(const std::string&)> openOffsetDialog;
  bool HandleLoad(buffers::LoadResult result);
  std::atomic<int> lastDetect{0};
  std::atomic<int> lastOutcome{0};
  bool started = false;
  bool ended = false;
};

}  // namespace tarnwick
