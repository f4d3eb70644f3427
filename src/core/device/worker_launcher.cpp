#include "core/device/worker_launcher.h"

namespace tarnwick {

void WorkerLauncher::LogFileFirst(Job job) {
  const JobRow* row = jobs_.Find(job);
  if (row != nullptr && row->logsFileFirst && logFile_) logFile_();
}

void WorkerLauncher::Launch(Job job) {
  const JobRow* row = jobs_.Find(job);
  if (row == nullptr) return;
  if (row->stopButton != 0 && row->cancel != nullptr) {
    if (surface_.ControlText(row->stopButton) == texts_.itext(row->runningItext)) {
      row->cancel->store(true);  // the button is a stop button while its job runs
      return;
    }
    row->cancel->store(false);
  }
  LogFileFirst(job);
  worker_.StartJob(job);
}

}  // namespace tarnwick
