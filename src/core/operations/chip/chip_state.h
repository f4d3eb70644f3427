// The chip operations' own requests and busy flags: single values the
// window thread writes and the worker reads, so each is an atomic.
#pragma once

#include <atomic>

namespace tarnwick {

struct ChipJobState {
  // Set by an operation's button while it runs (its stop function), cleared
  // when the operation starts.
  std::atomic<bool> cancelProgram{false};
  std::atomic<bool> cancelErase{false};
  std::atomic<bool> cancelVerify{false};
  std::atomic<bool> cancelRead{false};
  std::atomic<bool> cancelBlank{false};

  // Set while the operation transfers; the close sequence asks about them.
  std::atomic<bool> busyProgram{false};
  std::atomic<bool> busyErase{false};
  std::atomic<bool> busyVerify{false};
  std::atomic<bool> busyRead{false};
  std::atomic<bool> windowStopRead{false};  // set by the close sequence
};

}  // namespace tarnwick
