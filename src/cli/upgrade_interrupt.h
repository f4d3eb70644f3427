// Ctrl+C while tarnwick-cli upgrades the box's firmware. An upgrade that has
// not sent the box anything yet is called off. Once it talks to the box, a
// cut would leave the box erased in its boot loader, so the first Ctrl+C
// only warns and the upgrade goes on; a second one within 3 s ends the
// program anyway, with that warning.
#pragma once

#include <csignal>

namespace tarnwick {
class FirmwareUpdater;
}

namespace tarnwick::cli {

class UpgradeInterruptGuard {
 public:
  // Installs the handler for `updater`'s upgrade; one guard at a time.
  explicit UpgradeInterruptGuard(FirmwareUpdater& updater);
  // Puts back the handler that was there before.
  ~UpgradeInterruptGuard();
  UpgradeInterruptGuard(const UpgradeInterruptGuard&) = delete;
  UpgradeInterruptGuard& operator=(const UpgradeInterruptGuard&) = delete;

  // True once a Ctrl+C called the upgrade off before it began.
  bool CalledOff() const;

 private:
  struct sigaction previous_ {};
};

}  // namespace tarnwick::cli
