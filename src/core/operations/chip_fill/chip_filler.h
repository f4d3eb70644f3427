// Chip fill: overwrites a range of the chip directly, sector by sector. The
// box can only rewrite whole units, so each pass reads a unit, merges the
// new bytes into it in the work file "del.f" and sends it back. Job 19 on
// the worker; the dialog or the command line hands over the request first.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "core/app/command_router.h"
#include "core/device/job_launcher.h"
#include "core/device/job_table.h"
#include "core/operations/chip_fill/chip_fill_view.h"
#include "core/operations/chip_fill/fill_plan.h"
#include "core/operations/op_context.h"

namespace tarnwick {

// The dialog's fields. For 16-bit chips start and length count words.
struct ChipFillRequest {
  std::uint64_t start = 0;
  std::uint64_t length = 0;  // file mode: 0 takes the whole file
  std::string value;         // hex: a byte, or a word for 16-bit chips
  bool fileMode = false;
  std::string file;  // file mode: its units are written instead
};

class ChipFiller {
 public:
  // The work file lives in `baseDir` (with its trailing '/').
  ChipFiller(OperationContext& ctx, JobLauncher& launcher, std::string baseDir);

  void AddJobs(JobTable& jobs);
  // "芯片填充(&C)" opens the front end's dialog.
  void AddCommands(CommandRouter& router);
  void SetDialogOpener(std::function<void()> open) { openDialog_ = std::move(open); }
  void SetView(ChipFillView* view) { view_.store(view); }

  // Hands the fields to the next fill and starts job 19 (dropped, as every
  // request, while the worker is busy).
  void Request(ChipFillRequest request);
  // For callers that start the job themselves (the command line).
  void SetRequest(ChipFillRequest request);

  // The text number the last fill ended with (itext::kFillDone on success),
  // or 0 before any fill.
  int LastOutcome() const { return outcome_.load(); }
  // Job 19 on the worker: true when the range was written.
  bool FillChip();

 private:
  bool Refuse(int dialogText);
  void Status(const std::string& text);
  // One pass at the unit-aligned `address`; false on a USB failure.
  bool Pass(std::uint64_t address, std::uint64_t unit, std::uint64_t start, std::uint64_t end,
            const chip_fill::FillUnit& value, class FillSource& source);

  OperationContext& ctx_;
  JobLauncher& launcher_;
  std::string workPath_;
  std::function<void()> openDialog_;
  std::atomic<ChipFillView*> view_{nullptr};
  std::mutex requestMutex_;
  std::optional<ChipFillRequest> request_;
  std::atomic<int> outcome_{0};
};

}  // namespace tarnwick
