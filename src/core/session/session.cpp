#include "core/session/session.h"

#include <cstdio>
#include <filesystem>
#include <utility>

#include "core/app/settings_report.h"
#include "core/app/text_ids.h"
#include "core/buffers/image_commands.h"
#include "core/catalogue/catalogue_report.h"
#include "core/device/parameter_build.h"
#include "core/operations/chip/chip_jobs.h"
#include "core/operations/chip/detection.h"
#include "core/operations/command_sets.h"
#include "core/operations/data_view/data_view.h"
#include "core/operations/op_support.h"
#include "core/session/session_impl.h"
#include "protocol/protocol.h"
#include "resources/ids.h"

namespace tarnwick {

namespace fs = std::filesystem;

Session::Impl::Impl(Options opts, WindowSurface& s, UsbApi& u)
    : OperationParts(
          opts.layout, s, u,
          WorkerHooks{[this](std::uint8_t) {
                        image.SetBusy(true);
                        updateCheck.JobStarted();
                      },
                      [this](std::uint8_t code, bool outcome) {
                        image.SetBusy(false);
                        updateCheck.JobEnded();
                        surface.HexViewChanged();
                        outcomes[code] = outcome ? 1 : 0;
                      },
                      [this](std::uint8_t v) { SetLamp(v); }, [this] { return link.IsOpen(); },
                      [this] { channel.SendCommand(protocol::CMD_IDLE, 1000); }},
          [this] { LogLoadedFile(); }),
      options(std::move(opts)),
      hexView(image, services),
      chip(ctx),
      batch(ctx, BatchAccess(), layout.stateDir + kBatchReportName),
      otp(ctx, launcher),
      firmware(ctx, launcher),
      chipFill(ctx, launcher, image.workDir()),
      finder(ctx, worker, launcher),
      updateCheck(worker, link, channel, surface, layout.configDir) {
  for (auto& o : outcomes) o = -1;
  selection.SetParameterBuilder(
      [this](const ChipRecord& record, bool adapter) { BuildChipParameters(record, adapter); });
  selection.SetAfterApply([this](const AppliedSelection& a) { OnChipApplied(a); });
  // Save first takes over a cell that is still being typed.
  image.SetPendingEditCommitter([this] { hexView.CommitCellEdit(); });
  hexView.SetupHexView();
  firmware.SetSimulatedBoxTable(options.simulatedBootTable);
  Wire();
}

// Every feature contributes its jobs and its commands here, and nowhere else.
void Session::Impl::Wire() {
  chip.AddJobs(jobs);
  chip.AddCommands(commands, launcher);
  settings.AddCommands(commands);
  buffers::AddImageCommands(commands, image, hexView, surface);
  batch.AddJobs(jobs);
  batch.AddCommands(commands);
  otp.AddJobs(jobs);
  otp.AddCommands(commands);
  firmware.AddJobs(jobs);
  firmware.AddCommands(commands);
  chipFill.AddJobs(jobs);
  chipFill.AddCommands(commands);
  finder.AddJobs(jobs);
  finder.AddCommands(commands);
  updateCheck.AddCommands(commands);
}

BatchChipAccess Session::Impl::BatchAccess() {
  return BatchChipAccess{
      [this](bool erase, bool program, bool verify) {
        return RunChipSteps(ctx, chip.state(), ChipSteps{erase, program, verify});
      },
      [this](const std::function<bool()>& wanted, const std::function<bool()>& taken) {
        return StartBatchStep(wanted, taken);
      }};
}

bool Session::Impl::StartBatchStep(const std::function<bool()>& wanted,
                                   const std::function<bool()>& taken) {
  auto idle = [this] { return worker.AtRest(); };
  for (;;) {
    while (!idle()) {
      if (!wanted() || ended) return false;
      SleepMs(1);
    }
    if (!wanted() || ended) return false;
    if (!worker.Running()) {
      worker.Start(Job::BatchStep);
    } else {
      worker.StartJob(Job::BatchStep);
    }
    // The step takes its request at once; a device change may have taken
    // its place, and then the worker is idle again without it.
    for (;;) {
      if (taken()) return true;
      if (idle()) break;
      if (ended) return false;
      SleepMs(1);
    }
    if (taken()) return true;
  }
}

void Session::Impl::OnChipApplied(const AppliedSelection& applied) {
  image.SetChip(selection.ModelText(), applied.chipSize);
  surface.HexViewChanged();
  // Without a selected record no chip operation can be set up.
  const bool any = applied.record != kNoRecord && applied.chipSize > 0;
  for (int id : command_sets::kChipOperations) surface.SetCommandEnabled(id, any);
}

void Session::Impl::BuildChipParameters(const ChipRecord& record, bool adapter) {
  std::lock_guard lock(pendingMutex);
  if (worker.OnWorkerThread()) {
    pendingParameters.reset();  // what the worker builds now is newer
    BuildParameters(record, adapter, frame);
  } else {
    pendingParameters.emplace(record, adapter);
  }
}

void Session::Impl::ApplyPendingParameters() {
  std::lock_guard lock(pendingMutex);
  if (!pendingParameters) return;
  BuildParameters(pendingParameters->first, pendingParameters->second, frame);
  pendingParameters.reset();
}

void Session::Impl::SetLamp(std::uint8_t value) {
  // Every job starts and ends with the lamp: the frame is brought up to
  // the window's choice before anything else is sent.
  ApplyPendingParameters();
  if (link.CheckLink(false) == kLinkUnusable) return;
  channel.SendCommand(protocol::CMD_STATUS_LAMP, 100, &value, 1);
}

void Session::Impl::LogLoadedFile() {
  if (image.loaded()) services.AppendLog(image.fileName() + " " + image.sizeText());
}

void Session::Impl::LoadCatalogueAtStart() {
  const std::string& path = layout.catalogueFile;
  // The portable folder's catalogue must be writable; the installed one is
  // the package's, read in place.
  std::FILE* f = std::fopen(path.c_str(), layout.installed ? "rb" : "r+b");
  if (!f) {
    services.Box(texts.itext(itext::kCatalogueCannotOpen), texts.itext(itext::kWarningCaption),
                 BoxIcon::Warning);
    selection.ApplySelection();
    return;
  }
  std::fclose(f);
  catalogue.LoadCatalogue(path, [this](const std::string& text, const std::string& caption,
                                       BoxIcon icon) { services.Box(text, caption, icon); });
  const std::string refused = FormatRefusalLog(catalogue.Report());
  if (!refused.empty()) services.AppendLog(refused);
  ReportCatalogueLoad(catalogue, path, services);
  selection.Initialise();
}

bool Session::Impl::HandleLoad(buffers::LoadResult result) {
  if (result == buffers::LoadResult::OffsetProgramming && openOffsetDialog) {
    openOffsetDialog(image.lastLoadRequest());
  }
  if (result == buffers::LoadResult::Loaded) surface.HexViewChanged();
  return result == buffers::LoadResult::Loaded;
}

// ---- Session ------------------------------------------------------------------

Session::Session(Options options, WindowSurface& surface, UsbApi& usb)
    : impl_(std::make_unique<Impl>(std::move(options), surface, usb)) {}

Session::~Session() {
  // No hot-plug notification may reach a session that is going away.
  impl_->usb.SetDeviceChangeHandler({});
  Exit();
}

TextTable& Session::texts() { return impl_->texts; }
const std::string& Session::baseDir() const { return impl_->layout.configDir; }
const DataLayout& Session::layout() const { return impl_->layout; }
WindowServices& Session::services() { return impl_->services; }
const Catalogue& Session::catalogue() const { return impl_->catalogue; }
ChipSelection& Session::selection() { return impl_->selection; }
buffers::FileImage& Session::image() { return impl_->image; }
buffers::HexView& Session::hexView() { return impl_->hexView; }
const Worker& Session::worker() const { return impl_->worker; }
const DetectionState& Session::detection() const { return impl_->detection; }
const JobTable& Session::jobs() const { return impl_->jobs; }
const CommandRouter& Session::commands() const { return impl_->commands; }
BatchRunner& Session::batch() { return impl_->batch; }
OtpProgrammer& Session::otp() { return impl_->otp; }

void Session::SetOtpDialogOpener(std::function<void()> open) {
  impl_->otp.SetDialogOpener(std::move(open));
}

FirmwareUpdater& Session::firmware() { return impl_->firmware; }
ChipFiller& Session::chipFill() { return impl_->chipFill; }
ImageFinder& Session::finder() { return impl_->finder; }

void Session::SetFindDialogOpener(std::function<void()> open) {
  impl_->finder.SetDialogOpener(std::move(open));
}

DataViewResult Session::ViewData(const std::string& addressText) {
  Impl& d = *impl_;
  // The link is borrowed from the resting worker, so neither a job nor the
  // update check talks to the box meanwhile.
  while (!d.worker.TryHoldLink()) {
    // A worker that left never rests again: an ending session reads nothing.
    if (d.ended || d.worker.Finished()) return DataViewResult{};
    SleepMs(1);
  }
  if (d.ended) {
    d.worker.ReleaseLink();
    return DataViewResult{};
  }
  DataViewResult r = tarnwick::ViewData(d.ctx, addressText);
  d.worker.ReleaseLink();
  return r;
}

bool Session::StartViewData(const std::string& addressText,
                            std::function<void(const DataViewResult&)> done) {
  Impl& d = *impl_;
  if (d.ended || d.dataViewRunning.load()) return false;
  d.JoinDataView();  // the last one has ended: this returns at once
  {
    std::lock_guard lock(d.dataViewMutex);
    d.dataViewRunning = true;
  }
  d.dataViewThread = std::thread([this, addressText, done = std::move(done)] {
    const DataViewResult r = ViewData(addressText);
    bool deferred = false;
    {
      // Done before the report: what the report sets off may start the next.
      std::lock_guard lock(impl_->dataViewMutex);
      impl_->dataViewRunning = false;
      deferred = std::exchange(impl_->deviceChangeDeferred, false);
    }
    if (deferred) impl_->worker.DeviceChanged();
    if (done) done(r);
  });
  return true;
}

bool Session::ViewDataRunning() const { return impl_->dataViewRunning.load(); }

void Session::Impl::JoinDataView() {
  if (dataViewThread.joinable()) dataViewThread.join();
}

update::UpdateChecker& Session::updateCheck() { return impl_->updateCheck; }

void Session::SetChipFillDialogOpener(std::function<void()> open) {
  impl_->chipFill.SetDialogOpener(std::move(open));
}

void Session::SetFirmwareDialogOpener(std::function<void()> open) {
  impl_->firmware.SetDialogOpener(std::move(open));
}

void Session::SetBatchDialogOpener(std::function<void()> open) {
  impl_->batch.SetDialogOpener(std::move(open));
}

void Session::LoadTexts() {
  Impl& d = *impl_;
  auto onError = [&d](const std::string& msg) {
    d.surface.Ask(msg, "", BoxIcon::Error, BoxButtons::Ok);
  };
  d.texts.LoadFtext(d.layout.ftextFile, onError);
  d.texts.LoadItext(d.layout.itextFile, onError);
}

void Session::Start() {
  Impl& d = *impl_;
  if (d.started) return;
  d.started = true;
  d.StartParts();
  ReportSettingsLoad(d.settings, d.services);
  d.LoadCatalogueAtStart();
  d.usb.SetDeviceChangeHandler([this] { OnDeviceChange(); });
  if (d.options.startWorker) d.worker.Start(Job::DetectQuiet);
}

bool Session::OnCommand(int id) { return impl_->commands.Dispatch(id); }

void Session::OnListChanged(int listId, int index, const std::string& text) {
  impl_->selection.OnUserChoice(listId, index, text);
}

void Session::SetOffsetDialogOpener(std::function<void(const std::string&)> open) {
  impl_->openOffsetDialog = std::move(open);
}

bool Session::LoadUserFile(const std::string& path) {
  return impl_->HandleLoad(impl_->image.LoadFile(path, buffers::LoadOrigin::UserChosen));
}

void Session::OnFileDropped(const std::string& path) {
  Impl& d = *impl_;
  d.HandleLoad(d.image.OnFileDropped(path));
}

void Session::OnDeviceChange() {
  {
    std::lock_guard lock(impl_->dataViewMutex);
    if (impl_->dataViewRunning.load()) {
      impl_->deviceChangeDeferred = true;
      return;
    }
  }
  impl_->worker.DeviceChanged();
}

bool Session::BeginClose() {
  Impl& d = *impl_;
  if (d.ended) return true;
  if (CloseMustWait()) return false;
  // One question, whatever the running job goes on to do while it is shown:
  // the answer stops the step that runs then.
  const int question = CloseQuestion();
  if (question != 0 &&
      d.services.Box(d.ctx.I(question), BoxIcon::Question, BoxButtons::OkCancel) != BoxAnswer::Ok) {
    return false;
  }
  d.chip.StopForClose();
  BeginExit();
  return true;
}

bool Session::CloseMustWait() const {
  const Impl& d = *impl_;
  if (d.firmware.UpgradeRunning()) return true;
  const JobRow* row = d.jobs.Find(d.worker.JobCode());
  return row != nullptr && row->close.waitForEnd;
}

int Session::CloseQuestion() const {
  const Impl& d = *impl_;
  if (const int step = d.chip.BusyStepQuestion(); step != 0) return step;
  const JobRow* row = d.jobs.Find(d.worker.JobCode());
  if (row != nullptr && row->close.question != 0) return row->close.question;
  // A batch between two steps still runs a production series.
  if (d.batch.Running()) return itext::kCloseWhileProgramming;
  return 0;
}

bool Session::WorkerGone() const {
  return impl_->worker.Finished() && !impl_->dataViewRunning.load() &&
         !impl_->updateCheck.UsingLink();
}

void Session::FinishClose() {
  Impl& d = *impl_;
  if (d.closed) return;
  d.closed = true;
  d.JoinDataView();
  // The worker has left: releasing the device now never pulls the handle
  // from under a transfer.
  d.worker.Exit();
  if (d.link.IsOpen()) d.link.CloseLink();
  if (d.image.loaded()) d.image.Close();
  std::error_code ec;
  const fs::path temp = fs::path(d.image.tempDir());
  fs::remove(temp / "tempFile.bin", ec);
  fs::remove(temp, ec);  // only when empty
}

bool Session::CloseRequested() {
  if (!BeginClose()) return false;
  impl_->worker.Exit();
  FinishClose();
  return true;
}

void Session::BeginExit() {
  Impl& d = *impl_;
  d.ended = true;
  d.updateCheck.End();
  d.batch.Stop();
  d.chip.CancelAll();
  d.worker.RequestExit();
}

void Session::Exit() {
  BeginExit();
  impl_->worker.Exit();
  impl_->JoinDataView();
  impl_->batch.Shutdown();
}

bool Session::RunJobAndWait(Job job) {
  Impl& d = *impl_;
  auto waitIdle = [&d] {
    while (!d.worker.AtRest()) SleepMs(1);
  };
  d.launcher.LogFileFirst(job);
  std::atomic<int>& outcome = d.outcomes[JobByte(job)];
  outcome = -1;
  if (!d.worker.Running()) {
    d.worker.Start(job);
  } else {
    // A request made while a job runs is dropped, not queued: let the running
    // job (the start-up or hot-plug detection, say) finish first.
    waitIdle();
    d.worker.StartJob(job);
  }
  // The worker may not have picked the job up yet: wait until it ran.
  waitIdle();
  // -1: the job never ran (a device change took its place).
  return outcome.load() == 1;
}

int Session::LastDetectResult() const { return impl_->chip.LastDetectResult(); }

}  // namespace tarnwick
