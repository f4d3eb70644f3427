#include "core/operations/batch/batch_runner.h"

#include "core/operations/batch/batch_record.h"
#include "core/operations/batch/batch_texts.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "core/app/settings.h"
#include "core/app/text_ids.h"
#include "core/buffers/file_image.h"
#include "core/catalogue/chip_selection.h"
#include "core/buffers/image_texts.h"
#include "core/operations/command_sets.h"
#include "core/operations/op_support.h"
#include "protocol/protocol.h"
#include "resources/ids.h"

namespace tarnwick {

namespace {

namespace fs = std::filesystem;

// The wait for the next chip: the pause between two looks at the socket, and
// how many looks in a row without an answer mean the box stopped answering.
constexpr int kLookPauseMs = 10;
constexpr int kSilentLooksToGiveUp = 3;

std::string LocalTimeStamp() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[40];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S%z", &local);
  return text;
}

std::string StepsText(const BatchSteps& s) {
  std::string text;
  auto add = [&text](bool on, const char* name) {
    if (!on) return;
    if (!text.empty()) text += '+';
    text += name;
  };
  add(s.erase, "erase");
  add(s.program, "program");
  add(s.verify, "verify");
  return text;
}

}  // namespace

BatchRunner::BatchRunner(OperationContext& ctx, BatchChipAccess chip, std::string reportPath)
    : ctx_(ctx), chip_(std::move(chip)), reportPath_(std::move(reportPath)) {
  thread_ = std::thread([this] { Loop(); });
}

BatchRunner::~BatchRunner() { Shutdown(); }

void BatchRunner::Shutdown() {
  running_ = false;
  {
    std::lock_guard lock(mutex_);
    if (exit_ && !thread_.joinable()) return;
    exit_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

void BatchRunner::AddJobs(JobTable& jobs) {
  // A chip of the series is being written: the close asks first.
  jobs.Add({Job::BatchStep, [this] { return Step(); }, LampRule::OwnLamp, 0, 0, nullptr, false,
            CloseRule{itext::kCloseWhileProgramming}});
}

void BatchRunner::AddCommands(CommandRouter& router) {
  router.Register(ids::kBatchButton, [this] {
    // The batch waits for chips through the identification: it needs it on.
    if (!ctx_.ui.AutoDetectOn()) {
      ctx_.ui.Box(ctx_.I(itext::kBatchNeedsAutoIdentify), BoxIcon::Information);
      return;
    }
    if (openDialog_) openDialog_();
  });
}

void BatchRunner::SetView(BatchView* view) {
  Post([this, view] { view_ = view; });
}

void BatchRunner::SetReportPath(std::string path) {
  Post([this, path = std::move(path)] { reportPath_ = path; });
}

void BatchRunner::SetStepsOverride(std::optional<BatchSteps> steps) {
  Post([this, steps] { stepsOverride_ = steps; });
}

void BatchRunner::SetAllowRepeatId(bool allow) {
  Post([this, allow] { allowRepeatId_ = allow; });
}

void BatchRunner::Start(batch::Fields fields) {
  Post([this, f = std::move(fields)]() mutable { StartOnBatchThread(std::move(f)); });
}

void BatchRunner::Stop() {
  running_ = false;  // the worker's wait for the next chip ends at once
  Post([this] { StopOnBatchThread(); });
}

void BatchRunner::SetAutoStart(bool on) {
  Post([this, on] { plan_.SetAutoStart(on); });
}

void BatchRunner::SetCount(std::uint32_t count) {
  Post([this, count] {
    plan_.SetCount(count);
    count_ = count;
  });
}

void BatchRunner::WaitUntilIdle(const std::function<bool()>& interrupted) {
  std::unique_lock lock(mutex_);
  for (;;) {
    if (interrupted && interrupted() && running_) {
      lock.unlock();
      Stop();
      lock.lock();
    }
    if (!running_ && !stepBusy_ && tasks_.empty() && !busy_) return;
    wake_.wait_for(lock, std::chrono::milliseconds(20));
  }
}

// ---- The batch thread ----------------------------------------------------

bool BatchRunner::Post(std::function<void()> task) {
  {
    std::lock_guard lock(mutex_);
    if (exit_) return false;
    tasks_.push_back(std::move(task));
  }
  wake_.notify_all();
  return true;
}

void BatchRunner::Loop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return exit_ || !tasks_.empty(); });
    if (exit_) {
      plan_.RemoveTemporaries();
      return;
    }
    std::function<void()> task = std::move(tasks_.front());
    tasks_.pop_front();
    busy_ = true;
    lock.unlock();
    task();
    lock.lock();
    busy_ = false;
    wake_.notify_all();
  }
}

