// Verify's differences on the command line: the window asks about each one in
// a box; here the first ones are kept and printed as "ADDRESS: file XX chip YY"
// lines with a count.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::cli {

struct Difference {
  std::uint64_t address = 0;
  std::uint8_t file = 0;
  std::uint8_t chip = 0;
};

// Reads the difference out of the verify question's text ("1AH Error \r\n
// File:12H Chip:34H ..."), whose labels are `fileLabel` and `chipLabel`.
std::optional<Difference> ParseDifference(const std::string& text, const std::string& fileLabel,
                                          const std::string& chipLabel);

// "00001A: file 12 chip 34"
std::string DifferenceLine(const Difference& d);

// The count the failed verify's status line gives after `failedText`, if any.
std::optional<std::uint64_t> DifferenceCount(const std::string& status,
                                             const std::string& failedText);

}  // namespace tarnwick::cli
