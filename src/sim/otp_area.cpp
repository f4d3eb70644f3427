#include "sim/otp_area.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace tarnwick::sim {
namespace {

using namespace protocol;

std::uint32_t Le16(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8;
}

}  // namespace

bool OtpArea::Open(const OtpDescription& description, const std::string& path, std::string& error) {
  bytes_.assign(description.size, 0xFF);
  start_ = description.start;
  locked_ = description.locked;
  requiredMethod_ = description.method;
  path_ = path;
  Reset();
  if (bytes_.empty() || path_.empty()) return true;
  std::error_code ec;
  if (std::filesystem::exists(path_, ec) && !std::filesystem::is_regular_file(path_, ec)) {
    error =
        "OTP file " + path_ +
        (std::filesystem::is_directory(path_, ec) ? " is a directory" : " is not a regular file");
    return false;
  }
  std::ifstream in(path_, std::ios::binary);
  if (in) {
    std::vector<std::uint8_t> stored((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
    if (stored.size() != bytes_.size() + 1) {
      error = "OTP file " + path_ + " does not fit an OTP area of " +
              std::to_string(bytes_.size()) + " bytes";
      return false;
    }
    std::copy_n(stored.begin(), bytes_.size(), bytes_.begin());
    locked_ = locked_ || stored.back() != 0;
  }
  Save();
  return true;
}

void OtpArea::Reset() {
  methodOk_ = false;
  entered_ = false;
}

void OtpArea::Save() {
  if (path_.empty() || bytes_.empty()) return;
  std::ofstream out(path_, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes_.data()),
            static_cast<std::streamsize>(bytes_.size()));
  const char lock = locked_ ? 1 : 0;
  out.write(&lock, 1);
}

OtpAnswer OtpArea::Answer(std::uint8_t status) const {
  OtpAnswer a{};
  a[0] = kStartMarker;
  a[1] = kOtpAnswerTag;
  a[2] = status;
  a[kOtpAnswerSize - 1] = kEndMarker;
  return a;
}

bool OtpArea::InRange(std::uint32_t address, std::uint32_t length) const {
  return length <= kOtpMaxData && address >= start_ &&
         address + length <= start_ + static_cast<std::uint32_t>(bytes_.size());
}

std::optional<OtpAnswer> OtpArea::OnFrame(const std::uint8_t* f, std::size_t size, bool chipTalks) {
  const bool isShort = size == kOtpShortFrameSize && f[1] == kOtpShortTag;
  const bool isLong = size == kOtpLongFrameSize && f[1] == kOtpLongTag;
  if ((!isShort && !isLong) || f[0] != kStartMarker || f[size - 1] != kEndMarker) {
    return std::nullopt;
  }
  const std::uint8_t code = f[2];
  const std::uint8_t* payload = f + 3;
  const bool usable = chipTalks && Present();
  if (isLong) {
    // Writes are never answered; a refused write simply changes nothing.
    if (code == OTP_WRITE && usable && entered_ && !locked_) {
      const std::uint32_t address = Le16(payload);
      const std::uint32_t length = Le16(payload + 2);
      if (InRange(address, length)) {
        for (std::uint32_t i = 0; i < length; ++i) bytes_[address - start_ + i] &= payload[4 + i];
        Save();
      }
    }
    return std::nullopt;
  }
  switch (code) {
    case OTP_METHOD:
      methodOk_ = requiredMethod_.empty() ||
                  std::equal(requiredMethod_.begin(), requiredMethod_.end(), payload);
      return std::nullopt;
    case OTP_ENTER:
      entered_ = usable && methodOk_;
      return Answer(entered_ ? kOtpStatusDone : kOtpStatusRefused);
    case OTP_EXIT:
      entered_ = false;
      return Answer(kOtpStatusDone);
    case OTP_STATUS: {
      if (!usable || !entered_) return Answer(kOtpStatusRefused);
      OtpAnswer a = Answer(kOtpStatusLock);
      a[kOtpAnswerData] = locked_ ? 1 : 0;
      // The security-register status byte: lock bit in bit 7.
      a[kOtpAnswerData + 1] = locked_ ? 0x80 : 0x00;
      return a;
    }
    case OTP_LOCK:
      if (!usable || !entered_) return Answer(kOtpStatusRefused);
      if (!locked_) {
        locked_ = true;
        Save();
      }
      return Answer(kOtpStatusDone);
    case OTP_READ: {
      const std::uint32_t address = Le16(payload);
      const std::uint32_t length = Le16(payload + 2);
      if (!usable || !entered_ || !InRange(address, length)) return Answer(kOtpStatusRefused);
      OtpAnswer a = Answer(kOtpStatusData);
      std::copy_n(bytes_.begin() + (address - start_), length, a.begin() + kOtpAnswerData);
      return a;
    }
    default:
      return std::nullopt;
  }
}

}  // namespace tarnwick::sim
