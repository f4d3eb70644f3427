// --device BUS:DEVICE|SERIAL: the box a run works with when several are
// connected.
#pragma once

#include "cli/command_table.h"

namespace tarnwick::cli {

// Chooses the box before the run touches it: the one --device names, or the
// only one. Several without --device are listed (kExitUsage); a --device no
// box answers to gives kExitNoBox. kExitOk when the run may go on.
int ChooseBox(CliContext& c);

}  // namespace tarnwick::cli
