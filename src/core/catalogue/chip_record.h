// One catalogue entry: twelve text fields and the record's position.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tarnwick {

struct ChipRecord {
  // Field numbers as the catalogue stores them; other code counts them so.
  enum Field {
    kType = 0,
    kMaker,
    kModel,
    kPageSize,
    kSectorSize,
    kCapacity,
    kMainAddress,
    kSecondaryAddress,
    kMainId,
    kSecondaryId,
    kVoltage,
    kOperationType,
    kTextFieldCount
  };
  std::array<std::string, kTextFieldCount> fields;
  std::uint32_t internalNumber = 0;

  const std::string& type() const { return fields[kType]; }
  const std::string& maker() const { return fields[kMaker]; }
  const std::string& model() const { return fields[kModel]; }
  const std::string& capacity() const { return fields[kCapacity]; }
  const std::string& mainId() const { return fields[kMainId]; }
  const std::string& secondaryId() const { return fields[kSecondaryId]; }
  const std::string& voltage() const { return fields[kVoltage]; }
  const std::string& operationType() const { return fields[kOperationType]; }
};

}  // namespace tarnwick
