// Find in the file image: job 24 on the worker. The job-code byte is the
// search's control word while it runs: the job writes 0 when it waits at a
// hit, 3 while it scans, the dialog turns 0 into 3 to go on and 0 or 3 into
// 2 to abandon, and 255 means no search. No job has code 0, 2 or 3, so an
// abandon never touches another job's code.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "core/app/command_router.h"
#include "core/device/job_launcher.h"
#include "core/device/job_table.h"
#include "core/device/worker.h"
#include "core/operations/find/find_view.h"
#include "core/operations/op_context.h"

namespace tarnwick {

// Values of the job-code byte during a search.
inline constexpr std::uint8_t kFindWaiting = 0;
inline constexpr std::uint8_t kFindContinue = 3;  // scanning
inline constexpr std::uint8_t kFindAbandon = 2;

class ImageFinder {
 public:
  ImageFinder(OperationContext& ctx, Worker& worker, JobLauncher& launcher);

  void AddJobs(JobTable& jobs);
  // "数据查找(&L)" opens the front end's dialog.
  void AddCommands(CommandRouter& router);
  void SetDialogOpener(std::function<void()> open) { openDialog_ = std::move(open); }
  void SetView(FindView* view) { view_.store(view); }

  // The pattern of the next search, as bytes.
  void SetPattern(std::vector<std::uint8_t> pattern);
  // Starts job 24 with the pattern set.
  void Start();
  // Answers a search waiting at a hit.
  void Continue();
  void Abandon();
  bool WaitingAtHit() const;

  int HitsShown() const { return hits_.load(); }
  // The last search stopped because the image could not be read.
  bool SearchFailed() const { return failed_.load(); }
  // Job 24: true when something was found.
  bool Find();

 private:
  OperationContext& ctx_;
  Worker& worker_;
  JobLauncher& launcher_;
  std::function<void()> openDialog_;
  std::atomic<FindView*> view_{nullptr};
  std::mutex patternMutex_;
  std::vector<std::uint8_t> pattern_;
  std::atomic<int> hits_{0};
  std::atomic<bool> failed_{false};
};

}  // namespace tarnwick
