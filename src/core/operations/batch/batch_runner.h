// The batch feature: a series of chips, each run as one batch step (job 33)
// on the worker, with a thread of its own that only decides what comes next.
//
// Threads. The plan (fields, list, current file) belongs to the batch
// thread; the dialog and the command line reach it by posting (Start, Stop,
// SetCount, SetAutoStart). The worker's batch step takes its request from a
// locked hand-off slot and posts its result to the batch thread, tagged with
// the batch it belongs to. `running` is an atomic: the worker polls it while
// it waits for the next chip. A batch counts as ended only when its last
// step has left the worker: a start meanwhile waits for that on the batch
// thread, and the view hears "stopped" only then.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>

#include "core/app/command_router.h"
#include "core/device/job_table.h"
#include "core/operations/batch/batch_plan.h"
#include "core/operations/batch/batch_socket.h"
#include "core/operations/batch/batch_view.h"
#include "core/operations/op_context.h"

namespace tarnwick {

// The production record's file in the base directory.
inline constexpr const char* kBatchReportName = "batch-report.csv";

// What a batch step uses of the chip feature, handed in by the session.
struct BatchChipAccess {
  // Runs the chosen steps (erase, program, verify) on the chip.
  std::function<bool(bool erase, bool program, bool verify)> runSteps;
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
  // The command line's --allow-repeat-id: an ID the production record has
  // as done for the master is programmed again.
  void SetAllowRepeatId(bool allow);
  // The command line's --wait-timeout: the wait for the next chip gives up
  // after this many seconds (0: it waits until stopped).
  void SetWaitTimeout(int seconds) { waitTimeoutS_ = seconds; }

  // From the dialog or the command line (never the worker). Start checks the
  // fields (the view focuses a failed one) and starts the first chip; while
  // the step of a stopped batch still runs, the start waits for its end.
  void Start(batch::Fields fields);
  // Stops after the running step: a chip being programmed is finished,
  // counted and recorded, the wait for the next chip ends at once.
  void Stop();
  void SetAutoStart(bool on);
  void SetCount(std::uint32_t count);

  bool Running() const { return running_.load(); }
  // A batch step is on the worker (from its request until its end has
  // reached the batch thread).
  bool StepRunning() const { return stepBusy_.load(); }
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
  // How the last batch's wait for a chip ended, when not with a chip.
  BatchWaitEnd WaitEnd() const { return waitEnd_.load(); }

  // The run ends: the batch stops and its thread leaves.
  void Shutdown();

 private:
  struct StepRequest {
    std::uint64_t generation = 0;  // the batch it belongs to
    batch::StepLoad load = batch::StepLoad::LoadFile;
    std::string file;
    std::string recordName;  // what the production record names
    std::optional<std::uint32_t> id;
    batch::Mode mode = batch::Mode::Repeat;
    // Where each chip's data differs (modes Serial and Append).
    std::optional<std::uint32_t> fillAddress;
    std::optional<BatchSteps> steps;  // the command line's choice
  };
  struct StepResult {
    int code = 0;
    StepRequest request;
    std::string checksum;
    std::string steps;
    double seconds = 0;
    BatchWaitEnd waitEnd = BatchWaitEnd::None;
  };

  // Job 33 on the worker.
  bool Step();
  // The worker's wait for the chip marked (nothing: not marked) to be
  // replaced. True for a new chip; false when the batch stopped or the wait
  // ended otherwise (`end`).
  bool WaitNextChip(const std::optional<batch::ChipMark>& mark, BatchWaitEnd& end);
  // Shows why the wait ended on the status line.
  void ShowWaitEnd(BatchWaitEnd end);
  BatchSteps ChosenSteps(const StepRequest& request);
  void SetLamp(std::uint8_t value);

  // The batch thread and what is posted to it.
  // False when the thread has left (nothing posted runs).
  bool Post(std::function<void()> task);
  void Loop();
  void StartOnBatchThread(batch::Fields fields);
  // Refuses the plan's current ID when it is in the production record: the
  // view is told and the batch stops. True when the chip may go on.
  bool IdAllowed();
  void RequestStep(batch::StepLoad load);
  void OnResult(const StepResult& result);
  // The step's end has reached the batch thread: a waiting start goes on,
  // a stopped batch ends.
  void OnStepLeft();
  void StopOnBatchThread();
  // The batch stopped and no step of it is left: the view and the main
  // window's commands are given back.
  void EndIfIdle();
  void ShowProgress();
  void WriteReportLine(const BatchChipLine& line);

  OperationContext& ctx_;
  BatchChipAccess chip_;

  // Batch thread only.
  batch::Plan plan_;
  BatchView* view_ = nullptr;
  std::string reportPath_;
  std::optional<BatchSteps> stepsOverride_;
  bool allowRepeatId_ = false;
  std::uint64_t generation_ = 0;               // raised by every start
  std::optional<batch::Fields> waitingStart_;  // a start until the last step ended
  std::set<std::uint32_t> recordedIds_;        // mode Serial: the master's IDs done
  bool viewRunning_ = false;                   // the view and window show a batch

  std::function<void()> openDialog_;

  std::atomic<bool> running_{false};
  // A step was requested and its end has not yet reached the batch thread.
  std::atomic<bool> stepBusy_{false};
  std::atomic<int> started_{0};
  std::atomic<int> done_{0};
  std::atomic<bool> reportFailed_{false};
  std::atomic<std::uint32_t> count_{0};
  std::atomic<int> waitTimeoutS_{0};
  std::atomic<BatchWaitEnd> waitEnd_{BatchWaitEnd::None};

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
