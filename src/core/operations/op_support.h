// Small pieces every operation uses: sending commands on the shared frame,
// draining stale answers, elapsed times, greying command sets.
#pragma once

#include <cstdint>
#include <string>

#include "core/app/text_format.h"
#include "core/operations/command_sets.h"

#include "core/operations/op_context.h"

namespace tarnwick {

bool Send(OperationContext& ctx, std::uint8_t code, int timeoutMs,
          const std::uint8_t* payload = nullptr, std::size_t length = 0);
int Read(OperationContext& ctx, std::uint8_t* buffer, int count, int timeoutMs);
// Reads 64-byte pieces with `timeoutMs` until a read fails (or once with `once`).
void Drain64(OperationContext& ctx, int timeoutMs, bool once = false);
// Reads single bytes with 10 ms until a read fails.
void DrainBytes(OperationContext& ctx);
void SleepMs(int ms);

// Seconds since midnight of the local time: elapsed times are differences of
// these, as the box's users have always seen them.
int TimeOfDaySeconds(OperationContext& ctx);
// "%d:%d" of whole minutes and seconds.
std::string MinSec(int seconds);
// Elapsed seconds from `start` (time of day); wraps over midnight.
int Elapsed(OperationContext& ctx, int start);

// Rebuilds the frame parameters from the selected record (after probing or a reset).
void RebuildParameters(OperationContext& ctx);

// The checks chip operations start with, each showing its own message:
// the box is in its firmware-upgrade mode (itext::kBoxRefused), no file image
// (itext::kNoFileLoaded).
bool RefusedByBox(OperationContext& ctx);
// No catalogue record is selected, or its size is 0: nothing can be set up
// (itext::kNoChipSelected, an error line).
bool NoChipSelected(OperationContext& ctx);
bool ImageMissing(OperationContext& ctx);
// The image is loaded but holds no byte: "<file name>: " and
// itext::kFileEmpty, an error line and a warning box.
bool ImageEmpty(OperationContext& ctx);

void DisableAll(OperationContext& ctx, CommandSet ids);
void EnableAll(OperationContext& ctx, CommandSet ids);

}  // namespace tarnwick
