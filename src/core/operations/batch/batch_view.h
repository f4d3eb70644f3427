// What the batch feature tells its dialog or the command line. Called on the
// batch feature's own thread: a Qt dialog posts to its GUI thread, a test
// records.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/operations/batch/batch_plan.h"

namespace tarnwick {

// One chip of a batch, as the production record keeps it.
struct BatchChipLine {
  int chip = 0;      // 1 for the first chip of this batch
  std::string time;  // local time the chip ended, ISO 8601
  batch::Mode mode = batch::Mode::Repeat;
  std::string file;                 // the file programmed
  std::optional<std::uint32_t> id;  // the ID written (mode Serial)
  std::string checksum;             // the file checksum as the window shows it
  std::string steps;                // "erase+program+verify", the steps that ran
  int result = 0;                   // batch::kResult...
  double seconds = 0;
};

// How the wait for the next chip ended when no new chip came.
enum class BatchWaitEnd : int { None, TimedOut, BoxGone, BoxNotAnswering, BoxRefused };

// "done", "no file", "refused", "step failed".
const char* BatchResultText(int result);

class BatchView {
 public:
  virtual ~BatchView() = default;
  // The batch started (the running state's enabling) or stopped (the
  // mode's own enabling table applies again).
  virtual void ShowRunning(bool running) = 0;
  // The count box and the list's selected entry (-1: none) after a start or
  // an advance.
  virtual void ShowProgress(std::uint32_t count, int selected) = 0;
  // A start check failed: beep and focus the field.
  virtual void ShowFieldProblem(batch::Field field) = 0;
  // A chip ended with a result other than "new chip".
  virtual void ShowChipEnded(const BatchChipLine& line) = 0;
};

}  // namespace tarnwick