void BatchRunner::StartOnBatchThread(batch::Fields fields) {
  if (running_) return;
  if (stepBusy_) {
    // The chip of the batch just stopped is still in work: its result
    // belongs to that batch. This start goes on once the step has ended.
    waitingStart_ = std::move(fields);
    return;
  }
  batch::Field problem = batch::Plan::CheckFields(fields);
  if (problem == batch::Field::None) {
    problem = batch::Plan::CheckAgainstChip(fields, ctx_.selection.ChipSize());
  }
  if (problem != batch::Field::None) {
    if (view_) view_->ShowFieldProblem(problem);
    return;
  }
  // The first ID is looked up before its data file is made.
  recordedIds_.clear();
  if (fields.mode == batch::Mode::Serial && !allowRepeatId_) {
    recordedIds_ = batch::RecordedIds(
        reportPath_, batch::DescribeMaster(fields.masterFile, fields.fillAddress, fields.idLength));
    if (recordedIds_.count(fields.count) != 0) {
      if (view_) view_->ShowFieldProblem(batch::Field::IdRecorded);
      return;
    }
  }
  // A temporary file that cannot be made leaves the batch idle.
  if (!plan_.Start(std::move(fields))) return;
  ++generation_;
  // A new batch counts its chips from one.
  started_ = 0;
  done_ = 0;
  reportFailed_ = false;
  waitEnd_ = BatchWaitEnd::None;
  ShowProgress();
  running_ = true;
  viewRunning_ = true;
  DisableAll(ctx_, command_sets::kBatchButtons);
  DisableAll(ctx_, command_sets::kBoxMenus);
  if (view_) view_->ShowRunning(true);
  RequestStep(batch::StepLoad::LoadFile);
}

bool BatchRunner::IdAllowed() {
  if (plan_.fields().mode != batch::Mode::Serial || allowRepeatId_) return true;
  if (recordedIds_.count(plan_.currentId()) == 0) return true;
  if (view_) view_->ShowFieldProblem(batch::Field::IdRecorded);
  StopOnBatchThread();
  return false;
}

void BatchRunner::StopOnBatchThread() {
  running_ = false;
  // A stop means no batch at all, also not one that waited to start.
  waitingStart_.reset();
  EndIfIdle();
}

void BatchRunner::EndIfIdle() {
  if (running_ || stepBusy_ || !viewRunning_) return;
  viewRunning_ = false;
  // No step reads them any more.
  plan_.RemoveTemporaries();
  EnableAll(ctx_, command_sets::kBatchButtons);
  EnableAll(ctx_, command_sets::kBoxMenus);
  if (view_) view_->ShowRunning(false);
}

void BatchRunner::OnStepLeft() {
  stepBusy_ = false;
  wake_.notify_all();
  if (waitingStart_) {
    EndIfIdle();
    batch::Fields fields = std::move(*waitingStart_);
    waitingStart_.reset();
    StartOnBatchThread(std::move(fields));
    return;
  }
  EndIfIdle();
}

void BatchRunner::ShowProgress() {
  count_ = plan_.fields().count;
  if (view_) view_->ShowProgress(plan_.fields().count, plan_.fields().selected);
}

void BatchRunner::RequestStep(batch::StepLoad load) {
  StepRequest request;
  request.generation = generation_;
  request.load = load;
  request.file = plan_.currentFile();
  request.recordName = plan_.recordName();
  request.mode = plan_.fields().mode;
  if (request.mode == batch::Mode::Serial) request.id = plan_.currentId();
  if (request.mode == batch::Mode::Serial || request.mode == batch::Mode::Append) {
    request.fillAddress = plan_.fields().fillAddress;
  }
  request.steps = stepsOverride_;
  {
    std::lock_guard lock(stepMutex_);
    pendingStep_ = std::move(request);
  }
  ++started_;
  stepBusy_ = true;  // from now until the worker's step has left
  const bool started = chip_.startStep([this] { return running_.load(); },
                                       [this] {
                                         std::lock_guard lock(stepMutex_);
                                         return !pendingStep_.has_value();
                                       });
  if (!started) {
    std::lock_guard lock(stepMutex_);
    if (pendingStep_) {
      pendingStep_.reset();
      --started_;
      stepBusy_ = false;
      wake_.notify_all();
    }
  }
}

