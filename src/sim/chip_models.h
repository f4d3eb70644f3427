// A small built-in table of well-known chips, so a description can name a
// model instead of spelling out its raw fields.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "sim/box_description.h"

namespace tarnwick::sim {

// The chip of a built-in model (matched without regard to case), with no
// content path set; nullopt for an unknown name.
std::optional<ChipDescription> BuiltInChip(std::string_view model);

// The mode (frame byte 3) in which the box's firmware talks to an EEPROM of
// `accessClass`, from the chip's addressing as its datasheet gives it: the
// address bits of one access and its organisation.
//   class 1 (I2C): the number of word-address bytes (1 up to 8 bits, 2 up to 16);
//   class 2 (SPI EEPROM): 00 for one or two address bytes, 01 for three;
//   class 3 (Microwire): high nibble 1 for more than 7 address bits, low
//   nibble 1 for 16-bit words;
//   other classes: 00.
std::uint8_t EepromSubcode(std::uint8_t accessClass, std::uint8_t addressBits, bool word);
std::vector<std::string_view> BuiltInModelNames();

}  // namespace tarnwick::sim
