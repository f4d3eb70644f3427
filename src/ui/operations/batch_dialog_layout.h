// The batch dialog's controls in dialog units: the mode on top, the file
// list with its buttons, the master file, the number fields, and the start,
// stop and exit buttons at the bottom.
#pragma once

#include <QRect>

#include "ui/app/dialog_builder.h"

namespace tarnwick {

const DialogTemplate& BatchDialogTemplate();

// The file list is no control kind of the builder: the dialog makes it here.
inline constexpr QRect kBatchFileListRect{7, 26, 200, 96};

}  // namespace tarnwick
