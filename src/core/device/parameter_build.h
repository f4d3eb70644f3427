// The parameter build: how a ChipRecord's texts become bytes 0-12 and 19 of
// the CommandFrame and the chip size every operation uses.
#pragma once

#include <cstdint>
#include <optional>

#include "core/catalogue/catalogue.h"
#include "core/catalogue/chip_record.h"
#include "core/device/command_frame.h"

namespace tarnwick {

// Fills the parameter bytes from `record` and returns the chip size in bytes.
// The size is computed in 64 bits; bytes 6-9 carry its low 32 bits. Command
// bits (byte 1 bits 0-5) and the payload (bytes 13-18) are left as they are.
std::uint64_t BuildParameters(const ChipRecord& record, bool adapterFlag, CommandFrame& frame);

// The same by internal number; nullopt (frame untouched) when the index is
// outside the catalogue.
std::optional<std::uint64_t> BuildParameters(const Catalogue& catalogue, std::int64_t index,
                                             bool adapterFlag, CommandFrame& frame);

}  // namespace tarnwick
