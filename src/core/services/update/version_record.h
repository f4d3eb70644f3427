// The update document's version record and how versions read: one byte
// each, high nibble major, low nibble minor. The box answers its firmware
// byte with the major one lower.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tarnwick::update {

class UrlFile;

// Shown for a value that is not available.
inline constexpr const char* kNullText = "NULL";

struct VersionRecord {
  std::uint8_t program = 0;   // latest program version
  std::uint8_t firmware = 0;  // latest firmware version
};

// The first two bytes of `file` from its start; a shorter document leaves 0
// in what is missing.
VersionRecord ReadVersionRecord(UrlFile& file);

// "%X.%X" of the byte's nibbles.
std::string VersionText(std::uint8_t version);
// The box's firmware byte as a version: (high nibble + 1).(low nibble).
std::string DeviceFirmwareText(std::uint8_t deviceByte);

// The running program's version, from the one version of the build.
std::string CurrentProgramText();
std::uint8_t CurrentProgramByte();

bool NewerProgram(const VersionRecord& record);
// The device byte counts one major lower than the record's byte.
bool NewerFirmware(std::uint8_t deviceByte, const VersionRecord& record);

}  // namespace tarnwick::update
