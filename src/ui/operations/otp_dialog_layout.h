// The OTP dialog's controls in dialog units: the file to program or verify
// with its open button on top, the lock box under it, then the log with the
// operation buttons in a column beside it.
#pragma once

#include "ui/app/dialog_builder.h"

namespace tarnwick {

const DialogTemplate& OtpDialogTemplate();

}  // namespace tarnwick
