// Frame bytes built from a record: every byte the box relies on.
#include <gtest/gtest.h>

#include "core/catalogue/catalogue_test_util.h"
#include "core/catalogue/chip_geometry.h"
#include "core/device/parameter_build.h"

namespace tarnwick {
namespace {

ChipRecord Record(const std::string& page, const std::string& sector, const std::string& capacity,
                  const std::string& mainAddress, const std::string& secondAddress,
                  const std::string& voltage, const std::string& op) {
  ChipRecord r;
  r.fields[ChipRecord::kType] = "25 SPI FLASH";
  r.fields[ChipRecord::kMaker] = "WINBOND";
  r.fields[ChipRecord::kModel] = "W25X";
  r.fields[ChipRecord::kPageSize] = page;
  r.fields[ChipRecord::kSectorSize] = sector;
  r.fields[ChipRecord::kCapacity] = capacity;
  r.fields[ChipRecord::kMainAddress] = mainAddress;
  r.fields[ChipRecord::kSecondaryAddress] = secondAddress;
  r.fields[ChipRecord::kMainId] = "EF4017";
  r.fields[ChipRecord::kSecondaryId] = "000000";
  r.fields[ChipRecord::kVoltage] = voltage;
  r.fields[ChipRecord::kOperationType] = op;
  return r;
}

std::array<std::uint8_t, 4> CapacityBytes(const CommandFrame& f) {
  return {f.bytes[6], f.bytes[7], f.bytes[8], f.bytes[9]};
}

TEST(ParameterBuild, SpiFlashRecordGivesTheWholeFrame) {
  CommandFrame f;
  f.bytes.fill(0xEE);
  f.bytes[1] = 0x07;  // command bits of the last command
  const auto size =
      BuildParameters(Record("256", "4K", "8MB", "N", "000", "3.3V", "000"), false, f);
  EXPECT_EQ(size, 8u << 20);
  const std::array<std::uint8_t, 20> expected{0xA5, 0x07, 0x00, 0x00, 8,    2,    0x00,
                                              0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0xEE,
                                              0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0x5A};
  EXPECT_EQ(f.bytes, expected) << "command bits and payload stay";
}

TEST(ParameterBuild, CapacityTexts) {
  CommandFrame f;
  auto build = [&](const std::string& capacity) {
    return BuildParameters(Record("256", "4K", capacity, "N", "000", "3.3V", "000"), false, f);
  };
  EXPECT_EQ(build("64KB"), 65536u);
  EXPECT_EQ(CapacityBytes(f), (std::array<std::uint8_t, 4>{0x00, 0x01, 0x00, 0x00}));
  EXPECT_EQ(f.bytes[1] & 0x40, 0);
  EXPECT_EQ(build("1K*16bit"), 2048u);
  EXPECT_EQ(CapacityBytes(f), (std::array<std::uint8_t, 4>{0x00, 0x00, 0x08, 0x00}));
  EXPECT_EQ(f.bytes[1] & 0x40, 0x40) << "word organisation";
  EXPECT_EQ(build("64*16bit"), 128u);
  EXPECT_EQ(build("128B"), 128u);
  EXPECT_EQ(f.bytes[1] & 0x40, 0);
  EXPECT_EQ(build("256MB"), 256u << 20);
  EXPECT_EQ(CapacityBytes(f), (std::array<std::uint8_t, 4>{0x10, 0x00, 0x00, 0x00}));
  EXPECT_EQ(build("2GB"), 2ull << 30);
  // 4 GiB does not fit the frame's 32 bits: the size stays true, the frame
  // carries the low 32 bits.
  EXPECT_EQ(build("4GB"), 4ull << 30);
  EXPECT_EQ(CapacityBytes(f), (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
  EXPECT_EQ(build("8MBIT"), 8u << 20) << "cut after the first B";
  EXPECT_EQ(build("512"), 0u) << "no unit, no capacity";
  EXPECT_EQ(f.bytes[1] & 0x40, 0x40);
  EXPECT_EQ(build(""), 0u);
  EXPECT_EQ(build("KB"), 0u);
  EXPECT_EQ(build("*16bit"), 0u) << "the marker at the first position does not double";
  EXPECT_EQ(build("99999999999999999999GB"), 0xFFFFFFFFull << 30) << "saturates, no overflow";
}

TEST(ParameterBuild, PageAndSectorCodes) {
  EXPECT_EQ(PageSizeCode("256"), 8);
  EXPECT_EQ(PageSizeCode("N"), 0xFF);
  EXPECT_EQ(PageSizeCode("3"), 3);
  EXPECT_EQ(PageSizeCode("1"), 0);
  EXPECT_EQ(PageSizeCode("65536"), 16);
  EXPECT_EQ(PageSizeCode("131072"), 0x00) << "2^17 is past the table: its low byte";
  EXPECT_EQ(PageSizeCode("300"), 300 & 0xFF);
  EXPECT_EQ(SectorSizeCode("N"), 0);
  EXPECT_EQ(SectorSizeCode("F"), 0xFF);
  EXPECT_EQ(SectorSizeCode("4K"), 2);
  EXPECT_EQ(SectorSizeCode("64K"), 6);
  EXPECT_EQ(SectorSizeCode("4096"), 12);
  EXPECT_EQ(SectorSizeCode(""), 0);
}

TEST(ParameterBuild, FlagsClassSubcodeAndAddresses) {
  CommandFrame f;
  f.bytes[2] = 0x70;
  BuildParameters(Record("16", "N", "2KB", "A0", "002", "1.7-5.5", "102"), true, f);
  EXPECT_EQ(f.bytes[1] & 0x80, 0x80) << "5-volt part";
  EXPECT_EQ(f.bytes[2], 0x81) << "class 1, stale high nibble cleared, adapter bit";
  EXPECT_EQ(f.bytes[3], 0x02);
  EXPECT_EQ(f.bytes[10], 0xA0);
  EXPECT_EQ(f.bytes[11], 0x0);
  EXPECT_EQ(f.bytes[12], 0x02);

  BuildParameters(Record("2", "N", "1K*16bit", "N", "016", "1.8-5.5", "301"), false, f);
  EXPECT_EQ(f.bytes[2], 0x03);
  EXPECT_EQ(f.bytes[3], 0x01);
  EXPECT_EQ(f.bytes[10], 0);
  EXPECT_EQ(f.bytes[11], 0);
  EXPECT_EQ(f.bytes[12], 16) << "class 3 reads the address width in decimal";

  BuildParameters(Record("256", "4K", "8MB", "N", "1AB", "3.3V", "2A1"), false, f);
  EXPECT_EQ(f.bytes[1] & 0x80, 0);
  EXPECT_EQ(f.bytes[3], 0xA1);
  EXPECT_EQ(f.bytes[11], 0x1);
  EXPECT_EQ(f.bytes[12], 0xAB) << "other classes read it in hex";
}

TEST(ParameterBuild, ShortAndOddFieldsStayInsideTheirText) {
  CommandFrame f;
  const auto size = BuildParameters(Record("", "", "", "", "", "", ""), true, f);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(f.bytes[0], 0xA5);
  EXPECT_EQ(f.bytes[2], 0x80);
  EXPECT_EQ(f.bytes[3], 0x00);
  EXPECT_EQ(f.bytes[10], 0x00);
  EXPECT_EQ(f.bytes[12], 0x00);
  EXPECT_EQ(f.bytes[19], 0x5A);
  BuildParameters(Record("x", "y", "zB", "A", "3", "5", "3"), false, f);
  EXPECT_EQ(f.bytes[1] & 0x80, 0x80);
  EXPECT_EQ(f.bytes[2], 0x03);
  EXPECT_EQ(f.bytes[10], 0xA0);
}

TEST(ParameterBuild, ByIndexRefusesARecordOutsideTheCatalogue) {
  Catalogue c;
  c.LoadText(test::CrLf({"$T", "#M|", "@A:256:4K:64KB:N:000:000000:000000:3.3V:000"}));
  CommandFrame f;
  EXPECT_EQ(BuildParameters(c, 0, false, f), std::optional<std::uint64_t>(65536));
  f.bytes.fill(0x11);
  EXPECT_EQ(BuildParameters(c, 1, false, f), std::nullopt);
  EXPECT_EQ(BuildParameters(c, -1, false, f), std::nullopt);
  EXPECT_EQ(f.bytes[0], 0x11) << "the frame is untouched";
}

}  // namespace
}  // namespace tarnwick
