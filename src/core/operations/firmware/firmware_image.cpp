#include "core/operations/firmware/firmware_image.h"

#include <cstdio>

#include "protocol/protocol.h"

namespace tarnwick::firmware {
namespace {

std::uint32_t Sum(const std::uint8_t* data, std::size_t n) {
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < n; ++i) sum += data[i];
  return sum;
}

}  // namespace

std::array<std::uint8_t, kCheckBytes> CheckBytes(const std::vector<std::uint8_t>& image) {
  const std::uint32_t sum = Sum(image.data(), image.size());
  return {static_cast<std::uint8_t>(sum >> 16), static_cast<std::uint8_t>(sum >> 8),
          static_cast<std::uint8_t>(sum)};
}

std::vector<std::uint8_t> Pack(const std::vector<std::uint8_t>& image) {
  std::vector<std::uint8_t> file = image;
  const auto check = CheckBytes(image);
  file.insert(file.end(), check.begin(), check.end());
  return file;
}

bool SumMatches(const std::vector<std::uint8_t>& file) {
  if (file.size() <= kCheckBytes) return false;
  const std::size_t length = file.size() - kCheckBytes;
  const std::uint32_t stored = static_cast<std::uint32_t>(file[length]) << 16 |
                               static_cast<std::uint32_t>(file[length + 1]) << 8 | file[length + 2];
  return (Sum(file.data(), length) & 0xFFFFFFu) == stored;
}

std::uint8_t FinishByte(const std::vector<std::uint8_t>& file) {
  return file.size() >= kFinishByteFromEnd ? file[file.size() - kFinishByteFromEnd] : 0;
}

std::size_t BlockCount(std::size_t length) {
  return (length + protocol::kBootBlockSize - 1) / protocol::kBootBlockSize;
}

void Scramble(std::uint8_t* data, std::size_t n, std::size_t filePosition) {
  const auto& table = protocol::kFirmwareScramble;
  for (std::size_t i = 0; i < n; ++i) data[i] ^= table[(filePosition + i) % table.size()];
}

std::string VersionText(std::uint8_t version) {
  char text[16];
  std::snprintf(text, sizeof text, "V%X.%X", (version >> 4) + 1, version & 0x0F);
  return text;
}

std::string SerialText(std::uint32_t serial) {
  char text[16];
  std::snprintf(text, sizeof text, "%6ld", static_cast<long>(serial & 0xFFFFFFu));
  std::string s = text;
  for (char& c : s) {
    if (c == ' ') c = '0';
  }
  return s;
}

}  // namespace tarnwick::firmware
