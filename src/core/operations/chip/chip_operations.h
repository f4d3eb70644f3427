// The chip feature: detection, read, erase, blank check, program, verify,
// the automatic sequence and the quad-enable setting. It owns its requests
// and busy flags, contributes its job rows and commands, and answers the
// close sequence's questions about what it is running.
#pragma once

#include <atomic>

#include "core/app/command_router.h"
#include "core/device/job_launcher.h"
#include "core/device/job_table.h"
#include "core/operations/chip/chip_state.h"
#include "core/operations/op_context.h"

namespace tarnwick {

class ChipOperations {
 public:
  explicit ChipOperations(OperationContext& ctx) : ctx_(ctx) {}

  void AddJobs(JobTable& jobs);
  void AddCommands(CommandRouter& router, JobLauncher& launcher);

  // The close sequence: one question per running transfer, each stopping it
  // when answered OK. False when the user keeps the window open.
  bool ConfirmClose();
  // The run ends without questions: every running operation stops, a
  // running detection included.
  void CancelAll();

  ChipJobState& state() { return state_; }
  const ChipJobState& state() const { return state_; }
  // What the last detection returned (kDetectFound ... kDetectNoDevice).
  int LastDetectResult() const { return lastDetect_.load(); }

 private:
  bool Detect(bool quiet);

  OperationContext& ctx_;
  ChipJobState state_;
  std::atomic<int> lastDetect_{0};
};

}  // namespace tarnwick
