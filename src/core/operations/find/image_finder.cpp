#include "core/operations/find/image_finder.h"

#include "core/app/text_ids.h"
#include "core/buffers/file_image.h"
#include "core/buffers/posix_file.h"
#include "core/buffers/tools/pattern_search.h"
#include "core/operations/find/find_texts.h"
#include "core/operations/op_support.h"
#include "resources/ids.h"

namespace tarnwick {

ImageFinder::ImageFinder(OperationContext& ctx, Worker& worker, JobLauncher& launcher)
    : ctx_(ctx), worker_(worker), launcher_(launcher) {}

void ImageFinder::AddJobs(JobTable& jobs) {
  jobs.Add({Job::Find, [this] { return Find(); }});
}

void ImageFinder::AddCommands(CommandRouter& router) {
  router.Register(ids::kFind, [this] {
    if (openDialog_) openDialog_();
  });
}

void ImageFinder::SetPattern(std::vector<std::uint8_t> pattern) {
  std::lock_guard lock(patternMutex_);
  pattern_ = std::move(pattern);
}

void ImageFinder::Start() { launcher_.Launch(Job::Find); }

void ImageFinder::Continue() { worker_.ExchangeJobCode(kFindWaiting, kFindContinue); }

void ImageFinder::Abandon() {
  // Waiting at a hit or scanning towards the next one.
  if (!worker_.ExchangeJobCode(kFindWaiting, kFindAbandon)) {
    worker_.ExchangeJobCode(kFindContinue, kFindAbandon);
  }
}

// No job has code 0: the byte reads 0 only while a search waits at a hit
// (the worker's own thread may ask too, from the view's report).
bool ImageFinder::WaitingAtHit() const { return worker_.JobCode() == kFindWaiting; }

bool ImageFinder::Find() {
  hits_ = 0;
  failed_ = false;
  std::vector<std::uint8_t> pattern;
  {
    std::lock_guard lock(patternMutex_);
    pattern = pattern_;
  }
  buffers::PosixFile file;
  if (!ctx_.image.loaded() ||
      !file.Open(ctx_.image.workingCopyPath(), buffers::PosixFile::Mode::ReadOnly)) {
    ctx_.ui.Box(ctx_.I(itext::kNoFileLoaded), BoxIcon::Warning);
    return false;
  }
  if (pattern.empty()) return false;
  // From here the byte says "scanning": an abandon or a device change
  // written into it ends the scan at the next read.
  if (!worker_.ExchangeJobCode(JobByte(Job::Find), kFindContinue)) return true;
  buffers::PatternSearch search(file, pattern);
  search.SetStopCheck(
      [this] { return worker_.JobCode() != kFindContinue || ctx_.detection.stopRequested; });
  while (const std::optional<std::uint64_t> hit = search.Next()) {
    ++hits_;
    // Wait first, then show: an answer given at once is not overwritten.
    if (!worker_.ExchangeJobCode(kFindContinue, kFindWaiting)) return true;
    if (FindView* view = view_.load()) view->ShowHit(*hit, pattern.size());
    for (;;) {
      const std::uint8_t code = worker_.JobCode();
      if (code == kFindContinue) break;
      // Abandoned, or a device change took the byte over: the search ends.
      if (code != kFindWaiting || ctx_.detection.stopRequested) return true;
      SleepMs(15);
    }
  }
  if (search.stopped()) return true;  // abandoned: no end report, no box
  const int shown = hits_.load();
  if (FindView* view = view_.load()) view->SearchEnded(shown);
  if (search.failed()) {
    // Not "nothing found": the rest of the image was never looked at.
    failed_ = true;
    const std::string text = find_texts::ReadFailedAt(search.failedAt());
    ctx_.ui.ShowStatus(text, true);
    ctx_.ui.Box(text, ctx_.I(itext::kError), BoxIcon::Error);
    return false;
  }
  ctx_.ui.Box(ctx_.I(shown > 0 ? itext::kFindFinished : itext::kFindNothing), BoxIcon::Information);
  return shown > 0;
}

}  // namespace tarnwick
