// The parts every feature works with, built in order on one data layout:
// texts and window services, settings, the job table and command router, the
// worker and its launcher, the box link, the catalogue and selection, the file
// image, and the context the box features take. The session builds these
// under its features; a feature's tests build them on a virtual box alone.
#pragma once

#include <functional>
#include <string>

#include "core/app/command_router.h"
#include "core/app/data_layout.h"
#include "core/app/settings.h"
#include "core/app/text_table.h"
#include "core/app/window_services.h"
#include "core/buffers/file_image.h"
#include "core/catalogue/catalogue.h"
#include "core/catalogue/chip_selection.h"
#include "core/device/command_channel.h"
#include "core/device/command_frame.h"
#include "core/device/device_link.h"
#include "core/device/job_table.h"
#include "core/device/worker.h"
#include "core/device/worker_launcher.h"
#include "core/operations/op_context.h"

namespace tarnwick {

class UsbApi;

struct OperationParts {
  // `hooks` are the worker's; `logLoadedFile` names the loaded file in the log
  // before the jobs whose row asks for it.
  // Every file is where `layout` says.
  OperationParts(DataLayout layout, WindowSurface& surface, UsbApi& usb, WorkerHooks hooks,
                 std::function<void()> logLoadedFile);
  OperationParts(const OperationParts&) = delete;
  OperationParts& operator=(const OperationParts&) = delete;

  // The start-up steps before the catalogue: the user's folders, the log
  // file (kept, created when missing), the empty image, the settings, the link and the frame's
  // markers.
  void StartParts();

  DataLayout layout;
  WindowSurface& surface;
  UsbApi& usb;
  TextTable texts;
  WindowServices services;
  Settings settings;
  DetectionState detection;
  JobTable jobs;
  CommandRouter commands;
  Worker worker;
  WorkerLauncher launcher;
  CommandFrame frame;
  DeviceLink link;
  CommandChannel channel;
  Catalogue catalogue;
  ChipSelection selection;
  buffers::FileImage image;
  OperationContext ctx;
};

}  // namespace tarnwick
