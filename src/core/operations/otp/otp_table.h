// The chips whose OTP area the program knows, grouped by the method family
// the box needs for them. Hardware as data: adding a chip is adding a row.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tarnwick::otp {

// The 9-byte record the box receives with OTP_METHOD before any other OTP
// exchange; byte 6 non-zero means the family has a readable lock status.
using MethodRecord = std::array<std::uint8_t, 9>;
inline constexpr std::size_t kLockStatusByte = 6;

struct Family {
  int index;
  MethodRecord method;
  bool HasLockStatus() const { return method[kLockStatusByte] != 0; }
};

// First and last OTP address of a range, both inclusive.
struct Range {
  std::uint16_t first;
  std::uint16_t last;
};

struct Entry {
  std::uint32_t id;  // the chip's 24-bit identification
  std::uint16_t size;
  std::uint16_t start = 0;
  // Written by themselves after the rest of the area.
  std::span<const Range> protectedRanges = {};
  // Other sizes the same identification comes with.
  std::span<const std::uint16_t> alternativeSizes = {};
  const char* note = nullptr;  // what the size line adds, or nullptr
};

// The largest OTP area of any entry: the program's OTP buffer holds this.
inline constexpr std::size_t kMaxOtpSize = 1024;

std::span<const Family> Families();
// The entries of family `index` (0 .. Families().size() - 1).
std::span<const Entry> Entries(int family);

struct Match {
  int family = -1;
  int entry = -1;
  const Family* familyRow = nullptr;
  const Entry* entryRow = nullptr;
  // Something can lock this area: the family's lock command, or the lock
  // bytes in its protected ranges.
  bool Lockable() const { return familyRow->HasLockStatus() || !entryRow->protectedRanges.empty(); }
};

// Searches family by family, entry by entry, for the main-ID text of a
// catalogue record ("%6X" with blanks as '0', compared as text).
std::optional<Match> FindChip(const std::string& mainId);

}  // namespace tarnwick::otp
