// One feature on a virtual box, without a session: the parts an operation
// works with (texts, services, settings, link, frame, catalogue, selection,
// file image), a worker reading the job table, and the chip feature's jobs
// and commands. Tests of the chip operations run against this rig.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "core/app/command_router.h"
#include "core/app/settings.h"
#include "core/app/text_table.h"
#include "core/app/window_services.h"
#include "core/buffers/file_image.h"
#include "core/catalogue/catalogue.h"
#include "core/catalogue/chip_selection.h"
#include "core/device/command_channel.h"
#include "core/device/device_link.h"
#include "core/device/job_table.h"
#include "core/device/worker.h"
#include "core/device/worker_launcher.h"
#include "core/operations/chip/chip_operations.h"
#include "core/operations/op_context.h"
#include "support/box_test.h"

namespace tarnwick::test {

struct OperationRig {
  OperationRig(const std::string& baseDir, WindowSurface& surface, UsbApi& usb);
  ~OperationRig();

  // Texts, settings, catalogue and the first selection, as at start-up.
  void Start();

  std::string baseDir;
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
  ChipOperations chip;
  std::atomic<bool> lastOutcome{false};
};

// The chip feature's tests: a rig on a fresh base directory and a virtual box.
class ChipRigTest : public BoxTest {
 protected:
  void TearDown() override {
    if (rig) rig->worker.Exit();
  }

  const TextTable& Texts() override { return rig->texts; }

  // `startWorker` runs the quiet start-up detection first, as the window does.
  void Boot(const sim::BoxDescription& description, bool startWorker = false);
  void WaitIdle();
  // A click on a button or menu item, then wait for the job it started.
  void Press(int id);
  // Runs one job on the worker and waits for it: its outcome.
  bool Run(Job job);
  // A click from the window's thread while the worker is busy (called from a
  // hook on the worker's thread, which waits for the click to be handled).
  void ClickFromWindow(int id);
  void Choose(const std::string& type, const std::string& maker, const std::string& model);
  std::string LoadFile(const std::string& name, const Bytes& bytes);
  int LastDetect() const { return rig->chip.LastDetectResult(); }

  std::unique_ptr<OperationRig> rig;
};

}  // namespace tarnwick::test
