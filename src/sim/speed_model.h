// How long the box takes: nothing at all for tests (`instant`), or USB
// full-speed streams and datasheet-like chip times (`realistic`).
#pragma once

#include <chrono>
#include <cstdint>

#include "sim/box_description.h"

namespace tarnwick::sim {

using SimClock = std::chrono::steady_clock;
using SimDuration = std::chrono::microseconds;

class SpeedModel {
 public:
  explicit SpeedModel(SpeedKind kind = SpeedKind::Instant) : kind_(kind) {}

  bool Realistic() const { return kind_ == SpeedKind::Realistic; }
  // Bytes over the bulk endpoints (about 1 MB/s on full speed).
  SimDuration Transfer(std::uint64_t bytes) const;
  // Whole-chip erase; sector erase before a sector write-back.
  SimDuration ChipErase(const ChipDescription& chip) const;
  SimDuration SectorErase(const ChipDescription& chip) const;
  // Programming `bytes` from page start.
  SimDuration Program(const ChipDescription& chip, std::uint64_t bytes) const;
  // The box scanning the chip itself (blank check) at SPI clock speed.
  SimDuration Scan(std::uint64_t bytes) const;

 private:
  SpeedKind kind_;
};

}  // namespace tarnwick::sim
