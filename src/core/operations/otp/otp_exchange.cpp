#include "core/operations/otp/otp_exchange.h"

#include <algorithm>

#include "protocol/protocol.h"

namespace tarnwick::otp {
namespace {

using namespace protocol;

// How long the box may take to answer: a read goes to the chip and back.
constexpr int kAnswerMs = 500;
constexpr int kReadAnswerMs = 1000;

int SendTimeout(Frame frame, std::uint8_t code) {
  const CommandInfo* info = FindCommand(frame, code);
  return info != nullptr ? info->sendTimeoutMs : 0;
}

bool Short(CommandChannel& channel, std::uint8_t code, const std::uint8_t* payload = nullptr,
           std::size_t length = 0) {
  return channel.SendOtpShort(code, payload, length, SendTimeout(Frame::OtpShort, code));
}

// A command whose only answer is "done".
bool ShortDone(CommandChannel& channel, std::uint8_t code) {
  if (!Short(channel, code)) return false;
  OtpAnswer answer;
  return channel.ReadOtpAnswer(answer, kOtpStatusDone, kAnswerMs);
}

}  // namespace

bool SendMethod(CommandChannel& channel, const MethodRecord& method) {
  return Short(channel, OTP_METHOD, method.data(), method.size());
}

bool Enter(CommandChannel& channel) { return ShortDone(channel, OTP_ENTER); }
bool Leave(CommandChannel& channel) { return ShortDone(channel, OTP_EXIT); }
bool Lock(CommandChannel& channel) { return ShortDone(channel, OTP_LOCK); }

std::optional<Status> ReadStatus(CommandChannel& channel) {
  if (!Short(channel, OTP_STATUS)) return std::nullopt;
  OtpAnswer answer;
  if (!channel.ReadOtpAnswer(answer, kOtpStatusLock, kAnswerMs)) return std::nullopt;
  return Status{answer.data()[0], answer.data()[1]};
}

bool ReadChunk(CommandChannel& channel, std::uint16_t address, std::uint8_t* out,
               std::size_t length) {
  if (length > kChunk) return false;
  const auto payload = OtpReadPayload(address, static_cast<std::uint16_t>(length));
  if (!Short(channel, OTP_READ, payload.data(), payload.size())) return false;
  OtpAnswer answer;
  if (!channel.ReadOtpAnswer(answer, kOtpStatusData, kReadAnswerMs)) return false;
  std::copy_n(answer.data(), length, out);
  return true;
}

bool WriteChunk(CommandChannel& channel, std::uint16_t address, const std::uint8_t* data,
                std::size_t length) {
  if (length > kChunk) return false;
  const OtpWritePayload payload = MakeOtpWritePayload(address, data, length);
  return channel.SendOtpLong(OTP_WRITE, payload.bytes.data(), payload.size,
                             SendTimeout(Frame::OtpLong, OTP_WRITE));
}

}  // namespace tarnwick::otp
