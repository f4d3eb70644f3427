// Whether a file named on the command line can receive what a command reads.
#pragma once

#include <string>

#include "cli/command_table.h"

namespace tarnwick::cli {

// Why `file` cannot take a command's output, or "" when it can: one of the
// program's own files, not a regular file, read-only, or in a folder that
// cannot be written.
std::string TargetProblem(const CliContext& c, const std::string& file);

}  // namespace tarnwick::cli
