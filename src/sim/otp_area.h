// The chip's one-time-programmable area and the OTP frames that reach it.
// Its bytes and lock state persist beside the chip content ("<content>.otp":
// the area, then one lock byte) because a lock is for ever.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "protocol/protocol.h"
#include "sim/box_description.h"

namespace tarnwick::sim {

using OtpAnswer = std::array<std::uint8_t, protocol::kOtpAnswerSize>;

// Status of an OTP answer the box gives when it cannot do what was asked.
inline constexpr std::uint8_t kOtpStatusRefused = 0x3E;

class OtpArea {
 public:
  // An area of size 0 stays absent; `path` empty keeps it in memory only.
  bool Open(const OtpDescription& description, const std::string& path, std::string& error);

  bool Present() const { return !bytes_.empty(); }
  bool Locked() const { return locked_; }
  bool Entered() const { return entered_; }
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
  // Leaves the OTP mode and forgets the method (box reset, chip swap).
  void Reset();

  // One OTP frame. `chipTalks` is false when the chip does not answer in
  // the box's current access mode. Returns the answer frame to send, if any.
  std::optional<OtpAnswer> OnFrame(const std::uint8_t* frame, std::size_t size, bool chipTalks);

 private:
  OtpAnswer Answer(std::uint8_t status) const;
  bool InRange(std::uint32_t address, std::uint32_t length) const;
  void Save();

  std::vector<std::uint8_t> bytes_;
  std::uint32_t start_ = 0;
  bool locked_ = false;
  std::vector<std::uint8_t> requiredMethod_;
  bool methodOk_ = false;
  bool entered_ = false;
  std::string path_;
};

}  // namespace tarnwick::sim
