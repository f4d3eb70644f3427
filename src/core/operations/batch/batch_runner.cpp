#include "core/operations/batch/batch_runner.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "core/app/settings.h"
#include "core/app/text_ids.h"
#include "core/buffers/file_image.h"
#include "core/buffers/image_texts.h"
#include "core/operations/op_support.h"
#include "protocol/protocol.h"
#include "resources/ids.h"

namespace tarnwick {

namespace {

namespace fs = std::filesystem;

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

// A CSV field: quoted when it holds a separator, a quote or a line end.
std::string CsvField(const std::string& value) {
  if (value.find_first_of(",\"\r\n") == std::string::npos) return value;
  std::string quoted = "\"";
  for (char c : value) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

}  // namespace

const char* BatchResultText(int result) {
  switch (result) {
    case batch::kResultDone:
      return "done";
    case batch::kResultNoFile:
      return "no file";
    case batch::kResultRefused:
      return "refused";
    case batch::kResultStepFailed:
      return "step failed";
    default:
      return "new chip";
  }
}

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
  jobs.Add({Job::BatchStep, [this] { return Step(); }, LampRule::OwnLamp});
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

void BatchRunner::Post(std::function<void()> task) {
  {
    std::lock_guard lock(mutex_);
    if (exit_) return;
    tasks_.push_back(std::move(task));
  }
  wake_.notify_all();
}

void BatchRunner::Loop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return exit_ || !tasks_.empty(); });
    if (exit_) return;
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
  const batch::Field problem = batch::Plan::CheckFields(fields);
  if (problem != batch::Field::None) {
    if (view_) view_->ShowFieldProblem(problem);
    return;
  }
  // A temporary file that cannot be made leaves the batch idle.
  if (!plan_.Start(std::move(fields))) return;
  // A new batch counts its chips from one.
  started_ = 0;
  done_ = 0;
  reportFailed_ = false;
  running_ = true;
  if (view_) view_->ShowRunning(true);
  ShowProgress();
  RequestStep(batch::StepLoad::LoadFile);
}

void BatchRunner::StopOnBatchThread() {
  running_ = false;
  if (view_) view_->ShowRunning(false);
}

void BatchRunner::ShowProgress() {
  count_ = plan_.fields().count;
  if (view_) view_->ShowProgress(plan_.fields().count, plan_.fields().selected);
}

void BatchRunner::RequestStep(batch::StepLoad load) {
  StepRequest request;
  request.load = load;
  request.file = plan_.currentFile();
  request.mode = plan_.fields().mode;
  if (request.mode == batch::Mode::Serial) request.id = plan_.currentId();
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
  if (result.code != batch::kResultNewChip) {
    // Every chip a step ran on goes into the record, also one that ended
    // after a stop.
    BatchChipLine line;
    line.chip = started_;
    line.time = LocalTimeStamp();
    line.mode = result.request.mode;
    line.file = result.request.file;
    line.id = result.request.id;
    line.checksum = result.checksum;
    line.steps = result.steps;
    line.result = result.code;
    line.seconds = result.seconds;
    if (result.code == batch::kResultDone) ++done_;
    WriteReportLine(line);
    if (view_) view_->ShowChipEnded(line);
  }
  if (!running_) return;
  switch (result.code) {
    case batch::kResultDone: {
      const bool more = plan_.Advance();
      ShowProgress();
      if (!more || !plan_.fields().autoStart) StopOnBatchThread();
      break;
    }
    case batch::kResultNewChip: {
      if (!plan_.fields().autoStart) {
        StopOnBatchThread();
        break;
      }
      // A short pause for the chip to settle in the socket; a stop ends it.
      {
        std::unique_lock lock(mutex_);
        wake_.wait_for(lock, std::chrono::milliseconds(200), [this] { return exit_ || !running_; });
      }
      if (running_) RequestStep(plan_.NextChipLoad());
      break;
    }
    default:
      StopOnBatchThread();
      break;
  }
}

void BatchRunner::WriteReportLine(const BatchChipLine& line) {
  std::error_code ec;
  const bool fresh = !fs::exists(reportPath_, ec) || fs::file_size(reportPath_, ec) == 0;
  std::FILE* f = std::fopen(reportPath_.c_str(), "ab");
  if (!f) {
    reportFailed_ = true;
    return;
  }
  std::string text;
  if (fresh) text += "chip,time,mode,file,id,checksum,steps,result,seconds\n";
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.1f", line.seconds);
  text += std::to_string(line.chip) + "," + line.time + "," + batch::ModeName(line.mode) + "," +
          CsvField(line.file) + "," + (line.id ? std::to_string(*line.id) : std::string()) + "," +
          line.checksum + "," + line.steps + "," + BatchResultText(line.result) + "," + seconds +
          "\n";
  const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  if (std::fclose(f) != 0 || !ok) reportFailed_ = true;
}

// ---- The worker ----------------------------------------------------------

BatchSteps BatchRunner::ChosenSteps(const StepRequest& request) {
  if (request.steps) return *request.steps;
  return {ctx_.settings.BatchEraseOn(), ctx_.settings.BatchProgramOn(),
          ctx_.settings.BatchVerifyOn()};
}

bool BatchRunner::Step() {
  struct Leave {
    BatchRunner& r;
    ~Leave() {
      r.stepBusy_ = false;
      r.wake_.notify_all();
    }
  } leave{*this};

  std::optional<StepRequest> taken;
  {
    std::lock_guard lock(stepMutex_);
    taken.swap(pendingStep_);
  }
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
    if (code != batch::kResultDone && code != batch::kResultNewChip) {
      SetLamp(protocol::kLampFailed);
    }
    result.code = code;
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    if (code != batch::kResultNewChip && ctx_.image.loaded()) {
      result.checksum = buffers::FormatChecksum(ctx_.image.fileSum());
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
  std::string text = ctx_.I(itext::kAutoDone);
  if (steps.erase) text += ctx_.I(itext::kAutoErased);
  if (steps.program) text += ctx_.I(itext::kAutoProgrammed);
  if (steps.verify) text += ctx_.I(itext::kAutoVerified);
  ui.ShowStatus(text + ctx_.I(itext::kAutoTime) + "," + MinSec(Elapsed(ctx_, start)));
  post(batch::kResultDone);
  ui.PlaySoundIfOn("sound/finishsound.wav");
  // The lamp tells the technician the chip may come out.
  SetLamp(protocol::kLampSucceeded);
  if (running_ && WaitNextChip()) {
    SetLamp(protocol::kLampNeutral);  // the new chip has no outcome yet
    post(batch::kResultNewChip);
  }
  return true;
}

void BatchRunner::SetLamp(std::uint8_t value) {
  Send(ctx_, protocol::CMD_STATUS_LAMP, 100, &value, 1);
}

bool BatchRunner::WaitNextChip() {
  auto chipIn = [this] { return chip_.identifyQuietly() >= 0; };
  while (running_ && chipIn()) {
  }
  if (!running_) return false;
  SleepMs(10);
  if (!running_) return false;
  chipIn();
  int inARow = 0;
  while (running_) {
    inARow = chipIn() ? inARow + 1 : 0;
    if (inARow >= 2) return true;
    SleepMs(10);
  }
  return false;
}

}  // namespace tarnwick
