#include "core/device/worker.h"

#include <utility>

#include "protocol/protocol.h"

namespace tarnwick {

Worker::Worker(const JobTable& jobs, WorkerHooks hooks) : jobs_(jobs), hooks_(std::move(hooks)) {}

Worker::~Worker() { Exit(); }

void Worker::Start(Job firstJob) {
  if (thread_.joinable() || linkHeld_.load()) return;
  jobCode_.store(JobByte(firstJob));
  exitRequest_.store(false);
  loopEnded_.store(false);
  thread_ = std::thread([this] { Loop(); });
}

void Worker::StartJob(Job job) {
  std::lock_guard lock(mutex_);
  if (linkHeld_.load()) return;  // the link is lent: dropped, as while a job runs
  jobCode_.store(JobByte(job));
  if (waiting_) {
    waiting_ = false;
    wake_.notify_one();
  }
}

void Worker::DeviceChanged() {
  std::lock_guard lock(mutex_);
  if (linkHeld_.load()) {
    heldDeviceChange_ = true;  // the detection waits for the link
    return;
  }
  deviceChangeCount_.fetch_add(1);
  jobCode_.store(JobByte(Job::DetectQuiet));
  deviceChangeFlag_.store(true);
  if (waiting_) {
    waiting_ = false;
    wake_.notify_one();
  }
}

bool Worker::TryHoldLink() {
  std::lock_guard lock(mutex_);
  if (linkHeld_.load()) return false;
  const bool resting = waiting_ && jobCode_.load() == kJobIdle;
  if (thread_.joinable() && !resting) return false;
  linkHeld_.store(true);
  return true;
}

void Worker::ReleaseLink() {
  bool deviceChange = false;
  {
    std::lock_guard lock(mutex_);
    linkHeld_.store(false);
    deviceChange = std::exchange(heldDeviceChange_, false);
  }
  if (deviceChange) DeviceChanged();
}

void Worker::RequestExit() {
  std::lock_guard lock(mutex_);
  exitRequest_.store(true);
  waiting_ = false;
  wake_.notify_one();
}

void Worker::Exit() {
  RequestExit();
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

bool Worker::Idle() const {
  std::lock_guard lock(mutex_);
  return waiting_ || !thread_.joinable();
}

std::uint8_t Worker::EndLamp(const JobRow* row, bool outcome) {
  if (row == nullptr) return protocol::kLampFailed;
  if (row->lamp == LampRule::Neutral) return protocol::kLampNeutral;
  return outcome ? protocol::kLampSucceeded : protocol::kLampFailed;
}

bool Worker::FoldDeviceChanges() {
  if (!deviceChangeFlag_.load()) return false;
  int count = deviceChangeCount_.load();
  // Many notifications in a burst fold back to a small count; a count that
  // still reaches 48 means the bus kept changing, so detect once more.
  if (count > 48) {
    if (count % 48 == 16) {
      count = 16;
    } else if (count % 48 == 32) {
      count = 32;
    }
  }
  if (count >= 48) {
    deviceChangeCount_.store(0);
    return true;
  }
  deviceChangeCount_.store(0);
  deviceChangeFlag_.store(false);
  return false;
}

void Worker::Loop() {
  workerId_.store(std::this_thread::get_id());
  while (!exitRequest_.load()) {
    hooks_.setLamp(protocol::kLampBusy);
    const std::uint8_t code = jobCode_.load();
    const JobRow* row = jobs_.Find(code);
    if (hooks_.beforeJob) hooks_.beforeJob(code);
    const bool outcome = row != nullptr && row->run();
    if (hooks_.afterJob) hooks_.afterJob(code, outcome);
    if (row == nullptr || row->lamp != LampRule::OwnLamp) hooks_.setLamp(EndLamp(row, outcome));
    if (FoldDeviceChanges()) continue;
    if (hooks_.linkOpen()) hooks_.sendIdle();
    std::unique_lock lock(mutex_);
    if (exitRequest_.load()) break;
    jobCode_.store(kJobIdle);
    waiting_ = true;
    wake_.wait(lock, [this] { return !waiting_; });
  }
  std::lock_guard lock(mutex_);
  waiting_ = false;
  loopEnded_.store(true);
}

}  // namespace tarnwick
