#include "core/device/parameter_build.h"

#include "core/catalogue/chip_geometry.h"
#include "protocol/protocol.h"

namespace tarnwick {
namespace {

namespace p = protocol;

// A character of a field, or '0' beyond its end: a short field reads as zeros
// instead of running past its text.
char At(std::string_view s, std::size_t i) { return i < s.size() ? s[i] : '0'; }

// Hex digits as the box's tooling reads them: below 'A' counts as decimal.
int HexDigit(char c) { return c < 'A' ? c - '0' : c - 'A' + 10; }
int DecimalDigit(char c) { return c - '0'; }

std::uint8_t TwoHex(char high, char low) {
  return static_cast<std::uint8_t>(HexDigit(high) * 16 + HexDigit(low));
}

}  // namespace

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
