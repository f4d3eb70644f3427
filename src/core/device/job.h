// The worker's job codes. These numbers are the box program's own (a
// technician's log and the lamp history speak of them), so they are kept as
// they are; every other file names a job by its enumerator.
#pragma once

#include <cstdint>

namespace tarnwick {

enum class Job : std::uint8_t {
  Program = 1,
  Erase = 5,
  DetectQuiet = 7,  // start-up and device-change detection
  Verify = 8,
  Read = 13,
  AutoProgram = 14,
  BlankCheck = 15,
  FirmwareVersion = 18,
  ChipFill = 19,
  FirmwareUpgrade = 21,
  DetectUser = 23,  // the detect button
  Find = 24,
  OtpDetect = 26,
  OtpProgram = 27,
  OtpRead = 28,
  OtpSave = 29,
  OtpVerify = 30,
  OtpBlankCheck = 31,
  BatchStep = 33,
  QuadEnable = 35,
  Idle = 255,  // what the job code reads while the worker waits
};

constexpr std::uint8_t JobByte(Job job) { return static_cast<std::uint8_t>(job); }

}  // namespace tarnwick
