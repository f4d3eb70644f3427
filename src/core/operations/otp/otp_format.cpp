#include "core/operations/otp/otp_format.h"

#include "core/app/text_format.h"

namespace tarnwick::otp {

std::string SizeLine(const std::string& label, const Entry& entry) {
  std::string line = label + std::to_string(entry.size);
  for (std::uint16_t size : entry.alternativeSizes) line += "/" + std::to_string(size);
  line += "bytes";
  if (entry.note != nullptr) line += std::string(",") + entry.note;
  return line;
}

std::string StatusText(std::uint8_t value) { return "(" + ZeroFilled("%2X", value) + ")"; }

std::string MismatchText(std::uint32_t address, std::uint8_t fileByte, const std::string& fileWord,
                         std::uint8_t chipByte, const std::string& chipWord) {
  return NotBlankText(address, fileByte) + "[" + fileWord + "]!=" + ZeroFilled("%2X", chipByte) +
         "H[" + chipWord + "]";
}

std::string AddressText(std::uint32_t address) { return ZeroFilled("%3X", address) + "H"; }

std::string NotBlankText(std::uint32_t address, std::uint8_t value) {
  return AddressText(address) + ":" + ZeroFilled("%2X", value) + "H";
}

}  // namespace tarnwick::otp
