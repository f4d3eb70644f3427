#include "core/operations/firmware/firmware_image.h"

#include <cstdio>

namespace tarnwick::firmware {
namespace {

std::uint64_t Sum(const std::uint8_t* data, std::size_t n) {
  std::uint64_t sum = 0;
  for (std::size_t i = 0; i < n; ++i) sum += data[i];
  return sum;
}

}  // namespace

std::optional<std::array<std::uint8_t, kCheckBytes>> CheckBytes(
    const std::vector<std::uint8_t>& image) {
  const std::uint64_t sum = Sum(image.data(), image.size());
  if (sum > kMaxCheckSum) return std::nullopt;
  return std::array<std::uint8_t, kCheckBytes>{static_cast<std::uint8_t>(sum >> 16),
                                               static_cast<std::uint8_t>(sum >> 8),
                                               static_cast<std::uint8_t>(sum)};
}

Verdict JudgeImage(const std::vector<std::uint8_t>& image) {
  if (image.empty()) return Verdict::TooShort;
  if (image.size() > kMaxImageSize) return Verdict::TooLarge;
  if (!CheckBytes(image)) return Verdict::SumTooLarge;
  return Verdict::Good;
}

std::optional<std::vector<std::uint8_t>> Pack(const std::vector<std::uint8_t>& image) {
  if (JudgeImage(image) != Verdict::Good) return std::nullopt;
  std::vector<std::uint8_t> file = image;
  const auto check = *CheckBytes(image);
  file.insert(file.end(), check.begin(), check.end());
  return file;
}

Verdict JudgeFile(const std::vector<std::uint8_t>& file) {
  if (file.size() <= kCheckBytes) return Verdict::TooShort;
  if (file.size() > kMaxFileSize) return Verdict::TooLarge;
  const std::size_t length = file.size() - kCheckBytes;
  const std::uint64_t stored = static_cast<std::uint64_t>(file[length]) << 16 |
                               static_cast<std::uint64_t>(file[length + 1]) << 8 | file[length + 2];
  return Sum(file.data(), length) == stored ? Verdict::Good : Verdict::SumWrong;
}

std::uint8_t FinishByte(const std::vector<std::uint8_t>& file) {
  return file.size() >= kFinishByteFromEnd ? file[file.size() - kFinishByteFromEnd] : 0;
}

std::size_t BlockCount(std::size_t length) {
  return (length + protocol::kBootBlockSize - 1) / protocol::kBootBlockSize;
}

void Scramble(std::uint8_t* data, std::size_t n, std::size_t filePosition, const BootTable& table) {
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
