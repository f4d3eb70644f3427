// The installed program's log does not grow without end: at its limit it
// becomes "<log>.1" (replacing an older one) and a new log begins.
#pragma once

#include <cstdint>
#include <string>

namespace tarnwick {

// Renames `path` to `path` + ".1" when it is a plain file of `limit` bytes or
// more. True when it did.
bool RotateLogIfLarge(const std::string& path, std::uint64_t limit);

}  // namespace tarnwick
