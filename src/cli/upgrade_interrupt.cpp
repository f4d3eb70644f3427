#include "cli/upgrade_interrupt.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <ctime>

#include "core/operations/firmware/firmware_updater.h"

namespace tarnwick::cli {
namespace {

// A second Ctrl+C within this time ends the program.
constexpr std::int64_t kSecondPressMs = 3000;

constexpr char kGoesOnNotice[] =
    "\ntarnwick-cli: the firmware upgrade goes on: stopping it now would leave the programmer "
    "in its boot loader. Press Ctrl+C again within 3 s to end it anyway.\n";
constexpr char kEndedNotice[] =
    "\ntarnwick-cli: firmware upgrade ended by Ctrl+C: the programmer is left in its boot "
    "loader and needs a new upgrade.\n";
constexpr char kCalledOffNotice[] =
    "\ntarnwick-cli: Ctrl+C: the firmware upgrade will not start.\n";

// What the handler may touch: lock-free atomics only.
std::atomic<FirmwareUpdater*> gUpdater{nullptr};
std::atomic<std::int64_t> gLastPressMs{-1};
std::atomic<bool> gCalledOff{false};
static_assert(std::atomic<std::int64_t>::is_always_lock_free);
static_assert(std::atomic<FirmwareUpdater*>::is_always_lock_free);

template <std::size_t N>
void Say(const char (&text)[N]) {
  // Nothing to do when the terminal is gone.
  [[maybe_unused]] const ssize_t n = ::write(STDERR_FILENO, text, N - 1);
}

std::int64_t NowMs() {
  timespec t{};
  ::clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<std::int64_t>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

void OnInterrupt(int) {
  const int savedErrno = errno;
  FirmwareUpdater* updater = gUpdater.load();
  if (updater != nullptr && updater->CallOffBeforeStart()) {
    gCalledOff = true;
    Say(kCalledOffNotice);
    errno = savedErrno;
    return;
  }
  const std::int64_t now = NowMs();
  const std::int64_t last = gLastPressMs.exchange(now);
  if (last >= 0 && now - last <= kSecondPressMs) {
    Say(kEndedNotice);
    // Ends the way an unhandled Ctrl+C does, so the shell sees it.
    ::signal(SIGINT, SIG_DFL);
    ::raise(SIGINT);
    return;
  }
  Say(kGoesOnNotice);
  errno = savedErrno;
}

}  // namespace

UpgradeInterruptGuard::UpgradeInterruptGuard(FirmwareUpdater& updater) {
  gLastPressMs = -1;
  gCalledOff = false;
  gUpdater = &updater;
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGINT, &action, &previous_);
}

UpgradeInterruptGuard::~UpgradeInterruptGuard() {
  ::sigaction(SIGINT, &previous_, nullptr);
  gUpdater = nullptr;
}

bool UpgradeInterruptGuard::CalledOff() const { return gCalledOff.load(); }

}  // namespace tarnwick::cli
