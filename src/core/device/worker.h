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

namespace tarnwick {

inline constexpr std::uint8_t kJobIdle = 255;

struct WorkerHooks {
  // Runs the job of `code`: true/false for its outcome, nullopt when the code
  // is not in the job table.
  std::function<std::optional<bool>(std::uint8_t code)> runJob;
  // Sends the lamp value to the box (after checking the link).
  std::function<void(std::uint8_t lamp)> setLamp;
  // True while the link is open; then the idle command is sent after a job.
  std::function<bool()> linkOpen;
  std::function<void()> sendIdle;
};

class Worker {
 public:
  explicit Worker(WorkerHooks hooks);
  ~Worker();
  Worker(const Worker&) = delete;
  Worker& operator=(const Worker&) = delete;

  // Creates the thread with `firstJob` as its first job (the start-up detection).
  void Start(std::uint8_t firstJob);
  // JobCode := code, then wake the worker if it waits.
  void StartJob(std::uint8_t code);
  // A USB device-change notification.
  void DeviceChanged();
  // Sets the exit request, wakes the worker and waits for the thread to end.
  void Exit();

  std::uint8_t JobCode() const { return jobCode_.load(); }
  // The find job uses the code byte as its control channel while it runs.
  void SetJobCode(std::uint8_t code) { jobCode_.store(code); }
  bool Idle() const;
  bool Running() const { return thread_.joinable(); }
  std::atomic<bool>& DeviceChangeFlag() { return deviceChangeFlag_; }
  int DeviceChangeCount() const { return deviceChangeCount_.load(); }
  // Lamp value a job code ends with: 0 for the detection jobs.
  static bool IsNeutralLampJob(std::uint8_t code) { return code == 7 || code == 23 || code == 26; }

  // One pass of the loop's bookkeeping after a job; exposed for tests of the
  // device-change folding rule. Returns true when the job must run again.
  bool FoldDeviceChanges();

 private:
  void Loop();

  WorkerHooks hooks_;
  std::thread thread_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  bool waiting_ = false;
  std::atomic<std::uint8_t> jobCode_{0};
  std::atomic<bool> exitRequest_{false};
  std::atomic<bool> deviceChangeFlag_{false};
  std::atomic<int> deviceChangeCount_{0};
};

}  // namespace tarnwick
