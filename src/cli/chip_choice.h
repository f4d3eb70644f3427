// --chip NAME: the chip the command works with (MODEL, MAKER/MODEL or
// TYPE/MAKER/MODEL, any case).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarnwick {
class Session;
}

namespace tarnwick::cli {

// Selects the named chip. With `detected` the start-up identification has
// run: when it matched catalogue records, the named chip must be one of
// them, else the candidates are printed as --chip values and the command
// stops (kExitNotACandidate). Returns kExitOk or the exit status.
// The records the identification in the socket matched: it selected the
// first of them, and they share its identification.
std::vector<std::uint32_t> SocketCandidates(Session& session);

int SelectNamedChip(Session& session, const std::string& name, bool detected);

}  // namespace tarnwick::cli
