// The box's own firmware: the version query (an information box with the
// serial number and the version) and the upgrade from a .tfw file through
// the box's boot loader. Both are jobs on the worker; the upgrade dialog or
// the command line starts the upgrade and hears about it through a
// FirmwareView.
//
// Threads. The upgrade-running flag is read by the dialog's thread while the
// worker sets it; what the command line and tests read after a job is kept
// in atomics.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/app/command_router.h"
#include "core/device/job_launcher.h"
#include "core/device/job_table.h"
#include "core/operations/firmware/firmware_image.h"
#include "core/operations/firmware/firmware_view.h"
#include "core/operations/op_context.h"

namespace tarnwick {

// What the last version query heard from the box.
struct FirmwareInfo {
  std::optional<std::uint8_t> version;  // the version byte (0xFF: no valid firmware)
  std::optional<std::uint32_t> serial;
};

class FirmwareUpdater {
 public:
  FirmwareUpdater(OperationContext& ctx, JobLauncher& launcher);

  void AddJobs(JobTable& jobs);
  // "固件版本" runs the version job; "固件升级" opens the front end's dialog.
  void AddCommands(CommandRouter& router);
  void SetDialogOpener(std::function<void()> open) { openDialog_ = std::move(open); }

  // Where the upgrade reports; nullptr reports through the main window.
  // Set it while no upgrade runs; the view outlives its use.
  void SetView(FirmwareView* view) { view_.store(view); }
  // The dialog's progress bar when it opens, and after a file was chosen.
  void DialogOpened();
  void FileChosen();
  // The "升级" button: starts the upgrade unless one runs.
  void Request();
  // From the start of an upgrade job to its end; any thread may ask.
  bool UpgradeRunning() const { return running_.load(); }
  // For a front end that can be interrupted (the command line's Ctrl+C): an
  // upgrade that has not sent the box anything yet will not start. True when
  // it will not (or did not) start, false when it already talks to the box.
  // One atomic exchange: safe in a signal handler.
  bool CallOffBeforeStart();
  // The virtual box's own table file, for an upgrade of a simulated box when
  // the base directory holds no "boot-table.bin". Set before the worker
  // starts; never set for a real box, whose upgrade needs the user's table.
  void SetSimulatedBoxTable(std::string path) { simulatedTable_ = std::move(path); }

  FirmwareInfo LastInfo() const;
  // True when the last upgrade's image was accepted by the box.
  bool LastUpgradeAccepted() const { return accepted_.load(); }

  // The operations, on the worker.
  bool ShowFirmwareVersion();
  bool UpgradeFirmware();

 private:
  FirmwareView& View();
  std::string I(int n) const { return ctx_.I(n); }
  void Progress(int position, const std::string& text) { View().SetProgress(position, text); }
  // The bar filled without text, then emptied with `text`.
  void Restart(const std::string& text);
  bool Boot(std::uint8_t code, std::uint8_t value = 0);
  // One answer byte, or nothing.
  std::optional<std::uint8_t> ReadByte(int timeoutMs);
  bool Stopping() const { return ctx_.detection.stopRequested.load(); }
  // A failed step after BOOT_START: the bar, BOOT_IDLE and the error box.
  bool FailStep(int message, bool box);

  // The chosen file when it passes the check; otherwise reported, nullopt.
  std::optional<std::vector<std::uint8_t>> ReadCheckedFile();
  // The boot loader's table from the base directory; otherwise reported.
  std::optional<firmware::BootTable> ReadTable();
  bool EnterBootLoader();
  bool Handshake();
  bool StartLoader();
  bool Erase(std::size_t blocks);
  bool Write(const std::vector<std::uint8_t>& file, const firmware::BootTable& table);
  bool ReadBack(const std::vector<std::uint8_t>& file, const firmware::BootTable& table,
                std::size_t blocks);
  bool Finish(const std::vector<std::uint8_t>& file);
  bool RunUpgrade();

  OperationContext& ctx_;
  std::string simulatedTable_;
  JobLauncher& launcher_;
  std::function<void()> openDialog_;
  std::unique_ptr<FirmwareView> windowView_;  // used while no dialog is set
  std::atomic<FirmwareView*> view_{nullptr};
  std::atomic<bool> running_{false};
  // Open until the upgrade sends its first frame (then Talking), unless a
  // front end called it off first.
  enum : int { kGateOpen, kGateCalledOff, kGateTalking };
  std::atomic<int> startGate_{kGateOpen};
  static_assert(std::atomic<int>::is_always_lock_free);

  std::atomic<int> lastVersion_{-1};
  std::atomic<std::int64_t> lastSerial_{-1};
  std::atomic<bool> accepted_{false};
};

}  // namespace tarnwick
