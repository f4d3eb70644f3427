// The OTP feature: detect the chip's OTP area, blank check, program it
// (with its protected ranges and the lock), verify, read and save it. Each
// operation is one job on the worker; the dialog or the command line starts
// the jobs and hears about them through an OtpView.
//
// Threads. The OTP buffer, the saveable length and what the last detection
// found belong to the worker (every operation runs there). What the command
// line and tests read afterwards is kept in atomics.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/app/command_router.h"
#include "core/device/job_launcher.h"
#include "core/device/job_table.h"
#include "core/operations/op_context.h"
#include "core/operations/otp/otp_table.h"
#include "core/operations/otp/otp_view.h"

namespace tarnwick {

// Results of OtpDetect.
inline constexpr int kOtpNotFound = -1;  // no chip, or no OTP area known for it
inline constexpr int kOtpMethodFailed = 0;
inline constexpr int kOtpStatusFailed = 1;
inline constexpr int kOtpEnterFailed = 2;
inline constexpr int kOtpLocked = 3;
inline constexpr int kOtpWritable = 4;  // unlocked, or a family without lock status

// What the last detection found, for the command line and tests.
struct OtpAreaInfo {
  int result = kOtpNotFound;
  std::uint16_t size = 0;
  std::uint16_t start = 0;
};

class OtpProgrammer {
 public:
  OtpProgrammer(OperationContext& ctx, JobLauncher& launcher);

  void AddJobs(JobTable& jobs);
  // The "OTP 烧写" menu opens the front end's dialog.
  void AddCommands(CommandRouter& router);
  void SetDialogOpener(std::function<void()> open) { openDialog_ = std::move(open); }

  // Where the operations report; nullptr reports nowhere. Set it while no
  // OTP job runs; the view outlives its use.
  void SetView(OtpView* view) { view_.store(view); }
  // A button of the dialog: starts its job on the worker (dropped while
  // the worker is busy, as every request is).
  void Request(Job job);

  OtpAreaInfo LastArea() const;
  // Bytes "保存" would write now (0: nothing to save).
  std::size_t SaveableLength() const { return saveableShown_.load(); }

  // The operations, on the worker.
  int OtpDetect(bool beep);
  bool OtpProgram();
  bool OtpRead();
  bool OtpSave();
  bool OtpVerify();
  bool OtpBlankCheck();

 private:
  OtpView& View();
  std::string I(int n) const { return ctx_.I(n); }
  void Log(const std::string& text);
  void LogLine(const std::string& text) { Log("\r\n" + text); }
  void Enable(int id, bool on);
  void EnableWork(bool on);  // program, read, verify, blank check
  void Leave();
  // The run is ending: a transfer stops at its next chunk.
  bool Stopping() const { return ctx_.detection.stopRequested.load(); }
  // Detection that allows work on the area (3 or 4), then OTP_ENTER.
  bool DetectAndEnter();
  // What a detection shows in the lock box (see OtpDetect).
  void ShowLock(int result, bool userStarted, const otp::Entry* previous);
  // The area was locked just now: shown as a detection would show it.
  void ShowLockedNow();
  void SetSaveable(std::size_t length);
  // Fails with the failure's line, the error beep and OTP_EXIT.
  bool Fail(const std::string& line);
  // The first `length` bytes of the chosen file, at most the area's size;
  // nothing (and the warning box) when it cannot be read.
  std::optional<std::vector<std::uint8_t>> ReadChosenFile();
  bool WriteArea(const std::uint8_t* data, std::uint16_t address, std::size_t length, bool dots);
  bool RunJob(bool (OtpProgrammer::*operation)());
  // Reads the first `length` bytes of the area into the OTP buffer, a dot a
  // chunk; `check` (address, offset, chip byte) may name a byte that fails,
  // `readFailure` names a chunk (by its address) that could not be read.
  using ByteCheck =
      std::function<std::optional<std::string>(std::uint32_t, std::size_t, std::uint8_t)>;
  using ReadFailure = std::function<std::string(std::uint32_t)>;
  bool ReadArea(std::size_t length, const ReadFailure& readFailure, const ByteCheck& check);
  // After a write: the whole area read back and compared with `meant`,
  // except the offsets `skip` names (bytes that were not written).
  bool ReadBack(const std::uint8_t* meant, const std::function<bool(std::size_t)>& skip);
  // The protected ranges' bytes: written only by a programming that locks.
  bool WriteProtectedRanges(const std::uint8_t* image);
  // The success tail: what "保存" saves, the line, the beep, OTP_EXIT.
  bool Succeed(std::size_t saveable, const std::string& line);

  OperationContext& ctx_;
  JobLauncher& launcher_;
  std::function<void()> openDialog_;
  std::atomic<OtpView*> view_{nullptr};

  // Worker only.
  std::optional<otp::Match> match_;
  bool locked_ = false;
  // The area the last detection found writable (nullptr: none): a tick the
  // technician gave after that detection holds for that area only.
  const otp::Entry* writableEntry_ = nullptr;
  std::array<std::uint8_t, otp::kMaxOtpSize> buffer_{};
  std::size_t saveable_ = 0;

  std::atomic<int> lastResult_{kOtpNotFound};
  std::atomic<std::uint16_t> lastSize_{0};
  std::atomic<std::uint16_t> lastStart_{0};
  std::atomic<std::size_t> saveableShown_{0};
};

}  // namespace tarnwick
