#include "cli/exit_codes.h"

namespace tarnwick::cli {
namespace {

constexpr ExitCodeRow kRows[] = {
    {kExitOk, "done and checked"},
    {kExitFailed, "the operation failed"},
    {kExitUsage, "wrong command line"},
    {kExitChipSilent, "the chip refused or did not answer"},
    {kExitNoBox, "no programmer box"},
    {kExitNotACandidate, "the chip in the socket is not the --chip named"},
    {kExitChipNotNamed, "the chip must be named with --chip"},
};

}  // namespace

std::span<const ExitCodeRow> ExitCodes() { return kRows; }

}  // namespace tarnwick::cli
