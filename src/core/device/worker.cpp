#include "core/device/worker.h"

#include "protocol/protocol.h"

namespace tarnwick {

Worker::Worker(WorkerHooks hooks) : hooks_(std::move(hooks)) {}

Worker::~Worker() { Exit(); }

void Worker::Start(std::uint8_t firstJob) {
  if (thread_.joinable()) return;
  jobCode_.store(firstJob);
  exitRequest_.store(false);
  thread_ = std::thread([this] { Loop(); });
}

void Worker::StartJob(std::uint8_t code) {
  std::lock_guard lock(mutex_);
  jobCode_.store(code);
  if (waiting_) {
    waiting_ = false;
    wake_.notify_one();
  }
}

void Worker::DeviceChanged() {
  std::lock_guard lock(mutex_);
  deviceChangeCount_.fetch_add(1);
  jobCode_.store(7);
  deviceChangeFlag_.store(true);
  if (waiting_) {
    waiting_ = false;
    wake_.notify_one();
  }
}

void Worker::Exit() {
  {
    std::lock_guard lock(mutex_);
    exitRequest_.store(true);
    waiting_ = false;
    wake_.notify_one();
  }
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

bool Worker::Idle() const {
  std::lock_guard lock(mutex_);
  return waiting_ || !thread_.joinable();
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
  while (!exitRequest_.load()) {
    hooks_.setLamp(protocol::kLampBusy);
    const std::uint8_t code = jobCode_.load();
    const std::optional<bool> outcome = hooks_.runJob(code);
    std::uint8_t lamp = protocol::kLampFailed;
    if (IsNeutralLampJob(code)) {
      lamp = protocol::kLampNeutral;
    } else if (outcome.has_value() && *outcome) {
      lamp = protocol::kLampSucceeded;
    }
    hooks_.setLamp(lamp);
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
}

}  // namespace tarnwick
