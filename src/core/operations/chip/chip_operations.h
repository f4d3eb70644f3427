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

  // The close sequence's question about the transfer running now (the busy
  // step of an automatic sequence or of a batch names it), 0 when none runs.
  int BusyStepQuestion() const;
  // The close was confirmed: stops whatever transfer runs now, which may be
  // a later step than the one asked about, and lets the box's waits end.
  void StopForClose();
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
