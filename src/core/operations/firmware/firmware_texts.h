// The firmware feature's own words that are not in the text tables: why a
// file was refused, the boot table's problems and the upgrade called off
// before it began. Kept here, in one place.
#pragma once

#include <string>

#include "core/operations/firmware/firmware_image.h"

namespace tarnwick::firmware {

// The boot loader's table, in the base directory beside database.dat.
inline constexpr const char* kBootTableFile = "boot-table.bin";

inline constexpr const char* kCalledOffText =
    "Firmware upgrade not started: interrupted before the programmer was touched";

// Why a file was refused, as a phrase after its name ("not a regular file").
inline std::string VerdictText(Verdict verdict) {
  switch (verdict) {
    case Verdict::Good:
      return "correct";
    case Verdict::Missing:
      return "no such file";
    case Verdict::NotRegular:
      return "not a regular file";
    case Verdict::TooLarge:
      return "larger than the largest firmware file (" + std::to_string(kMaxFileSize) +
             " bytes with its check bytes)";
    case Verdict::Unreadable:
      return "cannot be read";
    case Verdict::TooShort:
      return "holds no image";
    case Verdict::SumTooLarge:
      return "its byte sum is above 0xFFFFFF, more than 3 check bytes hold";
    case Verdict::SumWrong:
      return "the check bytes do not match the sum";
    case Verdict::WrongSize:
      return "not " + std::to_string(kBootTableSize) + " bytes long";
  }
  return "cannot be read";
}

// The upgrade refused for want of a usable boot table at `path`.
inline std::string BootTableProblem(const std::string& path, Verdict verdict) {
  const std::string what =
      verdict == Verdict::Missing ? "is missing" : "cannot be used (" + VerdictText(verdict) + ")";
  return "The boot loader's table " + path + " " + what + ": no firmware is sent to the programmer";
}

}  // namespace tarnwick::firmware
