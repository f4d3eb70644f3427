#include "core/services/update/version_record.h"

#include <cstdio>

#include "core/services/update/url_reader.h"
#include "version.h"

namespace tarnwick::update {

namespace {

std::string Nibbles(unsigned major, unsigned minor) {
  char text[16];
  std::snprintf(text, sizeof text, "%X.%X", major, minor);
  return text;
}

// "M.m" with one hex digit each, as the build's version is written.
constexpr std::uint8_t ParseVersionByte(const char* text) {
  auto digit = [](char c) -> unsigned {
    if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
    if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
    return 0;
  };
  return static_cast<std::uint8_t>((digit(text[0]) << 4) | digit(text[2]));
}

constexpr std::uint8_t kCurrentProgram = ParseVersionByte(kProgramVersion);
static_assert(sizeof(kProgramVersion) == 4, "the version record holds one digit each side");

}  // namespace

VersionRecord ReadVersionRecord(UrlFile& file) {
  std::uint8_t bytes[2] = {0, 0};
  if (file.Seek(0)) file.Read(bytes, sizeof bytes);
  return VersionRecord{bytes[0], bytes[1]};
}

std::string VersionText(std::uint8_t version) { return Nibbles(version >> 4, version & 0x0F); }

std::string DeviceFirmwareText(std::uint8_t deviceByte) {
  return Nibbles((deviceByte >> 4) + 1U, deviceByte & 0x0F);
}

std::string CurrentProgramText() { return kProgramVersion; }
std::uint8_t CurrentProgramByte() { return kCurrentProgram; }

bool NewerProgram(const VersionRecord& record) { return record.program > kCurrentProgram; }

bool NewerFirmware(std::uint8_t deviceByte, const VersionRecord& record) {
  return deviceByte + 0x10U < record.firmware;
}

}  // namespace tarnwick::update
