// What the firmware upgrade tells its dialog (or the command line): the
// progress bar with its text, whether the upgrade runs, the boxes and the
// closing beep. Called on the worker thread: a Qt dialog posts to its GUI
// thread, a test records.
#pragma once

#include <string>

#include "core/app/window_surface.h"

namespace tarnwick {

class FirmwareView {
 public:
  virtual ~FirmwareView() = default;

  // The dialog's progress bar: a position from 0 to 100 and its text
  // (empty: no text).
  virtual void SetProgress(int position, const std::string& text) = 0;
  // True from the start of an upgrade to its end: the dialog neither closes
  // nor starts a second one meanwhile.
  virtual void ShowRunning(bool running) = 0;
  // The boxes of a failed step, with the dialog as their parent.
  virtual void ShowBox(const std::string& text, BoxIcon icon) = 0;
  // The information sound of an accepted image.
  virtual void Beep() = 0;
  // The .tfw file the user chose (empty: none yet).
  virtual std::string ChosenFile() = 0;
};

}  // namespace tarnwick
