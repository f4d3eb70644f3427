// The chip operations' own words that are not in the text tables: how a
// stopped read and a stopped erase ended, the verify question and report for
// a file larger than the chip, and the refusal of an empty image. Composed
// with the table's texts where those fit; kept here, in one place.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace tarnwick::chip_text {

// "Read stopped, received: 8192 of 2097152 byte(s); the part read is not
// loaded" — the time follows with itext 86 (", time:").
inline std::string ReadStopped(std::uint64_t received, std::uint64_t chipSize) {
  return "Read stopped, received: " + std::to_string(received) + " of " + std::to_string(chipSize) +
         " byte(s); the part read is not loaded";
}

// A stop while the box erased: some sectors may be blank, others not.
inline constexpr const char* kEraseStopped = "Erase stopped: the chip is partly erased";
// A stop before the erase command got through: the chip was not touched.
inline constexpr const char* kEraseStoppedBeforeStart =
    "Erase stopped before it started: the chip is unchanged";

// Verify's question before it compares only the part of the file that fits.
inline constexpr const char* kVerifyFileLargerAsk =
    "The file is larger than the chip. Verify only the part that fits?";

// The part of the file a verify did not compare, from byte `chipSize` to the
// end of the file: "file bytes 0x00003000-0x00003FFF (4096 byte(s)) not compared".
inline std::string NotCompared(std::uint64_t chipSize, std::uint64_t fileSize) {
  char range[64];
  std::snprintf(range, sizeof range, "0x%08llX-0x%08llX", static_cast<unsigned long long>(chipSize),
                static_cast<unsigned long long>(fileSize - 1));
  return std::string("file bytes ") + range + " (" + std::to_string(fileSize - chipSize) +
         " byte(s)) not compared";
}

}  // namespace tarnwick::chip_text
