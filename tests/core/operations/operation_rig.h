// One feature on a virtual box, without a session: the operation parts
// and the chip feature's jobs and commands. Tests of the chip operations run against this rig.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "core/operations/chip/chip_operations.h"
#include "core/operations/operation_parts.h"
#include "support/box_test.h"

namespace tarnwick::test {

struct OperationRig : OperationParts {
  OperationRig(const std::string& baseDir, WindowSurface& surface, UsbApi& usb);
  ~OperationRig();

  // Texts, settings, catalogue and the first selection, as at start-up.
  void Start();

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
