// How a feature's command starts one of its jobs: the launcher looks the job
// up in the table, handles a stop button and asks the worker to run it.
#pragma once

#include "core/device/job.h"

namespace tarnwick {

class JobLauncher {
 public:
  virtual ~JobLauncher() = default;
  // A stop button whose caption shows its running text sets the job's cancel
  // request and starts nothing; otherwise the request is cleared, the file
  // is named in the log when the job's row says so, and the job starts.
  virtual void Launch(Job job) = 0;
};

}  // namespace tarnwick
