#include "core/device/streams.h"

#include <algorithm>
#include <array>
#include <vector>

#include "protocol/protocol.h"

namespace tarnwick {
namespace {

// What a failed frame send is reported as; the write itself only says no.
constexpr int kSendFailed = -5;

bool IsCancelled(const CancelCheck& cancelled) { return cancelled && cancelled(); }

std::uint64_t Drain(DeviceLink& link, int size, int timeoutMs) {
  std::array<std::uint8_t, stream::kDrainSize> scratch{};
  std::uint64_t discarded = 0;
  for (int i = 0; i < stream::kMaxDrainReads; ++i) {
    const int n = link.ReadAnswer(scratch.data(), size, timeoutMs);
    if (n < 1) break;
    discarded += static_cast<std::uint64_t>(n);
  }
  return discarded;
}

}  // namespace

std::uint64_t DrainAnswers(DeviceLink& link, int timeoutMs) {
  return Drain(link, stream::kDrainSize, timeoutMs);
}

std::uint64_t DrainSingleBytes(DeviceLink& link) {
  return Drain(link, 1, stream::kDrainSingleTimeoutMs);
}

StreamResult RunProgramStream(DeviceLink& link, StreamSource& source,
                              const ProgramStreamOptions& options) {
  StreamResult r;
  std::vector<std::uint8_t> block(protocol::kProgramBlock);
  while (r.bytes < options.length) {
    std::size_t size = static_cast<std::size_t>(
        std::min<std::uint64_t>(protocol::kProgramBlock, options.length - r.bytes));
    bool fromSource = false;
    if (r.bytes < options.sourceSize) {
      // A short read at the source's end makes this block shorter; the 0xFF
      // fill starts with the next one.
      const std::int64_t got = source.Read(block.data(), size);
      if (got < 0) {
        r.status = StreamStatus::SourceError;
        return r;
      }
      if (got > 0) {
        size = static_cast<std::size_t>(got);
        fromSource = true;
      }
    }
    if (!fromSource) std::fill_n(block.begin(), size, std::uint8_t{0xFF});

    const int written =
        link.WriteData(block.data(), static_cast<int>(size), stream::kProgramBlockTimeoutMs);
    r.usbResult = written;
    if (written < 0) {
      r.status = StreamStatus::UsbError;
      return r;
    }
    if (written == 0) {
      // Sending the same block again would go on for ever.
      r.status = StreamStatus::Stalled;
      return r;
    }
    const std::size_t taken = std::min(static_cast<std::size_t>(written), size);
    r.bytes += taken;
    if (options.onBlock) options.onBlock(r.bytes);
    if (r.bytes >= options.length) break;
    if (fromSource && taken < size &&
        !source.Seek(static_cast<std::int64_t>(taken) - static_cast<std::int64_t>(size))) {
      r.status = StreamStatus::SourceError;
      return r;
    }
    if (IsCancelled(options.cancelled)) {
      r.status = StreamStatus::Cancelled;
      return r;
    }
  }
  return r;
}

StreamResult RunReadStream(DeviceLink& link, const ReadStreamOptions& options) {
  StreamResult r;
  std::vector<std::uint8_t> block(
      static_cast<std::size_t>(std::min<std::uint64_t>(protocol::kReadBlock, options.total)));
  while (r.bytes < options.total) {
    if (IsCancelled(options.cancelled)) {
      r.status = StreamStatus::Cancelled;
      return r;
    }
    // Never ask for more than the chip still holds, so nothing that follows
    // the stream is swallowed into it.
    const int ask =
        static_cast<int>(std::min<std::uint64_t>(block.size(), options.total - r.bytes));
    const int n = link.ReadAnswer(block.data(), ask, stream::kReadBlockTimeoutMs);
    r.usbResult = n;
    if (n < 1) {
      r.status = StreamStatus::UsbError;
      return r;
    }
    const std::size_t got = std::min(static_cast<std::size_t>(n), static_cast<std::size_t>(ask));
    if (options.onData && !options.onData(r.bytes, block.data(), got)) {
      r.status = StreamStatus::SinkError;
      return r;
    }
    r.bytes += got;
    if (options.onBlock) options.onBlock(r.bytes);
  }
  return r;
}

StreamResult ReadSector(CommandChannel& channel, std::uint32_t address, std::uint64_t unitSize,
                        const DataSink& onData) {
  StreamResult r;
  if (!channel.SendCommandWithNumber(protocol::CMD_SECTOR_READ, stream::kSectorReadSendTimeoutMs,
                                     address)) {
    r.status = StreamStatus::UsbError;
    r.usbResult = kSendFailed;
    return r;
  }
  std::array<std::uint8_t, protocol::kSectorPiece> piece{};
  while (r.bytes < unitSize) {
    const int ask = static_cast<int>(std::min<std::uint64_t>(piece.size(), unitSize - r.bytes));
    const int n = channel.link().ReadAnswer(piece.data(), ask, stream::kSectorPieceTimeoutMs);
    r.usbResult = n;
    if (n < 1) {
      r.status = StreamStatus::UsbError;
      return r;
    }
    const std::size_t got = std::min(static_cast<std::size_t>(n), static_cast<std::size_t>(ask));
    if (onData && !onData(r.bytes, piece.data(), got)) {
      r.status = StreamStatus::SinkError;
      return r;
    }
    r.bytes += got;
  }
  std::uint8_t ready = 0;
  r.usbResult = channel.link().ReadAnswer(&ready, 1, stream::kSectorReadyTimeoutMs);
  if (r.usbResult < 1) r.status = StreamStatus::UsbError;
  return r;
}

StreamResult WriteSector(CommandChannel& channel, StreamSource& unit, std::uint64_t unitSize) {
  ProgramStreamOptions options;
  options.length = unitSize;
  options.sourceSize = unitSize;
  StreamResult r = RunProgramStream(channel.link(), unit, options);
  if (!r.ok()) return r;
  if (!channel.SendCommand(protocol::CMD_PROGRAM_END, stream::kSectorEndSendTimeoutMs)) {
    r.status = StreamStatus::UsbError;
    r.usbResult = kSendFailed;
    return r;
  }
  std::uint8_t answer = 0;
  r.usbResult = channel.link().ReadAnswer(&answer, 1, stream::kSectorEndAnswerTimeoutMs);
  if (r.usbResult < 1) {
    r.status = StreamStatus::UsbError;
  } else if (answer != protocol::kProgramEndDone) {
    r.status = StreamStatus::SinkError;  // the box did not write the sector back
  }
  return r;
}

StreamResult RunFirmwareStream(DeviceLink& link, StreamSource& image,
                               const PieceTransform& transform, const ProgressCallback& onPiece) {
  StreamResult r;
  std::array<std::uint8_t, protocol::kFirmwarePiece> piece{};
  for (;;) {
    const std::int64_t got = image.Read(piece.data(), piece.size());
    if (got < 0) {
      r.status = StreamStatus::SourceError;
      return r;
    }
    const std::size_t size = static_cast<std::size_t>(got);
    if (transform && size > 0) transform(r.bytes, piece.data(), size);
    // The short (possibly empty) last piece is sent too: it tells the boot
    // loader that the image has ended.
    const int written =
        link.WriteData(piece.data(), static_cast<int>(size), stream::kFirmwarePieceTimeoutMs);
    r.usbResult = written;
    if (written < 0) {
      r.status = StreamStatus::UsbError;
      return r;
    }
    if (static_cast<std::size_t>(written) < size) {
      // Pieces are not re-sent; a partly taken one would leave a hole in the
      // new firmware.
      r.status = StreamStatus::Stalled;
      r.bytes += static_cast<std::size_t>(written);
      return r;
    }
    r.bytes += size;
    if (onPiece) onPiece(r.bytes);
    if (size < piece.size()) return r;
  }
}

}  // namespace tarnwick
