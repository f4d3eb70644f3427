#include "core/operations/batch/batch_socket.h"

#include <algorithm>

#include "core/buffers/file_image.h"
#include "core/catalogue/chip_selection.h"
#include "core/device/device_link.h"
#include "core/operations/op_support.h"
#include "protocol/protocol.h"

namespace tarnwick::batch {

namespace {

constexpr std::size_t kScanLimit = 64 * 1024;
constexpr int kSetupTimeoutMs = 100;
constexpr int kAnswerTimeoutMs = 1000;
constexpr std::uint32_t kNoChipAnswer = 0xFFFFFF;
constexpr std::uint32_t kSilentAnswer = 0x000000;

enum class Answer { Ok, Failed };

Answer ReadId(OperationContext& ctx, std::uint32_t& id) {
  Drain64(ctx, 1, true);
  if (!Send(ctx, protocol::CMD_SETUP, kSetupTimeoutMs)) return Answer::Failed;
  if (!Send(ctx, protocol::CMD_READ_ID, kAnswerTimeoutMs)) return Answer::Failed;
  std::uint8_t b[3] = {};
  if (Read(ctx, b, 3, kAnswerTimeoutMs) != 3) return Answer::Failed;
  id = (std::uint32_t{b[0]} << 16) | (std::uint32_t{b[1]} << 8) | b[2];
  return Answer::Ok;
}

Answer Peek(OperationContext& ctx, std::uint32_t address, std::array<std::uint8_t, 2>& bytes) {
  const std::uint8_t payload[4] = {
      static_cast<std::uint8_t>(address >> 24), static_cast<std::uint8_t>(address >> 16),
      static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address)};
  if (!Send(ctx, protocol::CMD_PEEK, kAnswerTimeoutMs, payload, 4)) return Answer::Failed;
  return Read(ctx, bytes.data(), 2, kAnswerTimeoutMs) == 2 ? Answer::Ok : Answer::Failed;
}

SocketState Failure(OperationContext& ctx) {
  return ctx.link.DevicePresent() ? SocketState::NoAnswer : SocketState::NoBox;
}

}  // namespace

std::vector<std::uint32_t> MarkAddresses(OperationContext& ctx,
                                         std::optional<std::uint32_t> fillAddress) {
  const std::uint64_t chipSize = ctx.selection.ChipSize();
  std::vector<std::uint32_t> addresses;
  if (fillAddress && *fillAddress < chipSize) addresses.push_back(*fillAddress);
  buffers::ImageReader reader = ctx.image.OpenReader();
  std::vector<std::uint8_t> head(kScanLimit);
  const std::int64_t n = reader.isOpen() ? reader.Read(head.data(), head.size()) : -1;
  std::uint32_t first = 0;
  if (n > 0) {
    const auto end = head.begin() + n;
    const auto it = std::find_if(head.begin(), end, [](std::uint8_t b) { return b != 0xFF; });
    if (it != end) first = static_cast<std::uint32_t>(it - head.begin());
  }
  if (first < chipSize && std::find(addresses.begin(), addresses.end(), first) == addresses.end()) {
    addresses.push_back(first);
  }
  return addresses;
}

std::optional<ChipMark> MarkChip(OperationContext& ctx,
                                 const std::vector<std::uint32_t>& addresses) {
  ChipMark mark;
  if (ReadId(ctx, mark.id) != Answer::Ok) return std::nullopt;
  for (std::uint32_t address : addresses) {
    ChipMark::Sample s{address, {}};
    if (Peek(ctx, address, s.bytes) != Answer::Ok) return std::nullopt;
    mark.samples.push_back(s);
  }
  return mark;
}

SocketState LookAtSocket(OperationContext& ctx, const ChipMark& mark, std::uint32_t& id) {
  id = kNoChipAnswer;
  if (ReadId(ctx, id) != Answer::Ok) return Failure(ctx);
  if (id == protocol::kIdRefusal) return SocketState::BoxRefused;
  if (id == kNoChipAnswer || id == kSilentAnswer) return SocketState::Empty;
  if (id != mark.id) return SocketState::OtherChip;
  for (const ChipMark::Sample& s : mark.samples) {
    std::array<std::uint8_t, 2> now{};
    if (Peek(ctx, s.address, now) != Answer::Ok) return Failure(ctx);
    if (now != s.bytes) return SocketState::OtherChip;
  }
  return SocketState::SameChip;
}

}  // namespace tarnwick::batch
