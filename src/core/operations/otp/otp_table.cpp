#include "core/operations/otp/otp_table.h"

#include "core/operations/chip/detection.h"

namespace tarnwick::otp {
namespace {

constexpr std::array<Family, 6> kFamilies = {{
    {0, {0x00, 0x00, 0x3A, 0x04, 0x02, 0x03, 0x05, 0x01, 0x01}},
    {1, {0x01, 0x00, 0x00, 0x00, 0x42, 0x48, 0x35, 0x01, 0x01}},
    {2, {0x02, 0x00, 0xB1, 0xC1, 0x02, 0x03, 0x2B, 0x2F, 0x01}},
    {3, {0x03, 0x00, 0x00, 0x00, 0x42, 0x48, 0x35, 0x01, 0x01}},
    {4, {0x04, 0x00, 0x00, 0x00, 0xA5, 0x88, 0x05, 0x85, 0x01}},
    {5, {0x05, 0x01, 0x00, 0x00, 0x42, 0x4B, 0x00, 0x00, 0x00}},
}};

// The notes the size line carries: models that share an identification but
// not the area, and areas smaller than the largest size given.
constexpr const char* kN1 = "文件长度请勿超出OTP实际容量";
constexpr const char* kN2 = "但不支持MX25L1605,MX25L1605A";
constexpr const char* kN3 = "但不支持MX25L3205A,文件长度请勿超出OTP实际容量";
constexpr const char* kN4 = "但不支持MX25L6405,文件长度请勿超出OTP实际容量";
constexpr const char* kN5 = "MX25L12805D容量为64bytes,文件长度请勿超出OTP实际容量";
constexpr const char* kN6 = "不支持W25Q32BV";
constexpr const char* kN7 = "不支持W25Q64BV";
constexpr const char* kN8 = "不支持S25FL216K";
constexpr const char* kN9 = "不支持S25FL032A";
constexpr const char* kN10 = "不支持S25FL064A";
constexpr const char* kN11 = "不支持S25FL128P、S25FL129P、";

constexpr std::array<std::uint16_t, 1> kAlso64 = {64};

// Spansion's areas: the lock bytes of each region are written on their own.
constexpr std::array<Range, 3> kSpansionRegions = {
    {{0x100, 0x101}, {0x112, 0x113}, {0x214, 0x215}}};
constexpr std::array<Range, 1> kFirst32 = {{{0x00, 0x1F}}};

constexpr std::array<Entry, 19> kFamily0 = {{
    {0xC83114, 256}, {0xC83013, 256}, {0xC83014, 256}, {0xC82013, 256}, {0xC82014, 256},
    {0x1C2016, 512}, {0x1C3014, 256}, {0x1C3015, 512}, {0x1C3110, 256}, {0x1C3111, 256},
    {0x1C3118, 512}, {0x1C3112, 256}, {0x1C3113, 256}, {0x1C2017, 512}, {0x1C3016, 512},
    {0x1C3017, 512}, {0x1C3018, 512}, {0x1C5114, 256}, {0x1C5115, 512},
}};

constexpr std::array<Entry, 2> kFamily1 = {{{0xC84016, 1024}, {0xC84017, 1024}}};

constexpr std::array<Entry, 21> kFamily2 = {{
    {0xC22532, 64},
    {0xC22533, 512, 0, {}, kAlso64, kN1},
    {0xC22553, 64},
    {0xC22014, 512, 0, {}, kAlso64, kN1},
    {0xC22534, 512, 0, {}, kAlso64, kN1},
    {0xC22554, 64},
    {0xC22015, 64, 0, {}, {}, kN2},
    {0xC22415, 64},
    {0xC22515, 512},
    {0xC22535, 512},
    {0xC22016, 512, 0, {}, kAlso64, kN3},
    {0xC22536, 512},
    {0xC25E16, 512},
    {0xC22017, 512, 0, {}, kAlso64, kN4},
    {0xC22537, 512},
    {0xC22018, 512, 0, {}, kAlso64, kN5},
    {0xC22538, 512},
    {0xC22019, 512},
    {0xC22539, 512},
    {0xC2201A, 512},
    {0xC2253A, 512},
}};

constexpr std::array<Entry, 21> kFamily3 = {{
    {0xEF4016, 768, 0, {}, {}, kN6},
    {0xEF4017, 768, 0, {}, {}, kN7},
    {0xEF4018, 768},
    {0xEF4019, 768},
    {0xEF5012, 768},
    {0xEF5013, 768},
    {0xEF5014, 768},
    {0xEF6015, 768},
    {0xEF6016, 768},
    {0xEF6017, 768},
    {0xEF6018, 768},
    {0xC86013, 768},
    {0xC86014, 768},
    {0xC86015, 768},
    {0xC86016, 768},
    {0xC86017, 768},
    {0xC86018, 768},
    {0x014015, 768, 0, {}, {}, kN8},
    {0x014016, 768},
    {0x014017, 768},
    {0x014018, 768},
}};

constexpr std::array<Entry, 1> kFamily4 = {{{0xBF254B, 24, 0x8}}};

constexpr std::array<Entry, 5> kFamily5 = {{
    {0x010215, 512, 0x100, kSpansionRegions, {}, kN9},
    {0x010216, 512, 0x100, kSpansionRegions, {}, kN10},
    {0x012018, 1024, 0, kFirst32, {}, kN11},
    {0x010219, 1024, 0, kFirst32},
    {0x010220, 1024, 0, kFirst32},
}};

constexpr std::array<std::span<const Entry>, 6> kEntries = {kFamily0, kFamily1, kFamily2,
                                                            kFamily3, kFamily4, kFamily5};

}  // namespace

std::span<const Family> Families() { return kFamilies; }

std::span<const Entry> Entries(int family) {
  if (family < 0 || family >= static_cast<int>(kEntries.size())) return {};
  return kEntries[static_cast<std::size_t>(family)];
}

std::optional<Match> FindChip(const std::string& mainId) {
  for (const Family& f : kFamilies) {
    const std::span<const Entry> entries = Entries(f.index);
    for (std::size_t i = 0; i < entries.size(); ++i) {
      if (IdText(entries[i].id) == mainId) {
        return Match{f.index, static_cast<int>(i), &f, &entries[i]};
      }
    }
  }
  return std::nullopt;
}

}  // namespace tarnwick::otp
