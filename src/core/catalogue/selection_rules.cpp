#include "core/catalogue/selection_rules.h"

#include "resources/ids.h"

namespace tarnwick {
namespace {

constexpr std::uint64_t kKilo = 1024;
constexpr std::uint64_t kMega = kKilo * 1024;
constexpr std::uint64_t kGiga = kMega * 1024;

// Above these sizes the families have quad-enable bits worth configuring.
constexpr std::uint64_t kQeMinSizeWinbondGiga = 0xFFFFF;  // more than 1 MiB - 1
constexpr std::uint64_t kQeMinSizeMx = 0x3FFFF;           // more than 256 KiB - 1
constexpr std::uint64_t kMxLongNameSize = 0x800000;       // above 8 MiB the digit moves right
constexpr QeMethodBytes kQeWinbondGiga{0x09, 0x02};
constexpr QeMethodBytes kQeMx{0x06, 0x01};

bool Contains(std::string_view s, std::string_view part) {
  return s.find(part) != std::string_view::npos;
}

// One part of the capacity text: the value in the largest unit it reaches.
std::string Scaled(std::uint64_t v, const char* unit) {
  if (v <= kKilo - 1) return std::to_string(v) + unit;
  if (v <= kMega - 1) return std::to_string(v / kKilo) + "K" + unit;
  if (v <= kGiga - 1) return std::to_string(v / kMega) + "M" + unit;
  return std::to_string(v / kGiga) + "G" + unit;
}

}  // namespace

std::string CapacityText(std::string_view capacityField, std::uint64_t chipSize) {
  const auto b = capacityField.find('B');
  if (Contains(capacityField, "16bit") || b == std::string_view::npos || b == 0) {
    return std::string(capacityField);
  }
  // 64-bit counts: chips of 512 MiB and more show their true size.
  const std::uint64_t bits = chipSize > (UINT64_MAX / 8) ? UINT64_MAX : chipSize * 8;
  return Scaled(bits, "bits/") + Scaled(chipSize, "bytes");
}

std::optional<int> SocketPictureFor(std::string_view op) {
  if (op.empty()) return std::nullopt;
  const char third = op.size() >= 3 ? op[2] : '\0';
  switch (op[0]) {
    case '0':
      return ids::kSocketIconClass0;
    case '1':
      return ids::kSocketIconClass1;
    case '2':
      if (third == '0') return ids::kSocketIconClass0;
      if (third == '1') return ids::kSocketIconClass2Sub1;
      return std::nullopt;
    case '3':
      if (third == '0') return ids::kSocketIconClass3Sub0;
      if (third == '1') return ids::kSocketIconClass3Sub1;
      return std::nullopt;
    case '4':
      return ids::kSocketIconClass4;
    default:
      return std::nullopt;
  }
}

std::optional<QeMethodBytes> QeMethodFor(std::string_view type, std::string_view maker,
                                         std::string_view model, std::uint64_t chipSize) {
  if (!Contains(type, "25 SPI")) return std::nullopt;
  if (Contains(maker, "WINBOND") || Contains(maker, "GIGADEVICE")) {
    if (chipSize > kQeMinSizeWinbondGiga) return kQeWinbondGiga;
    return std::nullopt;
  }
  if (Contains(maker, "MX") && chipSize > kQeMinSizeMx) {
    // The density digits end further right in names of chips above 8 MiB
    // (MX25L6435E, MX25L12835F); a 3 to 6 there marks a quad part.
    const std::size_t pos = chipSize > kMxLongNameSize ? 8 : 7;
    if (model.size() >= pos + 2 && model[pos] >= '3' && model[pos] <= '6') return kQeMx;
  }
  return std::nullopt;
}

}  // namespace tarnwick
