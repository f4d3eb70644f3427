// The program's state for one run, without any widget: the composition root.
// It builds the parts (texts, settings, catalogue and selection, command
// frame, link, worker, file image) and the features, wires them and routes
// commands. The Qt window and the command line each own one Session and only
// translate user actions into calls on it; they reach the parts through the
// typed accessors below, never through the session's internals.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/app/command_router.h"
#include "core/app/data_layout.h"
#include "core/app/text_table.h"
#include "core/app/window_services.h"
#include "core/app/window_surface.h"
#include "core/device/job.h"
#include "protocol/usb_api.h"

namespace tarnwick {

class BatchRunner;
class Catalogue;
class ChipSelection;
class JobTable;
class OtpProgrammer;
class ChipFiller;
class ImageFinder;
struct DataViewResult;
class FirmwareUpdater;
class Worker;
struct DetectionState;
namespace update {
class UpdateChecker;
}  // namespace update
namespace buffers {
class FileImage;
class HexView;
}  // namespace buffers

class Session {
 public:
  struct Options {
    // Where every file is: OneFolderLayout(dir) keeps them all in one
    // folder. A command-line run beside another gives its own workDir.
    DataLayout layout;
    bool startWorker = true;  // tests may drive jobs synchronously
    // The boot table of the virtual box in use (empty: a real box). Without
    // the user's own "boot-table.bin" a simulated upgrade scrambles with it;
    // a real box's upgrade never does.
    std::string simulatedBootTable{};
  };

  Session(Options options, WindowSurface& surface, UsbApi& usb);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Start-up, in the window's initialisation order. LoadTexts first (the
  // front end then applies captions from texts()), then Start.
  void LoadTexts();
  void Start();

  // The parts, for the front ends.
  TextTable& texts();
  // Where services.ini and the user's own files live (trailing '/'): the
  // base directory, or the user's config folder when installed.
  const std::string& baseDir() const;
  // Where every file is.
  const DataLayout& layout() const;
  WindowServices& services();
  const Catalogue& catalogue() const;
  ChipSelection& selection();
  buffers::FileImage& image();
  buffers::HexView& hexView();  // GUI thread only
  const Worker& worker() const;
  const DetectionState& detection() const;
  const JobTable& jobs() const;
  // Every command id a feature of the core handles.
  const CommandRouter& commands() const;
  // The batch feature: its dialog and the command line drive it.
  BatchRunner& batch();
  // The batch button opens the front end's batch dialog through this.
  void SetBatchDialogOpener(std::function<void()> open);
  // The OTP feature: its dialog and the command line drive it; the menu
  // opens the front end's dialog through the opener.
  OtpProgrammer& otp();
  void SetOtpDialogOpener(std::function<void()> open);
  // The firmware feature: the version menu runs its job; the upgrade menu
  // opens the front end's dialog through the opener.
  FirmwareUpdater& firmware();
  void SetFirmwareDialogOpener(std::function<void()> open);
  // Chip fill: its dialog and the command line hand it a request; the menu
  // opens the front end's dialog through the opener.
  ChipFiller& chipFill();
  void SetChipFillDialogOpener(std::function<void()> open);
  // Find in the file image (job 24): its dialog and the command line.
  ImageFinder& finder();
  void SetFindDialogOpener(std::function<void()> open);
  // The data view at a hex address: the file's and the chip's value. It
  // talks to the box itself, so it waits until the worker is idle.
  DataViewResult ViewData(const std::string& addressText);
  // The same on a thread of its own, for a front end whose thread must not
  // wait: `done` gets the result on that thread. False (and nothing runs)
  // while an earlier one still runs or the session is ending.
  bool StartViewData(const std::string& addressText,
                     std::function<void(const DataViewResult&)> done);
  bool ViewDataRunning() const;
  // The update check: the menu item runs the front end's opener (set with
  // SetOpener), which starts the check on its own thread.
  update::UpdateChecker& updateCheck();

  // A command id from a button, menu item or key (resources/ids.h). False
  // when no feature handles it.
  bool OnCommand(int id);
  // The user chose entry `index` showing `text` in a chip list (1014-1016).
  void OnListChanged(int listId, int index, const std::string& text);
  // A file picked by the user (browse, menu) or dropped on the window.
  bool LoadUserFile(const std::string& path);
  void OnFileDropped(const std::string& path);
  // Files named "...CAP" go through offset programming: the front end opens
  // its dialog with the path.
  void SetOffsetDialogOpener(std::function<void(const std::string&)> open);
  // USB devices changed (hot plug).
  void OnDeviceChange();

  // The close sequence, in two halves so that the window's thread never
  // waits for the worker. BeginClose asks one question when something that
  // changes the chip runs (false: the user keeps the window, or a job that
  // must not be cut runs, see CloseMustWait), then stops whatever runs at the
  // answer and asks the worker to leave. Once WorkerGone(), FinishClose
  // releases the link, closes the working copy and removes the temporary files.
  bool BeginClose();
  // True while a job runs that a close must not cut (a firmware upgrade):
  // the close waits for its end instead of asking.
  bool CloseMustWait() const;
  // The question a close asks now (an itext number), 0 when nothing runs
  // that changes the chip: the busy step names it, else the running job's row.
  int CloseQuestion() const;
  // True once the worker and a data view started from the window have left.
  bool WorkerGone() const;
  void FinishClose();
  // The whole close sequence for callers that may wait (command line, tests).
  bool CloseRequested();
  // The exit menu item: ends the run without the close sequence. BeginExit
  // stops what runs and asks the worker to leave without waiting; Exit waits.
  void BeginExit();
  void Exit();

  // Starts `job` on the worker (starting the worker when it is not yet
  // running) and waits until the worker is idle again. For the command line
  // and whole-flow tests; the window never waits for the worker.
  // Returns the job's outcome (false for a job no feature registered).
  bool RunJobAndWait(Job job);
  // What the last detection returned (1 found, 0 family only / not in the
  // catalogue, -1 no answer or refusal, -2 no box).
  int LastDetectResult() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tarnwick
