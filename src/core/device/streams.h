// The data streams of the box protocol as reusable routines: draining stale
// answers, the program stream, the read/verify stream, the chip-fill sector
// stream and the firmware stream. They report typed results; the operations
// that call them keep their own messages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "core/device/command_channel.h"
#include "core/device/device_link.h"
#include "core/device/stream_source.h"

namespace tarnwick {

// Timeouts and limits of the streams, in one place.
namespace stream {
inline constexpr int kDrainSize = 64;
inline constexpr int kDrainSingleTimeoutMs = 10;
inline constexpr int kProgramBlockTimeoutMs = 60000;
inline constexpr int kReadBlockTimeoutMs = 5000;
inline constexpr int kSectorReadSendTimeoutMs = 5000;
inline constexpr int kSectorPieceTimeoutMs = 5000;
inline constexpr int kSectorReadyTimeoutMs = 50000;
inline constexpr int kSectorEndSendTimeoutMs = 5000;
inline constexpr int kSectorEndAnswerTimeoutMs = 60000;
inline constexpr int kFirmwarePieceTimeoutMs = 2000;
// A box that keeps sending would keep a drain going for ever; a few MiB of
// stale answers is far more than any real leftover.
inline constexpr int kMaxDrainReads = 65536;
}  // namespace stream

enum class StreamStatus {
  Done,         // every byte went through
  Cancelled,    // the caller's cancel check said stop
  UsbError,     // a transfer failed; `usbResult` holds what it returned
  Stalled,      // the box took no byte of a block: it would never finish
  SourceError,  // the source could not be read or re-positioned
  SinkError,    // the receiver of the data refused it
};

struct StreamResult {
  StreamStatus status = StreamStatus::Done;
  std::uint64_t bytes = 0;  // bytes the box took, or bytes received
  int usbResult = 0;        // the last transfer's return value
  bool ok() const { return status == StreamStatus::Done; }
};

using CancelCheck = std::function<bool()>;
// Bytes moved so far, after each block.
using ProgressCallback = std::function<void(std::uint64_t done)>;
// Received bytes with their offset in the stream; false stops the stream.
using DataSink = std::function<bool(std::uint64_t offset, const std::uint8_t* data, std::size_t n)>;

// Reads up to 64 bytes with `timeoutMs` (1 or 10 ms) and throws them away
// until a read brings nothing. Returns the number of bytes discarded.
std::uint64_t DrainAnswers(DeviceLink& link, int timeoutMs);
// The same with single bytes and 10 ms.
std::uint64_t DrainSingleBytes(DeviceLink& link);

struct ProgramStreamOptions {
  std::uint64_t length = 0;      // bytes to send in all
  std::uint64_t sourceSize = 0;  // beyond this the blocks are 0xFF
  ProgressCallback onBlock;
  CancelCheck cancelled;  // tested after each block
};
// Blocks of at most 4096 bytes to endpoint 1 with 60000 ms each. The count a
// write returns is what the box took; the source is moved back over the rest
// so the next block starts right after the last byte taken.
StreamResult RunProgramStream(DeviceLink& link, StreamSource& source,
                              const ProgramStreamOptions& options);

struct ReadStreamOptions {
  std::uint64_t total = 0;  // bytes the box will send
  DataSink onData;
  ProgressCallback onBlock;
  CancelCheck cancelled;  // tested before each read
};
// Reads of at most 8192 bytes with 5000 ms each until `total` bytes arrived;
// a read that brings fewer than 1 byte ends the stream as an error.
StreamResult RunReadStream(DeviceLink& link, const ReadStreamOptions& options);

// Chip fill, reading side: CMD_SECTOR_READ with `address`, the unit in pieces
// of at most 1024 bytes (5000 ms), then the ready byte (50000 ms). A piece
// that fails stops at once (no ready-byte wait) so that an incomplete sector
// is never written back.
StreamResult ReadSector(CommandChannel& channel, std::uint32_t address, std::uint64_t unitSize,
                        const DataSink& onData);
// Chip fill, writing side: the merged unit to endpoint 1 in pieces of at most
// 4096 bytes (60000 ms), then CMD_PROGRAM_END without new payload (the frame
// still carries the sector address) and one answer byte (60000 ms), which
// must say the sector was written.
StreamResult WriteSector(CommandChannel& channel, StreamSource& unit, std::uint64_t unitSize);

// Firmware image after BOOT_WRITE_BEGIN: pieces of 64 bytes with 2000 ms; a
// piece shorter than 64 bytes (an empty one too) is sent and ends the stream.
// `transform` may rewrite each piece in place before it is sent (the boot
// loader's scrambling); it gets the piece's offset in the image.
using PieceTransform = std::function<void(std::uint64_t offset, std::uint8_t* data, std::size_t n)>;
StreamResult RunFirmwareStream(DeviceLink& link, StreamSource& image,
                               const PieceTransform& transform, const ProgressCallback& onPiece);

}  // namespace tarnwick
