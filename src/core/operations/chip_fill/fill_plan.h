// The arithmetic of a chip fill, as pure functions: the unit the box
// rewrites in one pass, the fill value's bytes, the passes over a range and
// the dots of the progress text.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace tarnwick::chip_fill {

// The bytes one pass reads and writes back: 2^(k+10) for sector code k, the
// page (2^page code, 256 for 0xFF; doubled for 16-bit chips) for code 0.
// Nothing for code 0xFF, or a unit no box can buffer.
std::optional<std::uint64_t> UnitSize(std::uint8_t sectorCode, std::uint8_t pageCode,
                                      bool wordOrganised);

// One fill unit: a byte, or for 16-bit chips a word, most significant byte
// first. Nothing for an empty text, one with a character that is not a hex
// digit, or a value wider than the unit ("1FF" for a byte): such a value is
// refused, never cut to its last digits.
struct FillUnit {
  std::array<std::uint8_t, 2> bytes{};
  std::size_t size = 1;
};
std::optional<FillUnit> ParseFillValue(const std::string& text, bool wordOrganised);

// The unit-aligned addresses the passes start at: from `start` aligned down
// to `end` aligned up.
struct Passes {
  std::uint64_t first = 0;
  std::uint64_t count = 0;
};
Passes PassesFor(std::uint64_t start, std::uint64_t end, std::uint64_t unit);

// The dialog's progress text after `passes` passes: the base text and a dot
// for every second pass, starting again at the base once it grows beyond 16
// characters.
std::string ProgressText(const std::string& base, std::uint64_t passes);

// What a fill that ended early wrote of the byte range [start, end): the
// passes up to `reached` are complete, the rest of the range is untouched.
// Addresses are in the dialog's units (`scale` bytes: 2 on 16-bit chips),
// e.g. "0x00000000-0x00026FFF filled, 0x00027000-0x000FFFFF not written".
std::string PartialFillText(std::uint64_t start, std::uint64_t end, std::uint64_t reached,
                            std::uint64_t scale);

// The log line of a file-mode fill on a 16-bit chip whose file has an odd
// number of bytes: its last word went out as the last byte and 0xFF, e.g.
// "the fill file ends inside a word: its last word was written as 43 FF
// (padded with FF)".
std::string PaddedWordText(std::uint8_t lastByte);

}  // namespace tarnwick::chip_fill
