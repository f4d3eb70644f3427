// The worker thread: runs one job at a time, frames each job with the status
// lamp, sends the idle command afterwards and then waits for the next
// request. A request made while a job runs is not queued; JobCode() reads
// 255 exactly while the worker waits.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "core/device/job.h"
#include "core/device/job_table.h"

namespace tarnwick {

inline constexpr std::uint8_t kJobIdle = JobByte(Job::Idle);

struct WorkerHooks {
  // Around every job, whether the table has a row for its code or not (the
  // session marks the file image busy meanwhile). `outcome` is false for a
  // code without a row.
  std::function<void(std::uint8_t code)> beforeJob;
  std::function<void(std::uint8_t code, bool outcome)> afterJob;
  // Sends the lamp value to the box (after checking the link).
  std::function<void(std::uint8_t lamp)> setLamp;
  // True while the link is open; then the idle command is sent after a job.
  std::function<bool()> linkOpen;
  std::function<void()> sendIdle;
};

class Worker {
 public:
  // `jobs` outlives the worker; it is complete before Start.
  Worker(const JobTable& jobs, WorkerHooks hooks);
  ~Worker();
  Worker(const Worker&) = delete;
  Worker& operator=(const Worker&) = delete;

  // Creates the thread with `firstJob` as its first job (the start-up detection).
  void Start(Job firstJob);
  // JobCode := job, then wake the worker if it waits.
  void StartJob(Job job);
  // A USB device-change notification.
  void DeviceChanged();
  // Sets the exit request and wakes the worker without waiting for it: the
  // window's thread must never wait for a job (the job may be asking it a
  // question). The worker leaves after its current job.
  void RequestExit();
  // True once the worker's loop has ended (or the thread never started).
  bool Finished() const { return !thread_.joinable() || loopEnded_.load(); }
  // RequestExit, then waits for the thread to end.
  void Exit();

  std::uint8_t JobCode() const { return jobCode_.load(); }
  // The find job uses the code byte as its control channel while it runs.
  void SetJobCode(std::uint8_t code) { jobCode_.store(code); }
  // JobCode := desired only while it still reads `expected`, in one step: a
  // code another thread stores meanwhile (a device change) is never lost.
  bool ExchangeJobCode(std::uint8_t expected, std::uint8_t desired) {
    return jobCode_.compare_exchange_strong(expected, desired);
  }
  bool Idle() const;
  // Waiting with no job asked for: a new request will be picked up.
  bool AtRest() const { return Idle() && JobCode() == kJobIdle; }
  bool Running() const { return thread_.joinable(); }
  std::atomic<bool>& DeviceChangeFlag() { return deviceChangeFlag_; }
  bool DeviceChangePending() const { return deviceChangeFlag_.load(); }
  // True on the worker's own thread.
  bool OnWorkerThread() const { return workerId_.load() == std::this_thread::get_id(); }
  int DeviceChangeCount() const { return deviceChangeCount_.load(); }
  // The lamp value a job ends with: the row's rule, failed for a code
  // without a row.
  static std::uint8_t EndLamp(const JobRow* row, bool outcome);

  // Lends the link of a resting worker (or of one not started) to another
  // thread: false while a job runs or is asked for, or another hold is out.
  // While held, job requests are dropped (as while a job runs) and a device
  // change is kept until ReleaseLink, which hands it to the worker.
  bool TryHoldLink();
  void ReleaseLink();
  bool LinkHeld() const { return linkHeld_.load(); }

  // One pass of the loop's bookkeeping after a job; exposed for tests of the
  // device-change folding rule. Returns true when the job must run again.
  bool FoldDeviceChanges();

 private:
  void Loop();

  const JobTable& jobs_;
  WorkerHooks hooks_;
  std::thread thread_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  bool waiting_ = false;
  std::atomic<std::uint8_t> jobCode_{0};
  std::atomic<bool> exitRequest_{false};
  std::atomic<bool> loopEnded_{false};
  std::atomic<std::thread::id> workerId_{};
  std::atomic<bool> deviceChangeFlag_{false};
  std::atomic<int> deviceChangeCount_{0};
  std::atomic<bool> linkHeld_{false};
  bool heldDeviceChange_ = false;  // under mutex_
};

}  // namespace tarnwick
