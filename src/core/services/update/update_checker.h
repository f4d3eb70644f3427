// The update check as a feature of the main window: its command, its own
// thread, and its share of the box link.
//
// Threads. The HTTP request and the box's question run on a thread of the
// check's own, never on the window's; the result goes to `done` on that
// thread (the window posts it to itself). The link belongs to the worker:
// the check borrows it only while the worker rests, through the worker's
// link hold, so the worker takes no job meanwhile and nothing else talks to
// the box. The thread is detached and keeps only a shared block that the
// checker cuts loose when it goes, so a window may close while a check
// runs: a transfer under way is cancelled and its result reaches nobody.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "core/app/command_router.h"
#include "core/app/window_surface.h"
#include "core/services/update/update_check.h"

namespace tarnwick {

class CommandChannel;
class DeviceLink;
class Worker;

namespace update {

class UpdateChecker {
 public:
  using Done = std::function<void(const UpdateCheckResult&)>;

  // The update host is read from "services.ini" in `baseDir` at each check.
  UpdateChecker(Worker& worker, DeviceLink& link, CommandChannel& channel, WindowSurface& surface,
                std::string baseDir);
  ~UpdateChecker();
  UpdateChecker(const UpdateChecker&) = delete;
  UpdateChecker& operator=(const UpdateChecker&) = delete;

  // "检查更新" runs the front end's opener, which starts the check.
  void AddCommands(CommandRouter& router);
  void SetOpener(std::function<void()> open) { open_ = std::move(open); }

  // Starts a check on its own thread. False (nothing runs) while a check
  // runs, while the worker runs a job, or once the run is ending.
  bool Start(Done done);
  // The same on the calling thread, for the command line.
  UpdateCheckResult RunAndWait();
  bool Running() const;
  // True while the check talks to the box (the close sequence waits for it).
  bool UsingLink() const;
  // The run is ending: a transfer is cancelled, the box is not asked.
  void End();

  // The worker's job hooks: the menu item is grey while a job runs.
  void JobStarted();
  void JobEnded();

  // Shorter time-outs for tests of an unreachable server.
  void SetTimeouts(UrlTimeouts timeouts) { timeouts_ = timeouts; }

 private:
  struct Shared;
  void ShowCommandState();

  WindowSurface& surface_;
  std::string baseDir_;
  std::function<void()> open_;
  UrlTimeouts timeouts_;
  std::atomic<bool> jobRunning_{false};
  std::shared_ptr<Shared> shared_;
};

}  // namespace update
}  // namespace tarnwick
