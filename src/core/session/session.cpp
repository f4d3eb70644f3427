#include "core/session/session.h"

#include <cstdio>
#include <filesystem>

#include "core/catalogue/parameter_build.h"
#include "core/operations/chip_operations.h"
#include "core/operations/detection.h"
#include "core/operations/op_support.h"
#include "core/session/session_impl.h"
#include "protocol/protocol.h"
#include "resources/ids.h"

namespace tarnwick {

namespace fs = std::filesystem;

Session::Impl::Impl(Options opts, WindowSurface& s, UsbApi& u)
    : options(std::move(opts)),
      surface(s),
      usb(u),
      services(surface, texts),
      settings(surface, options.baseDir),
      worker(WorkerHooks{[this](std::uint8_t code) { return RunJob(code); },
                         [this](std::uint8_t v) { SetLamp(v); }, [this] { return link.IsOpen(); },
                         [this] { channel.SendCommand(protocol::CMD_IDLE, 1000); }}),
      link(usb, services, flags.refusal, worker.DeviceChangeFlag()),
      channel(link, frame),
      selection(catalogue, surface, frame),
      image(services, options.baseDir),
      hexView(image, services),
      ctx{services,  link,  frame,    channel, selection,
          catalogue, image, settings, flags,   [this] { return worker.JobCode(); }} {
  services.SetBaseDir(options.baseDir);
  selection.SetAfterApply([this](const AppliedSelection& a) { OnChipApplied(a); });
  // Save first takes over a cell that is still being typed.
  image.SetPendingEditCommitter([this] { hexView.CommitCellEdit(); });
  hexView.SetupHexView();
}

void Session::Impl::OnChipApplied(const AppliedSelection& applied) {
  image.SetChip(ctx.selection.ModelText(), applied.chipSize);
  surface.HexViewChanged();
  // Without a selected record no chip operation can be set up.
  const bool any = applied.record != kNoRecord;
  for (int id : {ids::kAutoProgramButton, ids::kEraseButton, ids::kProgramButton,
                 ids::kVerifyButton, ids::kReadButton, ids::kBlankCheckButton}) {
    surface.SetCommandEnabled(id, any);
  }
}

void Session::Impl::SetLamp(std::uint8_t value) {
  if (link.CheckLink(false) == kLinkUnusable) return;
  channel.SendCommand(protocol::CMD_STATUS_LAMP, 100, &value, 1);
}

std::optional<bool> Session::Impl::RunJob(std::uint8_t code) {
  image.SetBusy(true);
  std::optional<bool> result;
  switch (code) {
    case 1:
      result = ProgramChip(ctx, true);
      break;
    case 5:
      result = EraseChip(ctx, true);
      break;
    case 7:
      lastDetect = DetectChip(ctx, true, true);
      result = lastDetect == kDetectFound;
      break;
    case 8:
      result = VerifyChip(ctx, true);
      break;
    case 13:
      result = ReadChip(ctx);
      break;
    case 14:
      result = AutoProgram(ctx);
      break;
    case 15:
      result = BlankCheck(ctx);
      break;
    case 23:
      lastDetect = DetectChip(ctx, true, false);
      result = lastDetect == kDetectFound;
      break;
    case 35:
      result = ConfigureQuadEnable(ctx);
      break;
    // Jobs of the tools that are not part of this program yet.
    case 18:
    case 19:
    case 21:
    case 24:
    case 26:
    case 27:
    case 28:
    case 29:
    case 30:
    case 31:
    case 33:
      result = false;
      break;
    default:
      break;
  }
  image.SetBusy(false);
  surface.HexViewChanged();
  lastOutcome = result.value_or(false) ? 1 : 0;
  return result;
}

void Session::Impl::NoteFileBeforeJob(std::uint8_t code) {
  // Program and verify name the file they work with in the log first.
  if ((code == 1 || code == 8) && image.loaded()) {
    services.AppendLog(image.fileName() + " " + image.sizeText());
  }
}

void Session::Impl::StartOperationButton(int id) {
  struct Button {
    int id;
    int runningItext;
    std::atomic<bool>* cancel;
    std::uint8_t job;
  };
  const Button buttons[] = {
      {ids::kEraseButton, 36, &flags.cancelErase, 5},
      {ids::kProgramButton, 38, &flags.cancelProgram, 1},
      {ids::kVerifyButton, 40, &flags.cancelVerify, 8},
      {ids::kReadButton, 42, &flags.cancelRead, 13},
      {ids::kBlankCheckButton, 44, &flags.cancelBlank, 15},
  };
  for (const Button& b : buttons) {
    if (b.id != id) continue;
    if (surface.ControlText(id) == texts.itext(b.runningItext)) {
      b.cancel->store(true);  // the button is a stop button while its job runs
      return;
    }
    b.cancel->store(false);
    NoteFileBeforeJob(b.job);
    worker.StartJob(b.job);
    return;
  }
}

void Session::Impl::LoadCatalogueAtStart() {
  const std::string path = options.baseDir + "database.dat";
  std::FILE* f = std::fopen(path.c_str(), "r+b");
  if (!f) {
    services.Box(texts.itext(1), texts.itext(2), BoxIcon::Warning);
    selection.ApplySelection();
    return;
  }
  std::fclose(f);
  catalogue.LoadCatalogue(path, [this](const std::string& text, const std::string& caption,
                                       BoxIcon icon) { services.Box(text, caption, icon); });
  const std::string refused = FormatRefusalLog(catalogue.Report());
  if (!refused.empty()) services.AppendLog(refused);
  selection.Initialise();
}

// ---- Session ------------------------------------------------------------------

Session::Session(Options options, WindowSurface& surface, UsbApi& usb)
    : impl_(std::make_unique<Impl>(std::move(options), surface, usb)) {}

Session::~Session() { Exit(); }

TextTable& Session::texts() { return impl_->texts; }
WindowServices& Session::services() { return impl_->services; }

void Session::LoadTexts() {
  Impl& d = *impl_;
  auto onError = [&d](const std::string& msg) {
    d.surface.Ask(msg, "", BoxIcon::Error, BoxButtons::Ok);
  };
  d.texts.LoadFtext(d.options.baseDir + "ftext.ini", onError);
  d.texts.LoadItext(d.options.baseDir + "itext.ini", onError);
}

void Session::Start() {
  Impl& d = *impl_;
  if (d.started) return;
  d.started = true;
  // Keep what an earlier run logged; create the file when it is missing.
  const std::string logPath = d.options.baseDir + "log.txt";
  if (std::FILE* f = std::fopen(logPath.c_str(), "ab")) std::fclose(f);
  d.services.SetLogPath(logPath);
  d.frame.bytes.fill(0);
  d.image.ShowInitialState();
  d.settings.LoadSettings();
  d.link.ResetLink();
  d.frame.bytes[0] = protocol::kStartMarker;
  d.frame.bytes[protocol::kFrameEnd] = protocol::kEndMarker;
  d.LoadCatalogueAtStart();
  d.usb.SetDeviceChangeHandler([this] { OnDeviceChange(); });
  if (d.options.startWorker) d.worker.Start(7);
}

void Session::OnCommand(int id) {
  Impl& d = *impl_;
  switch (id) {
    case ids::kEraseButton:
    case ids::kProgramButton:
    case ids::kVerifyButton:
    case ids::kReadButton:
    case ids::kBlankCheckButton:
      d.StartOperationButton(id);
      return;
    case ids::kAutoProgramButton:
      d.worker.StartJob(14);
      return;
    case ids::kDetectButton:
      d.worker.StartJob(23);
      return;
    case ids::kQeConfigButton:
      d.worker.StartJob(35);
      return;
    case ids::kFirmwareVersion:
      d.worker.StartJob(18);
      return;
    case ids::kBatchButton:
      if (d.services.AutoDetectOn()) {
        if (d.showBatchDialog) d.showBatchDialog();
      } else {
        d.services.Box(d.texts.itext(12), BoxIcon::Information);
      }
      return;
    case ids::kSaveFile:
      d.image.SaveFile();
      d.surface.HexViewChanged();
      return;
    case ids::kEditModeCheck:
      d.hexView.ToggleEditMode();
      return;
    case ids::kEditModeMenu:
      d.hexView.OnEditModeMenu();
      return;
    case ids::kSaveFileAs:
      if (!d.image.busy()) d.image.SaveFileAs();
      return;
    default:
      break;
  }
  if (Settings::OwnsCommand(id)) d.settings.Toggle(id);
}

void Session::OnListChanged(int listId, int index) {
  Impl& d = *impl_;
  if (listId == ids::kTypeList) d.selection.OnTypeChanged(index);
  if (listId == ids::kMakerList) d.selection.OnMakerChanged(index);
  if (listId == ids::kModelList) d.selection.OnModelChanged(index);
}

bool Session::Impl::HandleLoad(buffers::LoadResult result) {
  if (result == buffers::LoadResult::OffsetProgramming && openOffsetDialog) {
    openOffsetDialog(image.lastLoadRequest());
  }
  if (result == buffers::LoadResult::Loaded) surface.HexViewChanged();
  return result == buffers::LoadResult::Loaded;
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

void Session::OnDeviceChange() { impl_->worker.DeviceChanged(); }

bool Session::CloseRequested() {
  Impl& d = *impl_;
  auto ask = [&](int itext) {
    return d.services.Box(d.texts.itext(itext), BoxIcon::Question, BoxButtons::OkCancel) ==
           BoxAnswer::Ok;
  };
  if (d.flags.busyErase) {
    if (!ask(30)) return false;
    // The erase poll listens to its own cancel request; without it the window
    // would wait for the box for up to ten minutes.
    d.flags.cancelErase = true;
    d.flags.cancelProgram = true;
    d.channel.SendCommand(protocol::CMD_IDLE, 100);
  }
  if (d.flags.busyProgram) {
    if (!ask(31)) return false;
    d.flags.cancelProgram = true;
  }
  if (d.flags.busyVerify) {
    if (!ask(32)) return false;
    d.flags.cancelVerify = true;
    d.channel.SendCommand(protocol::CMD_IDLE, 100);
  }
  if (d.flags.busyRead) {
    if (!ask(33)) return false;
    d.flags.windowStopRead = true;
    d.channel.SendCommand(protocol::CMD_IDLE, 100);
  }
  // The worker leaves first: releasing the device under a running transfer
  // would pull the handle from under it.
  d.worker.Exit();
  if (d.link.IsOpen()) d.link.CloseLink();
  if (d.image.loaded()) d.image.Close();
  std::error_code ec;
  const fs::path temp = fs::path(d.image.tempDir());
  fs::remove(temp / "tempFile.bin", ec);
  fs::remove(temp, ec);  // only when empty
  d.ended = true;
  return true;
}

void Session::Exit() {
  Impl& d = *impl_;
  if (d.ended) return;
  d.ended = true;
  d.flags.cancelErase = true;
  d.flags.cancelProgram = true;
  d.flags.cancelVerify = true;
  d.flags.cancelRead = true;
  d.flags.cancelBlank = true;
  d.worker.Exit();
}

}  // namespace tarnwick

namespace tarnwick {

bool Session::RunJobAndWait(std::uint8_t code) {
  Impl& d = *impl_;
  auto waitIdle = [&d] {
    while (!(d.worker.Idle() && d.worker.JobCode() == kJobIdle)) SleepMs(1);
  };
  d.NoteFileBeforeJob(code);
  if (!d.worker.Running()) {
    d.worker.Start(code);
  } else {
    // A request made while a job runs is dropped, not queued: let the running
    // job (the start-up or hot-plug detection, say) finish first.
    waitIdle();
    d.worker.StartJob(code);
  }
  // The worker may not have picked the job up yet: wait until it ran.
  waitIdle();
  return d.lastOutcome.load() == 1;
}

int Session::LastDetectResult() const { return impl_->lastDetect.load(); }

}  // namespace tarnwick