void BatchRunner::OnResult(const StepResult& result) {
  const bool ours = result.request.generation == generation_;
  if (result.code != batch::kResultNewChip && result.code != batch::kResultWaitEnded) {
    // Every chip a step ran on goes into the record, also one that ended
    // after a stop.
    BatchChipLine line;
    line.chip = started_;
    line.time = LocalTimeStamp();
    line.mode = result.request.mode;
    line.file = result.request.recordName;
    line.id = result.request.id;
    line.checksum = result.checksum;
    line.steps = result.steps;
    line.result = result.code;
    line.seconds = result.seconds;
    if (result.code == batch::kResultDone) {
      ++done_;
      if (line.id) recordedIds_.insert(*line.id);
    }
    WriteReportLine(line);
    if (view_) view_->ShowChipEnded(line);
  }
  if (!ours) return;
  switch (result.code) {
    case batch::kResultDone: {
      // The chip is done even when the batch was stopped meanwhile: the
      // plan moves on, so the next start does not give its ID again.
      const bool more = plan_.Advance();
      ShowProgress();
      if (!running_) break;
      if (plan_.idsUsedUp()) {
        if (view_) view_->ShowFieldProblem(batch::Field::IdTooLarge);
        StopOnBatchThread();
      } else if (!more || !plan_.fields().autoStart) {
        StopOnBatchThread();
      } else {
        IdAllowed();
      }
      break;
    }
    case batch::kResultNewChip: {
      if (!running_) break;
      if (!plan_.fields().autoStart) {
        StopOnBatchThread();
        break;
      }
      // A short pause for the chip to settle in the socket; a stop ends it.
      {
        std::unique_lock lock(mutex_);
        wake_.wait_for(lock, std::chrono::milliseconds(200), [this] { return exit_ || !running_; });
      }
      // The count may have been edited meanwhile.
      if (running_ && IdAllowed()) RequestStep(plan_.NextChipLoad());
      break;
    }
    case batch::kResultWaitEnded:
      waitEnd_ = result.waitEnd;
      StopOnBatchThread();
      break;
    default:
      StopOnBatchThread();
      break;
  }
}

void BatchRunner::WriteReportLine(const BatchChipLine& line) {
  if (!batch::AppendRecordLine(reportPath_, line)) reportFailed_ = true;
}

// ---- The worker ----------------------------------------------------------

BatchSteps BatchRunner::ChosenSteps(const StepRequest& request) {
  if (request.steps) return *request.steps;
  return {ctx_.settings.BatchEraseOn(), ctx_.settings.BatchProgramOn(),
          ctx_.settings.BatchVerifyOn()};
}

bool BatchRunner::Step() {
  // A step that took a request tells the batch thread it has ended, after
  // its result, so the batch thread sees that first.
  struct Leave {
    BatchRunner& r;
    bool tookRequest = false;
    ~Leave() {
      if (!tookRequest) return;
      if (!r.Post([&r = r] { r.OnStepLeft(); })) {
        r.stepBusy_ = false;
        r.wake_.notify_all();
      }
    }
  } leave{*this};

  std::optional<StepRequest> taken;
  {
    std::lock_guard lock(stepMutex_);
    taken.swap(pendingStep_);
  }
  leave.tookRequest = taken.has_value();
  if (!taken || !running_) {
    // Not started by a batch, or stopped before the chip was touched.
    if (taken) --started_;
    SetLamp(protocol::kLampNeutral);
    return false;
  }
  const auto began = std::chrono::steady_clock::now();
  StepResult result;
  result.request = *taken;
  const BatchSteps steps = ChosenSteps(*taken);
  result.steps = StepsText(steps);
  auto post = [&](int code) {
    if (code != batch::kResultDone && code != batch::kResultNewChip &&
        code != batch::kResultWaitEnded) {
      SetLamp(protocol::kLampFailed);
    }
    result.code = code;
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    if (code == batch::kResultDone || code == batch::kResultNoFile ||
        code == batch::kResultRefused || code == batch::kResultStepFailed) {
      if (ctx_.image.loaded()) result.checksum = buffers::FormatChecksum(ctx_.image.fileSum());
    }
    Post([this, r = result] { OnResult(r); });
  };

  WindowServices& ui = ctx_.ui;
  if (taken->load == batch::StepLoad::LoadFile) {
    std::error_code ec;
    if (!fs::is_regular_file(taken->file, ec) ||
        ctx_.image.LoadFile(taken->file, buffers::LoadOrigin::Program) !=
            buffers::LoadResult::Loaded) {
      post(batch::kResultNoFile);
      return false;
    }
  }
  ui.ClearLogPane();
  if (RefusedByBox(ctx_)) {
    post(batch::kResultRefused);
    return false;
  }
  if (ImageMissing(ctx_)) {
    post(batch::kResultNoFile);
    return false;
  }
  ui.AppendLog(ctx_.image.fileName() + " " + ctx_.image.sizeText());
  const int start = TimeOfDaySeconds(ctx_);
  if (!chip_.runSteps(steps.erase, steps.program, steps.verify)) {
    post(batch::kResultStepFailed);
    return false;
  }
  // Marked before the lamp tells the technician to take the chip out.
  const std::optional<batch::ChipMark> mark =
      batch::MarkChip(ctx_, batch::MarkAddresses(ctx_, taken->fillAddress));
  // The steps gave their buttons back; the batch holds the worker on.
  DisableAll(ctx_, command_sets::kBatchButtons);
  DisableAll(ctx_, command_sets::kBoxMenus);
  std::string text = ctx_.I(itext::kAutoDone);
  if (steps.erase) text += ctx_.I(itext::kAutoErased);
  if (steps.program) text += ctx_.I(itext::kAutoProgrammed);
  if (steps.verify) text += ctx_.I(itext::kAutoVerified);
  ui.ShowStatus(text + ctx_.I(itext::kAutoTime) + "," + MinSec(Elapsed(ctx_, start)));
  post(batch::kResultDone);
  ui.PlaySoundIfOn("sound/finishsound.wav");
  // The lamp tells the technician the chip may come out.
  SetLamp(protocol::kLampSucceeded);
  if (!running_) return true;
  BatchWaitEnd end = BatchWaitEnd::None;
  if (WaitNextChip(mark, end)) {
    SetLamp(protocol::kLampNeutral);  // the new chip has no outcome yet
    post(batch::kResultNewChip);
  } else if (end != BatchWaitEnd::None) {
    ShowWaitEnd(end);
    result.waitEnd = end;
    post(batch::kResultWaitEnded);
  }
  return true;
}

