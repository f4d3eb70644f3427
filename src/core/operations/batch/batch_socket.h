// How a batch tells the next chip from the one it has just programmed. The
// chip's identification alone cannot: a chip swapped faster than one look
// at the socket answers with the same ID as the old one. So the chip just
// done is marked by its ID and a few of its bytes (the fill address, where
// each chip gets its own ID or sub-file, and the first byte the image does
// not leave erased), read back before the lamp tells the technician to take
// it out; a chip answering the same ID but other bytes is a new chip.
//
// A look at the socket is a single ID read and a peek or two in the mode the
// chip was programmed in: it writes nothing to the status line or the log.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/operations/op_context.h"

namespace tarnwick::batch {

struct ChipMark {
  std::uint32_t id = 0;
  struct Sample {
    std::uint32_t address = 0;
    std::array<std::uint8_t, 2> bytes{};
  };
  std::vector<Sample> samples;
};

enum class SocketState {
  Empty,       // no chip answers
  SameChip,    // the ID and the sampled bytes of the marked chip
  OtherChip,   // a chip that is not the marked one
  NoBox,       // the box left the bus
  NoAnswer,    // the box is there but does not answer
  BoxRefused,  // the box answers from its firmware-upgrade mode
};

// The addresses a mark samples: `fillAddress` when given, the first byte of
// the loaded image that is not 0xFF (within its first 64 KiB), else 0; each
// below the chip size.
std::vector<std::uint32_t> MarkAddresses(OperationContext& ctx,
                                         std::optional<std::uint32_t> fillAddress);

// Reads the chip in the socket for a mark; nothing when it does not answer.
std::optional<ChipMark> MarkChip(OperationContext& ctx,
                                 const std::vector<std::uint32_t>& addresses);

// One look at the socket. `id` receives the ID answered, if any.
SocketState LookAtSocket(OperationContext& ctx, const ChipMark& mark, std::uint32_t& id);

}  // namespace tarnwick::batch
