#include "sim/virtual_chip.h"

#include <algorithm>

namespace tarnwick::sim {

bool VirtualChip::Open(const ChipDescription& description, std::string& error) {
  description_ = description;
  quadEnable_ = description.quadEnable && description.hasQuadEnable;
  if (!storage_.Open(description.contentPath, description.size, description.fill, error)) {
    return false;
  }
  const std::string otpPath = description.otp.size ? description.contentPath + ".otp" : "";
  return otp_.Open(description.otp, otpPath, error);
}

bool VirtualChip::Talks(const AccessMode& mode) const {
  return mode.accessClass == description_.accessClass && mode.fiveVolt == description_.fiveVolt &&
         std::find(description_.subcodes.begin(), description_.subcodes.end(), mode.subcode) !=
             description_.subcodes.end();
}

bool VirtualChip::AnswersIdentification(const AccessMode& mode) const {
  if (Talks(mode)) return true;
  return description_.kind == ChipKind::Eeprom && mode.subcode == 0x00 &&
         mode.accessClass == description_.accessClass && mode.fiveVolt == description_.fiveVolt;
}

std::uint32_t VirtualChip::Identification() const {
  if (description_.id) return *description_.id & 0xFFFFFF;
  return EepromFamilyAnswer(description_.accessClass);
}

bool VirtualChip::Write(std::uint64_t address, const std::uint8_t* data, std::uint64_t length) {
  if (description_.kind == ChipKind::Eeprom) return storage_.Overwrite(address, data, length);
  return storage_.ProgramAnd(address, data, length);
}

bool VirtualChip::ConfigureQuadEnable(std::uint8_t method0, std::uint8_t method1, bool set) {
  if (!description_.hasQuadEnable) return false;
  const auto& m = description_.qeMethod;
  if (m.size() == 2 && (m[0] != method0 || m[1] != method1)) return false;
  quadEnable_ = set;
  return true;
}

}  // namespace tarnwick::sim
