#include "core/services/update/update_checker.h"

#include <chrono>
#include <mutex>
#include <thread>
#include <utility>

#include "core/device/worker.h"
#include "core/services/services_config.h"
#include "core/services/update/firmware_query.h"
#include "resources/ids.h"

namespace tarnwick::update {

// What the detached thread may touch. The references are valid while
// `alive`; `alive` changes and they are used only under `m`.
struct UpdateChecker::Shared {
  Worker& worker;
  DeviceLink& link;
  CommandChannel& channel;
  std::mutex m;
  bool alive = true;
  std::atomic<bool> cancel{false};
  std::atomic<bool> running{false};
  std::atomic<bool> usingLink{false};
  std::function<void()> finished;  // the checker's menu state, under m

  Shared(Worker& w, DeviceLink& l, CommandChannel& c) : worker(w), link(l), channel(c) {}

  // Waits (on the check's thread) until the worker rests, then asks the box.
  std::optional<std::uint8_t> QueryBox() {
    for (;;) {
      {
        std::lock_guard lock(m);
        if (!alive || cancel.load()) return std::nullopt;
        if (worker.TryHoldLink()) {
          usingLink = true;
          const std::optional<std::uint8_t> byte = QueryFirmwareByte(link, channel);
          usingLink = false;
          worker.ReleaseLink();
          return byte;
        }
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
};

namespace {

std::string ConfiguredHost(const std::string& baseDir, std::string& problem) {
  return LoadServicesConfig(baseDir + kServicesFileName, problem).update.host;
}

}  // namespace

UpdateChecker::UpdateChecker(Worker& worker, DeviceLink& link, CommandChannel& channel,
                             WindowSurface& surface, std::string baseDir)
    : surface_(surface),
      baseDir_(std::move(baseDir)),
      shared_(std::make_shared<Shared>(worker, link, channel)) {
  shared_->finished = [this] { ShowCommandState(); };
}

UpdateChecker::~UpdateChecker() {
  End();
  std::lock_guard lock(shared_->m);
  shared_->alive = false;
  shared_->finished = {};
}

void UpdateChecker::AddCommands(CommandRouter& router) {
  router.Register(ids::kCheckUpdate, [this] {
    if (open_) open_();
  });
}

bool UpdateChecker::Running() const { return shared_->running.load(); }
bool UpdateChecker::UsingLink() const { return shared_->usingLink.load(); }

void UpdateChecker::End() { shared_->cancel = true; }

void UpdateChecker::JobStarted() {
  jobRunning_ = true;
  ShowCommandState();
}

void UpdateChecker::JobEnded() {
  jobRunning_ = false;
  ShowCommandState();
}

void UpdateChecker::ShowCommandState() {
  surface_.SetCommandEnabled(ids::kCheckUpdate, !jobRunning_.load() && !Running());
}

bool UpdateChecker::Start(Done done) {
  const Worker& worker = shared_->worker;
  if (shared_->cancel.load() || jobRunning_.load() || (worker.Running() && !worker.AtRest()) ||
      shared_->running.exchange(true))
    return false;
  ShowCommandState();
  std::string problem;
  const std::string host = ConfiguredHost(baseDir_, problem);
  std::thread([shared = shared_, host, problem, timeouts = timeouts_, done = std::move(done)] {
    UpdateCheckResult result;
    if (!problem.empty()) {
      result.failure = UpdateFailure{UpdateFailure::Kind::NoHost, problem};
    } else {
      result = RunUpdateCheck(
          host, [&shared] { return shared->QueryBox(); },
          UpdateCheckOptions{timeouts, &shared->cancel});
    }
    std::lock_guard lock(shared->m);
    // Not running before the report: what the report sets off may start the next.
    shared->running = false;
    // Once the run is ending the result reaches nobody, cut short or not.
    if (!shared->alive || shared->cancel.load()) return;
    if (shared->finished) shared->finished();
    if (done) done(result);
  }).detach();
  return true;
}

UpdateCheckResult UpdateChecker::RunAndWait() {
  std::string problem;
  const std::string host = ConfiguredHost(baseDir_, problem);
  UpdateCheckResult result;
  if (!problem.empty()) {
    result.failure = UpdateFailure{UpdateFailure::Kind::NoHost, problem};
    return result;
  }
  return RunUpdateCheck(
      host, [this] { return shared_->QueryBox(); },
      UpdateCheckOptions{timeouts_, &shared_->cancel});
}

}  // namespace tarnwick::update
