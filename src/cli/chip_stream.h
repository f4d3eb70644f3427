// "-" in place of a file: the chip's data to standard output, an image from
// standard input.
#pragma once

#include <string>

#include "cli/command_table.h"

namespace tarnwick::cli {

inline constexpr const char* kStandardStream = "-";

// Writes the image the read left (the whole chip) to standard output;
// kExitOk only when every byte went out.
int WriteChipToStdout(CliContext& c);

// Copies standard input into a file of the run's own work folder and returns
// its path, or "" with the reason in `error` (a terminal, a read error, more
// than an image can hold).
std::string StdinToWorkFile(CliContext& c, std::string& error);

}  // namespace tarnwick::cli
