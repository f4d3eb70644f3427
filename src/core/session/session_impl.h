// The parts of one run, in construction order: the shared operation parts,
// then the hex view and the features. Only the session's own files
// reach in here; front ends, benchmarks and tests use the typed accessors.
#pragma once

#include <array>
#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>

#include "core/buffers/hex_view.h"
#include "core/operations/batch/batch_runner.h"
#include "core/operations/chip/chip_operations.h"
#include "core/operations/chip_fill/chip_filler.h"
#include "core/operations/find/image_finder.h"
#include "core/operations/firmware/firmware_updater.h"
#include "core/operations/operation_parts.h"
#include "core/operations/otp/otp_programmer.h"
#include "core/services/update/update_checker.h"
#include "core/session/session.h"

namespace tarnwick {

struct Session::Impl : OperationParts {
  Impl(Options options, WindowSurface& surface, UsbApi& usb);

  void Wire();
  void SetLamp(std::uint8_t value);
  // The selection's parameter build: on the worker at once; from the window
  // kept until the worker next uses the frame, which only the worker writes.
  void BuildChipParameters(const ChipRecord& record, bool adapter);
  void ApplyPendingParameters();
  void LogLoadedFile();
  void LoadCatalogueAtStart();
  void OnChipApplied(const AppliedSelection& applied);
  bool HandleLoad(buffers::LoadResult result);
  BatchChipAccess BatchAccess();
  // Waits (on the batch thread) until the worker is idle, then starts the
  // batch step, again when a device change took its place.
  bool StartBatchStep(const std::function<bool()>& wanted, const std::function<bool()>& taken);

  Options options;
  buffers::HexView hexView;  // GUI thread only
  ChipOperations chip;
  BatchRunner batch;
  OtpProgrammer otp;
  FirmwareUpdater firmware;
  ChipFiller chipFill;
  ImageFinder finder;
  update::UpdateChecker updateCheck;
  std::function<void(const std::string&)> openOffsetDialog;
  // The outcome of the last run of each job code: -1 none yet, 0 failed, 1
  // succeeded. Kept per code so a hot-plug detection that slips in after a
  // job never stands for that job's result.
  std::array<std::atomic<int>, 256> outcomes{};
  std::mutex pendingMutex;
  std::optional<std::pair<ChipRecord, bool>> pendingParameters;
  bool started = false;
  std::atomic<bool> ended{false};  // the worker was asked to leave (the batch thread reads it)
  bool closed = false;             // the close sequence released the link and files
  // A data view the window started; it talks to the box while the worker rests.
  // A hot-plug notice meanwhile waits for its end: the detection it starts
  // would talk to the box at the same time.
  std::thread dataViewThread;
  std::atomic<bool> dataViewRunning{false};
  std::mutex dataViewMutex;
  bool deviceChangeDeferred = false;  // under dataViewMutex
  void JoinDataView();
};

}  // namespace tarnwick