void BatchRunner::SetLamp(std::uint8_t value) {
  Send(ctx_, protocol::CMD_STATUS_LAMP, 100, &value, 1);
}

void BatchRunner::ShowWaitEnd(BatchWaitEnd end) {
  switch (end) {
    case BatchWaitEnd::TimedOut:
      ctx_.ui.ShowStatus(batch::NoNewChipText(waitTimeoutS_.load()), true, true);
      break;
    case BatchWaitEnd::BoxGone:
      ctx_.ui.ShowStatus(ctx_.I(itext::kBoxNotFound), true, true);
      break;
    case BatchWaitEnd::BoxNotAnswering:
      ctx_.ui.ShowStatus(ctx_.I(itext::kBoxNotAnswering), true, true);
      break;
    case BatchWaitEnd::BoxRefused:
      ctx_.detection.refusal = true;
      ctx_.ui.ShowStatus(ctx_.I(itext::kBoxRefused), true, true);
      break;
    case BatchWaitEnd::None:
      break;
  }
}

bool BatchRunner::WaitNextChip(const std::optional<batch::ChipMark>& mark, BatchWaitEnd& end) {
  using Clock = std::chrono::steady_clock;
  // One line for the whole wait, however long it takes.
  ctx_.ui.ShowStatus(batch::kWaitingText);
  const int timeoutS = waitTimeoutS_.load();
  const auto deadline = Clock::now() + std::chrono::seconds(timeoutS);
  // Without a mark the chip just done cannot be told from a new one: the
  // socket has to be seen empty first.
  const batch::ChipMark unmarked{};
  bool sawEmpty = !mark;
  int silentLooks = 0;
  std::optional<std::uint32_t> lastNew;  // the ID of the last look at a new chip
  while (running_) {
    std::uint32_t id = 0;
    const batch::SocketState state = batch::LookAtSocket(ctx_, mark ? *mark : unmarked, id);
    bool isNew = false;
    switch (state) {
      case batch::SocketState::NoBox:
        end = BatchWaitEnd::BoxGone;
        return false;
      case batch::SocketState::BoxRefused:
        end = BatchWaitEnd::BoxRefused;
        return false;
      case batch::SocketState::NoAnswer:
        // A single lost answer is not yet a box that stopped answering.
        if (++silentLooks >= kSilentLooksToGiveUp) {
          end = BatchWaitEnd::BoxNotAnswering;
          return false;
        }
        break;
      case batch::SocketState::Empty:
        sawEmpty = true;
        break;
      case batch::SocketState::SameChip:
        isNew = sawEmpty;
        break;
      case batch::SocketState::OtherChip:
        isNew = mark.has_value() || sawEmpty;
        break;
    }
    if (state != batch::SocketState::NoAnswer) silentLooks = 0;
    // A new chip counts once it answers the same twice in a row: it is
    // seated, not being pushed in.
    if (isNew && lastNew == id) return true;
    lastNew = isNew ? std::optional<std::uint32_t>(id) : std::nullopt;
    if (timeoutS > 0 && Clock::now() >= deadline) {
      end = BatchWaitEnd::TimedOut;
      return false;
    }
    SleepMs(kLookPauseMs);
  }
  return false;
}

}  // namespace tarnwick
