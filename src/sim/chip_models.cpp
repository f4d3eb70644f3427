#include "sim/chip_models.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>

namespace tarnwick::sim {
namespace {

// OTP method records of the chip families the box knows.
constexpr std::array<std::uint8_t, 9> kOtpFamilyEon{0x00, 0x00, 0x3A, 0x04, 0x02,
                                                    0x03, 0x05, 0x01, 0x01};
constexpr std::array<std::uint8_t, 9> kOtpFamilyMx{0x02, 0x00, 0xB1, 0xC1, 0x02,
                                                   0x03, 0x2B, 0x2F, 0x01};
constexpr std::array<std::uint8_t, 9> kOtpFamilyWinbond{0x03, 0x00, 0x00, 0x00, 0x42,
                                                        0x48, 0x35, 0x01, 0x01};

struct ModelRow {
  std::string_view name;
  ChipKind kind;
  std::uint8_t accessClass;
  // EEPROM: the datasheet's addressing, which picks the box mode the chip
  // answers in (EepromSubcode); 0 for SPI flash, which answers the usual four.
  std::uint8_t addressBits;
  bool fiveVolt;
  std::uint32_t id;  // 0 for EEPROMs: the family answer of the class
  std::uint64_t size;
  std::uint32_t page;
  std::uint32_t sector;
  bool word;
  std::uint32_t otpSize;
  const std::array<std::uint8_t, 9>* otpMethod;
  bool quadEnable;
};

constexpr std::uint64_t kMiB = std::uint64_t{1024} * 1024;

// Sizes, pages and OTP areas from the makers' datasheets.
constexpr std::array<ModelRow, 23> kModels{{
    {"EN25Q64", ChipKind::SpiFlash, 0, 0x00, false, 0x1C3017, 8 * kMiB, 256, 4096, false, 512,
     &kOtpFamilyEon, false},
    {"EN25QH128", ChipKind::SpiFlash, 0, 0x00, false, 0x1C7018, 16 * kMiB, 256, 4096, false, 512,
     nullptr, false},
    {"W25Q32FV", ChipKind::SpiFlash, 0, 0x00, false, 0xEF4016, 4 * kMiB, 256, 4096, false, 768,
     &kOtpFamilyWinbond, true},
    {"W25Q64FV", ChipKind::SpiFlash, 0, 0x00, false, 0xEF4017, 8 * kMiB, 256, 4096, false, 768,
     &kOtpFamilyWinbond, true},
    {"W25Q128FV", ChipKind::SpiFlash, 0, 0x00, false, 0xEF4018, 16 * kMiB, 256, 4096, false, 768,
     &kOtpFamilyWinbond, true},
    {"W25Q256FV", ChipKind::SpiFlash, 0, 0x00, false, 0xEF4019, 32 * kMiB, 256, 4096, false, 768,
     &kOtpFamilyWinbond, true},
    {"GD25D40", ChipKind::SpiFlash, 0, 0x00, false, 0xC83013, kMiB / 2, 256, 4096, false, 256,
     &kOtpFamilyEon, false},
    {"GD25Q128C", ChipKind::SpiFlash, 0, 0x00, false, 0xC84018, 16 * kMiB, 256, 4096, false, 1536,
     nullptr, true},
    {"MX25L6405D", ChipKind::SpiFlash, 0, 0x00, false, 0xC22017, 8 * kMiB, 256, 4096, false, 64,
     &kOtpFamilyMx, false},
    {"MX25L12835F", ChipKind::SpiFlash, 0, 0x00, false, 0xC22018, 16 * kMiB, 256, 4096, false, 512,
     &kOtpFamilyMx, true},
    {"MT25QL01G", ChipKind::SpiFlash, 0, 0x00, false, 0x20BA21, 128 * kMiB, 256, 4096, false, 64,
     nullptr, false},
    // Parts of today's cheap boards, one per maker (sizes and sectors from
    // their datasheets; no OTP area modelled).
    {"XT25F128B", ChipKind::SpiFlash, 0, 0x00, false, 0x0B4018, 16 * kMiB, 256, 4096, false, 0,
     nullptr, false},
    {"P25Q128H", ChipKind::SpiFlash, 0, 0x00, false, 0x856018, 16 * kMiB, 256, 4096, false, 0,
     nullptr, false},
    {"BY25D80A", ChipKind::SpiFlash, 0, 0x00, false, 0x684014, kMiB, 256, 4096, false, 0, nullptr,
     false},
    {"ZB25VQ64", ChipKind::SpiFlash, 0, 0x00, false, 0x5E4017, 8 * kMiB, 256, 4096, false, 0,
     nullptr, false},
    {"XM25QH64B", ChipKind::SpiFlash, 0, 0x00, false, 0x206017, 8 * kMiB, 256, 4096, false, 0,
     nullptr, false},
    {"DS25M4AB", ChipKind::SpiFlash, 0, 0x00, false, 0xE54218, 16 * kMiB, 256, 4096, false, 0,
     nullptr, false},
    {"ZD25Q64B", ChipKind::SpiFlash, 0, 0x00, false, 0xBA3217, 8 * kMiB, 256, 4096, false, 0,
     nullptr, false},
    {"SK25P64", ChipKind::SpiFlash, 0, 0x00, false, 0x256017, 8 * kMiB, 256, 65536, false, 0,
     nullptr, false},
    // 24C02: an 8-bit word address (one byte) after the device address.
    {"24C02", ChipKind::Eeprom, 1, 8, true, 0, 256, 8, 0, false, 0, nullptr, false},
    // 24C256: a 15-bit word address, sent as two bytes.
    {"24C256", ChipKind::Eeprom, 1, 15, true, 0, 32768, 64, 0, false, 0, nullptr, false},
    // 93C46 with ORG high: 64 words of 16 bits, 6 address bits.
    {"93C46", ChipKind::Eeprom, 3, 6, true, 0, 128, 2, 0, true, 0, nullptr, false},
    // 25LC256: a 16-bit address, two bytes after the instruction.
    {"25LC256", ChipKind::Eeprom, 2, 16, true, 0, 32768, 64, 0, false, 0, nullptr, false},
}};

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) ==
                  std::toupper(static_cast<unsigned char>(y));
         });
}

}  // namespace

