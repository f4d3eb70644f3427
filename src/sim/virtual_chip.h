// The chip in the socket: its access mode, its identification, its content
// with real write semantics (flash programming clears bits, erase sets 0xFF;
// an EEPROM takes the bytes as written), its OTP area and QE bit.
#pragma once

#include <cstdint>
#include <string>

#include "sim/box_description.h"
#include "sim/chip_storage.h"
#include "sim/otp_area.h"

namespace tarnwick::sim {

// The access mode a frame asks for (byte 1 bit 7, byte 2 low nibble, byte 3).
struct AccessMode {
  std::uint8_t accessClass = 0;
  std::uint8_t subcode = 0;
  bool fiveVolt = false;
};

class VirtualChip {
 public:
  bool Open(const ChipDescription& description, std::string& error);

  const ChipDescription& Description() const { return description_; }
  std::uint64_t Size() const { return storage_.Size(); }
  const std::string& ContentPath() const { return storage_.Path(); }

  // True when the chip answers in this mode.
  bool Talks(const AccessMode& mode) const;
  // True when CMD_READ_ID in this mode reaches the chip: its own modes, and
  // for an EEPROM also subcode 00 of its class and voltage, the family probe
  // (the box finds the chip on its bus whatever addressing the chip takes).
  bool AnswersIdentification(const AccessMode& mode) const;
  // The three bytes of CMD_READ_ID in its own mode.
  std::uint32_t Identification() const;

  bool Read(std::uint64_t address, std::uint8_t* out, std::uint64_t length) const {
    return storage_.Read(address, out, length);
  }
  bool Write(std::uint64_t address, const std::uint8_t* data, std::uint64_t length);
  // Puts programmed bytes held back into the content file.
  bool Flush() const { return storage_.Flush(); }
  // A sector write-back: the sector is erased, then written.
  bool RewriteSector(std::uint64_t address, const std::uint8_t* data, std::uint64_t length) {
    return storage_.Overwrite(address, data, length);
  }
  bool Erase() { return storage_.Fill(0, storage_.Size(), 0xFF); }
  ChipStorage::Scan FindNotBlank(std::uint64_t length, std::uint64_t& address,
                                 std::uint8_t& value) const {
    return storage_.FindNotBlank(length, address, value);
  }

  OtpArea& Otp() { return otp_; }
  const OtpArea& Otp() const { return otp_; }
  bool QuadEnable() const { return quadEnable_; }
  // CMD_QE_CONFIG: false when the chip has no QE bit or the method is wrong.
  bool ConfigureQuadEnable(std::uint8_t method0, std::uint8_t method1, bool set);

 private:
  ChipDescription description_;
  ChipStorage storage_;
  OtpArea otp_;
  bool quadEnable_ = false;
};

}  // namespace tarnwick::sim
