// The exit statuses of tarnwick-cli, one row each: the constants the commands
// return and the table that --help, the manual page and the README print.
#pragma once

#include <span>

namespace tarnwick::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
// The chip refused the identification or did not answer it.
inline constexpr int kExitChipSilent = 3;
// No programmer box is connected (or it cannot be opened).
inline constexpr int kExitNoBox = 4;
// --chip names a chip the identification in the socket does not match.
inline constexpr int kExitNotACandidate = 5;
// The chip in the socket matched no catalogue record (an unknown ID, or an
// answer that gives only its family) and --chip did not name it.
inline constexpr int kExitChipNotNamed = 6;

struct ExitCodeRow {
  int code;
  const char* meaning;
};

std::span<const ExitCodeRow> ExitCodes();

}  // namespace tarnwick::cli
