#include "sim/box_description.h"

#include "protocol/protocol.h"
#include "sim/chip_models.h"

namespace tarnwick::sim {

BoxDescription DefaultBoxDescription(const std::string& contentDir) {
  BoxDescription box;
  box.chip = BuiltInChip("EN25Q64");
  std::string dir = contentDir.empty() ? std::string(".") : contentDir;
  if (dir.back() != '/') dir += '/';
  box.chip->contentPath = dir + "en25q64.bin";
  box.chip->fill = ContentFill::Pattern;
  return box;
}

std::uint32_t EepromFamilyAnswer(std::uint8_t accessClass) {
  switch (accessClass) {
    case 1:
      return protocol::kIdFamilyI2c;
    case 2:
      return protocol::kIdFamilySpiEeprom;
    case 3:
      return protocol::kIdFamilyMicrowire;
    case 4:
      return protocol::kIdFamilyClass4;
    default:
      return 0xFFFFFF;
  }
}

const char* FaultKindName(FaultKind kind) {
  switch (kind) {
    case FaultKind::Unplug:
      return "unplug";
    case FaultKind::Stall:
      return "stall";
    case FaultKind::PartialWrite:
      return "partial_write";
    case FaultKind::EraseHang:
      return "erase_hang";
    case FaultKind::Refuse:
      return "refuse";
    case FaultKind::ProgramEndHang:
      return "program_end_hang";
  }
  return "?";
}

}  // namespace tarnwick::sim
