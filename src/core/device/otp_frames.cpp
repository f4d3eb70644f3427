#include "core/device/otp_frames.h"

#include <algorithm>

#include "core/device/byte_order.h"

namespace tarnwick {
namespace {

template <std::size_t N>
std::array<std::uint8_t, N> MakeOtpFrame(std::uint8_t tag, std::uint8_t code,
                                         const std::uint8_t* payload, std::size_t length) {
  constexpr std::size_t kRoom = N - 4;  // A5, tag, code ... 5A
  std::array<std::uint8_t, N> f{};
  f[0] = protocol::kStartMarker;
  f[1] = tag;
  f[2] = code;
  f[N - 1] = protocol::kEndMarker;
  if (payload != nullptr) {
    const std::size_t n = std::min<std::size_t>(length % 256, kRoom);
    std::copy_n(payload, n, f.begin() + 3);
  }
  return f;
}

}  // namespace

OtpShortFrame MakeOtpShortFrame(std::uint8_t code, const std::uint8_t* payload,
                                std::size_t length) {
  return MakeOtpFrame<protocol::kOtpShortFrameSize>(protocol::kOtpShortTag, code, payload, length);
}

OtpLongFrame MakeOtpLongFrame(std::uint8_t code, const std::uint8_t* payload, std::size_t length) {
  return MakeOtpFrame<protocol::kOtpLongFrameSize>(protocol::kOtpLongTag, code, payload, length);
}

std::array<std::uint8_t, 4> OtpReadPayload(std::uint16_t address, std::uint16_t length) {
  std::array<std::uint8_t, 4> p{};
  PutLittleEndian16(p.data(), address);
  PutLittleEndian16(p.data() + 2, length);
  return p;
}

OtpWritePayload MakeOtpWritePayload(std::uint16_t address, const std::uint8_t* data,
                                    std::size_t length) {
  OtpWritePayload p;
  const std::size_t n = data == nullptr ? 0 : std::min(length, protocol::kOtpMaxData);
  PutLittleEndian16(p.bytes.data(), address);
  PutLittleEndian16(p.bytes.data() + 2, static_cast<std::uint16_t>(n));
  std::copy_n(data, n, p.bytes.begin() + 4);
  p.size = 4 + n;
  return p;
}

bool AcceptOtpAnswer(const std::uint8_t* bytes, int count, std::uint8_t expectedStatus) {
  if (bytes == nullptr || count != static_cast<int>(protocol::kOtpAnswerSize)) return false;
  return bytes[0] == protocol::kStartMarker && bytes[1] == protocol::kOtpAnswerTag &&
         bytes[2] == expectedStatus && bytes[protocol::kOtpAnswerSize - 1] == protocol::kEndMarker;
}

}  // namespace tarnwick
