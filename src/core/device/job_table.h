// The one table of the worker's jobs. Each feature contributes its rows; the
// worker, the lamp rule, the stop buttons and the command line read them.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "core/device/job.h"

namespace tarnwick {

// What the box's lamp shows when a job ends.
enum class LampRule : std::uint8_t {
  Outcome,  // succeeded or failed, from the job's result
  Neutral,  // the detection jobs: their result is not the box's business
  // The job shows its outcome itself and the worker leaves the lamp as the
  // job left it: the batch step ends when the next chip is in, which must
  // not light up with the last chip's outcome.
  OwnLamp,
};

// What closing the window does while the job runs.
struct CloseRule {
  // The OK/Cancel question (an itext number) asked before the job is stopped;
  // 0: the job is stopped without one (it changes neither the chip nor the box).
  int question = 0;
  // The job is never cut: the close waits until it has ended (a firmware
  // upgrade cut mid-erase leaves the box without firmware).
  bool waitForEnd = false;
};

struct JobRow {
  Job code;
  std::function<bool()> run;
  LampRule lamp = LampRule::Outcome;
  // A job whose button doubles as its stop button while it runs: the button,
  // the caption's text number while running, and the job's cancel request.
  int stopButton = 0;
  int runningItext = 0;
  std::atomic<bool>* cancel = nullptr;
  // Program and verify name the loaded file in the log before they start.
  bool logsFileFirst = false;
  CloseRule close{};
};

class JobTable {
 public:
  // A code has one row: a second row for it, or a row for the idle code, is
  // refused (false).
  bool Add(JobRow row);
  // nullptr for a code no feature registered (it runs nothing).
  const JobRow* Find(std::uint8_t code) const;
  const JobRow* Find(Job code) const { return Find(JobByte(code)); }
  // The row whose stop button is `buttonId`, or nullptr.
  const JobRow* FindByStopButton(int buttonId) const;
  std::vector<Job> Codes() const;

 private:
  std::map<std::uint8_t, JobRow> rows_;
};

}  // namespace tarnwick
