#include "core/catalogue/parameter_build.h"

#include <limits>

#include "protocol/protocol.h"

namespace tarnwick {
namespace {

namespace p = protocol;

// Largest power of two whose exponent replaces a page or sector number.
constexpr unsigned kMaxPowerCode = 16;
// Digit runs are read with saturation here so no text can overflow.
constexpr std::uint64_t kNumberLimit = std::numeric_limits<std::uint32_t>::max();

// A character of a field, or '0' beyond its end: a short field reads as zeros
// instead of running past its text.
char At(std::string_view s, std::size_t i) { return i < s.size() ? s[i] : '0'; }

// Hex digits as the box's tooling reads them: below 'A' counts as decimal.
int HexDigit(char c) { return c < 'A' ? c - '0' : c - 'A' + 10; }
int DecimalDigit(char c) { return c - '0'; }

std::uint8_t TwoHex(char high, char low) {
  return static_cast<std::uint8_t>(HexDigit(high) * 16 + HexDigit(low));
}

// Leading decimal digits, saturating at kNumberLimit.
std::uint64_t LeadingNumber(std::string_view s) {
  std::uint64_t value = 0;
  for (char c : s) {
    if (c < '0' || c > '9') break;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
    if (value > kNumberLimit) return kNumberLimit;
  }
  return value;
}

// 2^i for i in 0..16 becomes i; any other number is sent as its low byte.
std::uint8_t PowerCode(std::uint64_t n) {
  for (unsigned i = 0; i <= kMaxPowerCode; ++i) {
    if (n == (std::uint64_t{1} << i)) return static_cast<std::uint8_t>(i);
  }
  return static_cast<std::uint8_t>(n & 0xFF);
}

std::uint64_t ShiftSaturated(std::uint64_t value, unsigned shift) {
  if (value > (std::numeric_limits<std::uint64_t>::max() >> shift)) {
    return std::numeric_limits<std::uint64_t>::max();
  }
  return value << shift;
}

// The number part of a cut capacity text: `drop` unit characters removed.
std::uint64_t NumberBeforeUnit(std::string_view cut, std::size_t drop) {
  if (cut.size() <= drop) return 0;
  return LeadingNumber(cut.substr(0, cut.size() - drop));
}

}  // namespace

bool IsWordOrganised(std::string_view capacity) {
  return capacity.empty() || capacity.back() != 'B';
}

std::uint64_t ChipSizeFromCapacity(std::string_view capacity) {
  const auto b = capacity.find('B');
  const auto star = capacity.find('*');
  std::string_view cut;
  if (star != std::string_view::npos && (b == std::string_view::npos || star > b)) {
    cut = capacity.substr(0, star + 1);
  } else if (b != std::string_view::npos) {
    cut = capacity.substr(0, b + 1);
  } else {
    return 0;
  }
  std::uint64_t size;
  if (cut.find('G') != std::string_view::npos) {
    size = ShiftSaturated(NumberBeforeUnit(cut, 2), 30);
  } else if (cut.find('M') != std::string_view::npos) {
    size = ShiftSaturated(NumberBeforeUnit(cut, 2), 20);
  } else if (cut.find('K') != std::string_view::npos) {
    size = ShiftSaturated(NumberBeforeUnit(cut, 2), 10);
  } else {
    size = NumberBeforeUnit(cut, 1);
  }
  const auto words = capacity.find("*16bit");
  if (words != std::string_view::npos && words > 0) size = ShiftSaturated(size, 1);
  return size;
}

std::uint8_t PageSizeCode(std::string_view pageSize) {
  if (pageSize == "N") return 0xFF;
  return PowerCode(LeadingNumber(pageSize));
}

std::uint8_t SectorSizeCode(std::string_view sectorSize) {
  if (sectorSize == "N") return 0;
  if (sectorSize == "F") return 0xFF;
  return PowerCode(LeadingNumber(sectorSize));
}

std::uint64_t BuildParameters(const ChipRecord& record, bool adapterFlag, CommandFrame& frame) {
  auto& f = frame.bytes;
  const std::string& voltage = record.voltage();
  const std::string& capacity = record.capacity();
  const std::string& op = record.operationType();

  if (!voltage.empty() && voltage.back() == '5') {
    f[p::kFrameCommand] |= p::kFiveVoltBit;
  } else {
    f[p::kFrameCommand] &= static_cast<std::uint8_t>(~p::kFiveVoltBit);
  }
  if (IsWordOrganised(capacity)) {
    f[p::kFrameCommand] |= p::kWordOrganisedBit;
  } else {
    f[p::kFrameCommand] &= static_cast<std::uint8_t>(~p::kWordOrganisedBit);
  }

  // The class goes in the low nibble; the high nibble is cleared and then
  // carries only the adapter bit.
  f[p::kFrameClass] = static_cast<std::uint8_t>(HexDigit(At(op, 0)) & 0x0F);
  if (adapterFlag) f[p::kFrameClass] |= p::kAdapterBit;
  f[p::kFrameSubcode] = TwoHex(At(op, 1), At(op, 2));

  f[p::kFramePageCode] = PageSizeCode(record.fields[ChipRecord::kPageSize]);
  f[p::kFrameSectorCode] = SectorSizeCode(record.fields[ChipRecord::kSectorSize]);

  const std::uint64_t size = ChipSizeFromCapacity(capacity);
  const auto low32 = static_cast<std::uint32_t>(size & 0xFFFFFFFFu);
  for (int i = 0; i < 4; ++i) {
    f[p::kFrameCapacity + i] = static_cast<std::uint8_t>(low32 >> (24 - 8 * i));
  }

  const std::string& mainAddress = record.fields[ChipRecord::kMainAddress];
  f[p::kFrameMainAddress] = mainAddress == "N" ? 0 : TwoHex(At(mainAddress, 0), At(mainAddress, 1));

  const std::string& second = record.fields[ChipRecord::kSecondaryAddress];
  f[p::kFrameSecondaryHigh] = static_cast<std::uint8_t>(HexDigit(At(second, 0)));
  if (At(op, 0) == '3') {
    // Microwire parts keep their address width here, written in decimal.
    f[p::kFrameSecondaryLow] =
        static_cast<std::uint8_t>(DecimalDigit(At(second, 1)) * 10 + DecimalDigit(At(second, 2)));
  } else {
    f[p::kFrameSecondaryLow] = TwoHex(At(second, 1), At(second, 2));
  }

  f[0] = p::kStartMarker;
  f[p::kFrameEnd] = p::kEndMarker;
  return size;
}

std::optional<std::uint64_t> BuildParameters(const Catalogue& catalogue, std::int64_t index,
                                             bool adapterFlag, CommandFrame& frame) {
  const ChipRecord* record = catalogue.Record(index);
  if (record == nullptr) return std::nullopt;
  return BuildParameters(*record, adapterFlag, frame);
}

}  // namespace tarnwick
