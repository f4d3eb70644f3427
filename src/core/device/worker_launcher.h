// The launcher on the worker: looks a job up in the table, turns a running
// job's button into its stop button, names the loaded file in the log when
// the row asks for it, and hands the job to the worker.
#pragma once

#include <functional>

#include "core/app/text_table.h"
#include "core/app/window_surface.h"
#include "core/device/job_launcher.h"
#include "core/device/job_table.h"
#include "core/device/worker.h"

namespace tarnwick {

class WorkerLauncher : public JobLauncher {
 public:
  // `logFile` writes the loaded file's name and size to the log (nothing
  // when no file is loaded).
  WorkerLauncher(const JobTable& jobs, Worker& worker, WindowSurface& surface,
                 const TextTable& texts, std::function<void()> logFile)
      : jobs_(jobs),
        worker_(worker),
        surface_(surface),
        texts_(texts),
        logFile_(std::move(logFile)) {}

  void Launch(Job job) override;
  // The log line a job's row asks for before it starts.
  void LogFileFirst(Job job);

 private:
  const JobTable& jobs_;
  Worker& worker_;
  WindowSurface& surface_;
  const TextTable& texts_;
  std::function<void()> logFile_;
};

}  // namespace tarnwick
