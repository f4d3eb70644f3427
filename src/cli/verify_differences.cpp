#include "cli/verify_differences.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace tarnwick::cli {
namespace {

// Two hex digits at `at`, or nothing.
std::optional<std::uint8_t> HexByteAt(const std::string& text, std::size_t at) {
  if (at + 2 > text.size() || std::isxdigit(static_cast<unsigned char>(text[at])) == 0 ||
      std::isxdigit(static_cast<unsigned char>(text[at + 1])) == 0) {
    return std::nullopt;
  }
  return static_cast<std::uint8_t>(std::strtoul(text.substr(at, 2).c_str(), nullptr, 16));
}

}  // namespace

std::optional<Difference> ParseDifference(const std::string& text, const std::string& fileLabel,
                                          const std::string& chipLabel) {
  std::size_t digits = 0;
  while (digits < text.size() && digits < 16 &&
         std::isxdigit(static_cast<unsigned char>(text[digits])) != 0) {
    ++digits;
  }
  if (digits == 0 || digits >= text.size() || text[digits] != 'H') return std::nullopt;
  const std::size_t file = text.find(fileLabel, digits);
  if (fileLabel.empty() || file == std::string::npos) return std::nullopt;
  const std::size_t chip = text.find(chipLabel, file + fileLabel.size());
  if (chipLabel.empty() || chip == std::string::npos) return std::nullopt;
  const std::optional<std::uint8_t> fileByte = HexByteAt(text, file + fileLabel.size());
  const std::optional<std::uint8_t> chipByte = HexByteAt(text, chip + chipLabel.size());
  if (!fileByte || !chipByte) return std::nullopt;
  return Difference{std::strtoull(text.substr(0, digits).c_str(), nullptr, 16), *fileByte,
                    *chipByte};
}

std::string DifferenceLine(const Difference& d) {
  char line[64];
  std::snprintf(line, sizeof line, "%06llX: file %02X chip %02X",
                static_cast<unsigned long long>(d.address), d.file, d.chip);
  return line;
}

std::optional<std::uint64_t> DifferenceCount(const std::string& status,
                                             const std::string& failedText) {
  if (failedText.empty() || status.rfind(failedText, 0) != 0) return std::nullopt;
  std::size_t at = failedText.size();
  while (at < status.size() && status[at] == ' ') ++at;
  std::size_t end = at;
  while (end < status.size() && std::isdigit(static_cast<unsigned char>(status[end])) != 0) ++end;
  if (end == at || end - at > 19) return std::nullopt;
  return std::strtoull(status.substr(at, end - at).c_str(), nullptr, 10);
}

}  // namespace tarnwick::cli
