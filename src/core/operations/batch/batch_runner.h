// The batch feature: a series of chips, each run as one batch step (job 33)
// on the worker, with a thread of its own that only decides what comes next.
//
// Threads. The plan (fields, list, current file) belongs to the batch
// thread; the dialog and the command line reach it by posting (Start, Stop,
// SetCount, SetAutoStart). The worker's batch step takes its request from a
// locked hand-off slot and posts its result to the batch thread. `running`
// is an atomic: the worker polls it while it waits for the next chip.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "core/app/command_router.h"
#include "core/device/job_table.h"
#include "core/operations/batch/batch_plan.h"
#include "core/operations/batch/batch_view.h"
#include "core/operations/op_context.h"

namespace tarnwick {

// The production record's file in the base directory.
inline constexpr const char* kBatchReportName = "batch-report.csv";

// What a batch step uses of the chip feature, handed in by the session.
struct BatchChipAccess {
  // Runs the chosen steps (erase, program, verify) on the chip.
  std::function<bool(bool erase, bool program, bool verify)> runSteps;
  // The quiet identification: 1 or 0 a chip answered, below 0 none.
  std::function<int()> identifyQuietly;
  // Asks the worker to run the batch step once it is idle, again when a
  // device change took its place, until `taken` says the step picked up its
  // request. False when `stillWanted` turned false first.
  std::function<bool(const std::function<bool()>& stillWanted, const std::function<bool()>& taken)>
      startStep;
};

// The steps a batch runs on each chip, in the order erase, program, verify.
struct BatchSteps {
  bool erase = false;
  bool program = false;
  bool verify = false;
};

class BatchRunner {
 public:
  // The production record goes to `reportPath` (the base directory's
  // "batch-report.csv" unless the command line names another).
  BatchRunner(OperationContext& ctx, BatchChipAccess chip, std::string reportPath);
  ~BatchRunner();
  BatchRunner(const BatchRunner&) = delete;
  BatchRunner& operator=(const BatchRunner&) = delete;

  void AddJobs(JobTable& jobs);
  // The batch button: opens the dialog (through the front end's opener)
  // when automatic identification is on, otherwise explains why not.
  void AddCommands(CommandRouter& router);
  void SetDialogOpener(std::function<void()> open) { openDialog_ = std::move(open); }

  // Before the first start; `view` outlives the runner or is reset to null.
  void SetView(BatchView* view);
  void SetReportPath(std::string path);
  // The command line's --steps; without it the batch-steps menu decides.
  void SetStepsOverride(std::optional<BatchSteps> steps);

  // From the dialog or the command line (never the worker). Start checks the
  // fields (the view focuses a failed one) and starts the first chip.
  void Start(batch::Fields fields);
  // Stops after the running step: a chip being programmed is finished, the
  // wait for the next chip ends at once.
  void Stop();
  void SetAutoStart(bool on);
  void SetCount(std::uint32_t count);

  bool Running() const { return running_.load(); }
  // Blocks until the batch stopped and its last step has left the worker.
  // `interrupted` is polled: when it turns true the batch is stopped.
  void WaitUntilIdle(const std::function<bool()>& interrupted = {});

  // Chips of the last batch: started, and ended with "done".
  int ChipsStarted() const { return started_.load(); }
  int ChipsDone() const { return done_.load(); }
  // The last batch could not append a line to its production record.
  bool ReportFailed() const { return reportFailed_.load(); }
  // The count field after the last advance.
  std::uint32_t Count() const { return count_.load(); }

  // The run ends: the batch stops and its thread leaves.
  void Shutdown();

 private:
  struct StepRequest {
    batch::StepLoad load = batch::StepLoad::LoadFile;
    std::string file;
    std::optional<std::uint32_t> id;
    batch::Mode mode = batch::Mode::Repeat;
    std::optional<BatchSteps> steps;  // the command line's choice
  };
  struct StepResult {
    int code = 0;
    StepRequest request;
    std::string checksum;
    std::string steps;
    double seconds = 0;
  };

  // Job 33 on the worker.
  bool Step();
  // The worker's wait for the chip to be taken out and the next put in;
  // false as soon as the batch stops.
  bool WaitNextChip();
  BatchSteps ChosenSteps(const StepRequest& request);
  void SetLamp(std::uint8_t value);

  // The batch thread and what is posted to it.
  void Post(std::function<void()> task);
  void Loop();
  void StartOnBatchThread(batch::Fields fields);
  void RequestStep(batch::StepLoad load);
  void OnResult(const StepResult& result);
  void StopOnBatchThread();
  void ShowProgress();
  void WriteReportLine(const BatchChipLine& line);

  OperationContext& ctx_;
  BatchChipAccess chip_;

  // Batch thread only.
  batch::Plan plan_;
  BatchView* view_ = nullptr;
  std::string reportPath_;
  std::optional<BatchSteps> stepsOverride_;

  std::function<void()> openDialog_;

  std::atomic<bool> running_{false};
  std::atomic<bool> stepBusy_{false};  // the worker runs a batch step
  std::atomic<int> started_{0};
  std::atomic<int> done_{0};
  std::atomic<bool> reportFailed_{false};
  std::atomic<std::uint32_t> count_{0};

  std::mutex stepMutex_;  // the hand-off slot of the next step
  std::optional<StepRequest> pendingStep_;

  std::mutex mutex_;
  std::condition_variable wake_;  // a task arrived, or the batch went idle
  std::deque<std::function<void()>> tasks_;
  bool exit_ = false;
  bool busy_ = false;  // the batch thread runs a task
  std::thread thread_;
};

}  // namespace tarnwick
