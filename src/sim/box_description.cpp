#include "sim/box_description.h"

#include <filesystem>
#include <system_error>

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
  box.firmwarePath = dir + "virtual-box.fw";
  return box;
}

void UseShippedBootTable(BoxDescription& description, const std::string& dataDir) {
  if (!description.bootTablePath.empty()) return;
  std::string path = dataDir.empty() ? std::string("./") : dataDir;
  if (path.back() != '/') path += '/';
  path += kShippedBootTableFile;
  std::error_code ec;
  if (std::filesystem::is_regular_file(path, ec)) description.bootTablePath = path;
}

std::string BatchChipPath(const std::string& contentPath, std::uint32_t number) {
  if (number <= 1) return contentPath;
  const std::size_t slash = contentPath.rfind('/');
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t dot = contentPath.rfind('.');
  const std::string suffix = "-" + std::to_string(number);
  // A leading dot names a hidden file, it does not start an extension.
  if (dot == std::string::npos || dot <= nameStart) return contentPath + suffix;
  return contentPath.substr(0, dot) + suffix + contentPath.substr(dot);
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
