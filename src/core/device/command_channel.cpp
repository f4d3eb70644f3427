#include "core/device/command_channel.h"

namespace tarnwick {

bool CommandChannel::SendCommand(std::uint8_t code, int timeoutMs, const std::uint8_t* payload,
                                 std::size_t length) {
  SetFrameCommand(frame_, code, payload, length);
  return link_.WriteInterrupt(protocol::kEndpointCommand, frame_.bytes.data(),
                              static_cast<int>(frame_.bytes.size()), timeoutMs);
}

bool CommandChannel::SendCommandWithNumber(std::uint8_t code, int timeoutMs, std::uint32_t value) {
  const auto payload = BigEndianPayload(value);
  return SendCommand(code, timeoutMs, payload.data(), payload.size());
}

bool CommandChannel::SendBootCommand(std::uint8_t code, int timeoutMs, std::uint8_t value) {
  const BootFrame f = MakeBootFrame(code, value);
  return link_.WriteInterrupt(protocol::kEndpointCommand, f.data(), static_cast<int>(f.size()),
                              timeoutMs);
}

bool CommandChannel::SendOtpShort(std::uint8_t code, const std::uint8_t* payload,
                                  std::size_t length, int timeoutMs) {
  const OtpShortFrame f = MakeOtpShortFrame(code, payload, length);
  return link_.WriteInterrupt(protocol::kEndpointCommand, f.data(), static_cast<int>(f.size()),
                              timeoutMs);
}

bool CommandChannel::SendOtpLong(std::uint8_t code, const std::uint8_t* payload, std::size_t length,
                                 int timeoutMs) {
  const OtpLongFrame f = MakeOtpLongFrame(code, payload, length);
  return link_.WriteInterrupt(protocol::kEndpointCommand, f.data(), static_cast<int>(f.size()),
                              timeoutMs);
}

int CommandChannel::ReadOtpAnswer(OtpAnswer& answer, int timeoutMs) {
  answer.bytes.fill(0);
  answer.count =
      link_.ReadAnswer(answer.bytes.data(), static_cast<int>(answer.bytes.size()), timeoutMs);
  return answer.count;
}

bool CommandChannel::ReadOtpAnswer(OtpAnswer& answer, std::uint8_t expectedStatus, int timeoutMs) {
  ReadOtpAnswer(answer, timeoutMs);
  return AcceptOtpAnswer(answer, expectedStatus);
}

bool SendCommandInOwnFrame(DeviceLink& link, std::uint8_t code, int timeoutMs) {
  CommandFrame own;
  own.bytes.fill(0);
  own.bytes[0] = protocol::kStartMarker;
  own.bytes[protocol::kFrameEnd] = protocol::kEndMarker;
  SetFrameCommand(own, code, nullptr, 0);
  return link.WriteInterrupt(protocol::kEndpointCommand, own.bytes.data(),
                             static_cast<int>(own.bytes.size()), timeoutMs);
}

}  // namespace tarnwick
