#include "sim/speed_model.h"

namespace tarnwick::sim {
namespace {

constexpr std::uint64_t kUsbBytesPerSecond = 1'000'000;
constexpr std::uint64_t kScanBytesPerSecond = 6'000'000;
// Flash: about 150 ms per 64 KiB block, 45 ms per 4 KiB sector, 0.7 ms per
// page. EEPROM: 5 ms per page write, and "erase" writes every page.
constexpr std::uint64_t kFlashBlockEraseUs = 150'000;
constexpr std::uint64_t kFlashSectorEraseUs = 45'000;
constexpr std::uint64_t kFlashPageProgramUs = 700;
constexpr std::uint64_t kEepromPageWriteUs = 5'000;

std::uint64_t PageUs(const ChipDescription& chip) {
  if (chip.pageProgramUs) return chip.pageProgramUs;
  return chip.kind == ChipKind::Eeprom ? kEepromPageWriteUs : kFlashPageProgramUs;
}

std::uint64_t Pages(const ChipDescription& chip, std::uint64_t bytes) {
  const std::uint64_t page = chip.pageSize ? chip.pageSize : 256;
  return (bytes + page - 1) / page;
}

}  // namespace

SimDuration SpeedModel::Transfer(std::uint64_t bytes) const {
  if (!Realistic()) return SimDuration::zero();
  return SimDuration(bytes * 1'000'000 / kUsbBytesPerSecond);
}

SimDuration SpeedModel::ChipErase(const ChipDescription& chip) const {
  if (!Realistic()) return SimDuration::zero();
  if (chip.eraseMs) return SimDuration(std::uint64_t{chip.eraseMs} * 1000);
  if (chip.kind == ChipKind::Eeprom) return SimDuration(Pages(chip, chip.size) * PageUs(chip));
  const std::uint64_t blocks = (chip.size + 0xFFFF) / 0x10000;
  return SimDuration(blocks * kFlashBlockEraseUs);
}

SimDuration SpeedModel::SectorErase(const ChipDescription& chip) const {
  if (!Realistic() || chip.kind == ChipKind::Eeprom) return SimDuration::zero();
  return SimDuration(kFlashSectorEraseUs);
}

SimDuration SpeedModel::Program(const ChipDescription& chip, std::uint64_t bytes) const {
  if (!Realistic()) return SimDuration::zero();
  return SimDuration(Pages(chip, bytes) * PageUs(chip));
}

SimDuration SpeedModel::Scan(std::uint64_t bytes) const {
  if (!Realistic()) return SimDuration::zero();
  return SimDuration(bytes * 1'000'000 / kScanBytesPerSecond);
}

}  // namespace tarnwick::sim