std::uint8_t EepromSubcode(std::uint8_t accessClass, std::uint8_t addressBits, bool word) {
  switch (accessClass) {
    case 1:  // I2C: the number of word-address bytes
      return static_cast<std::uint8_t>((addressBits + 7) / 8);
    case 2:  // SPI EEPROM: 01 for three address bytes, 00 for one or two
      return addressBits > 16 ? 0x01 : 0x00;
    case 3:  // Microwire: 1x for more than 7 address bits, x1 for 16-bit words
      return static_cast<std::uint8_t>((addressBits > 7 ? 0x10 : 0x00) | (word ? 0x01 : 0x00));
    default:
      return 0x00;
  }
}

std::optional<ChipDescription> BuiltInChip(std::string_view model) {
  for (const ModelRow& row : kModels) {
    if (!SameName(row.name, model)) continue;
    ChipDescription chip;
    chip.model = std::string(row.name);
    chip.kind = row.kind;
    chip.accessClass = row.accessClass;
    if (row.kind == ChipKind::Eeprom) {
      chip.subcodes = {EepromSubcode(row.accessClass, row.addressBits, row.word)};
    }
    chip.fiveVolt = row.fiveVolt;
    if (row.id != 0) chip.id = row.id;
    chip.size = row.size;
    chip.pageSize = row.page;
    chip.sectorSize = row.sector;
    chip.wordOrganised = row.word;
    chip.otp.size = row.otpSize;
    if (row.otpMethod) chip.otp.method.assign(row.otpMethod->begin(), row.otpMethod->end());
    chip.hasQuadEnable = row.quadEnable;
    return chip;
  }
  return std::nullopt;
}

std::vector<std::string_view> BuiltInModelNames() {
  std::vector<std::string_view> names;
  names.reserve(kModels.size());
  for (const ModelRow& row : kModels) names.push_back(row.name);
  return names;
}

}  // namespace tarnwick::sim
