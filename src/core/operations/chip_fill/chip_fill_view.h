// What chip fill tells its dialog: the dialog's own status line and its
// Cancel button, which stays disabled while the passes run. Called on the
// worker thread.
#pragma once

#include <string>

namespace tarnwick {

class ChipFillView {
 public:
  virtual ~ChipFillView() = default;
  virtual void ShowFillStatus(const std::string& text) = 0;
  virtual void EnableCancel(bool enabled) = 0;
};

}  // namespace tarnwick
