// What the OTP feature tells its dialog or the command line, and the few
// things it asks them. Called on the worker thread: a Qt dialog posts to its
// GUI thread (and waits for the answers it is asked for), a test records.
#pragma once

#include <optional>
#include <string>

#include "core/app/window_surface.h"

namespace tarnwick {

// The three sounds of the OTP dialog: the default beep, and the information
// and error sounds of a finished operation.
enum class OtpBeep { Default, Information, Error };

class OtpView {
 public:
  virtual ~OtpView() = default;

  // The log edit: replaced, or added to. Line breaks come as "\r\n".
  virtual void SetLogText(const std::string& text) = 0;
  virtual void AppendLogText(const std::string& text) = 0;
  // The dialog's buttons and its lock check box, by control id.
  virtual void SetControlEnabled(int id, bool enabled) = 0;
  virtual void SetLockTicked(bool ticked) = 0;
  // Between the start and the end of every OTP job: the dialog keeps the
  // user from starting a second one meanwhile.
  virtual void ShowBusy(bool busy) = 0;
  virtual void Beep(OtpBeep kind) = 0;

  // Read when an operation needs them.
  virtual std::string ChosenFile() = 0;
  virtual bool LockTicked() = 0;
  virtual BoxAnswer Ask(const std::string& text, BoxIcon icon, BoxButtons buttons) = 0;
  // The save dialog of "保存": a path, or nothing when cancelled.
  virtual std::optional<std::string> AskSaveFile() = 0;
};

}  // namespace tarnwick
