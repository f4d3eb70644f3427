// The lines the OTP log shows that carry numbers, as pure functions.
#pragma once

#include <cstdint>
#include <string>

#include "core/operations/otp/otp_table.h"

namespace tarnwick::otp {

// "512bytes", "512/64bytes" with the alternative sizes, then "," and the
// note when the entry has one; `label` goes first.
std::string SizeLine(const std::string& label, const Entry& entry);
// The chip's status byte as "(80)".
std::string StatusText(std::uint8_t value);
// A verify difference: "01AH:05H[file]!=FFH[chip]".
std::string MismatchText(std::uint32_t address, std::uint8_t fileByte, const std::string& fileWord,
                         std::uint8_t chipByte, const std::string& chipWord);
// An OTP address as the log shows it: "01AH".
std::string AddressText(std::uint32_t address);
// The first byte a blank check found programmed: "01AH:05H".
std::string NotBlankText(std::uint32_t address, std::uint8_t value);

}  // namespace tarnwick::otp
