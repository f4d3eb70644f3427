// Walks the whole shipped catalogue: every record parses, its texts give the
// sizes of the chip tables it was made from, and every chip the OTP table
// knows can be found by its identification.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <map>
#include <sstream>

#include "catalogue_test_util.h"
#include "core/catalogue/catalogue.h"
#include "core/catalogue/catalogue_codec.h"
#include "core/catalogue/chip_geometry.h"
#include "core/catalogue/selection_rules.h"
#include "core/device/parameter_build.h"

namespace tarnwick {
namespace {

// Minimal CSV reading: the tables quote only their notes column.
std::vector<std::vector<std::string>> ReadCsv(const std::string& path) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream in(test::ReadWholeFile(path));
  std::string line;
  while (std::getline(in, line)) {
    std::vector<std::string> cells(1);
    bool quoted = false;
    for (char c : line) {
      if (c == '"') {
        quoted = !quoted;
      } else if (c == ',' && !quoted) {
        cells.emplace_back();
      } else if (c != '\r') {
        cells.back() += c;
      }
    }
    rows.push_back(cells);
  }
  if (!rows.empty()) rows.erase(rows.begin());  // header
  return rows;
}

bool IsSixHex(const std::string& s) {
  if (s.size() != 6) return false;
  for (char c : s) {
    if (!std::isdigit(static_cast<unsigned char>(c)) && (c < 'A' || c > 'F')) return false;
  }
  return true;
}

class ShippedCatalogue : public ::testing::Test {
 protected:
  void SetUp() override {
    // Load exactly what the build stores: the encoded source, read back.
    std::string stored;
    CatalogueEncodeError error;
    ASSERT_TRUE(EncodeCatalogue(test::ShippedCatalogueSource(), stored, error))
        << "line " << error.line << " column " << error.column;
    catalogue.LoadText(DecodeCatalogue(stored));
  }
  Catalogue catalogue;
};

TEST_F(ShippedCatalogue, EveryRecordIsWellFormed) {
  EXPECT_EQ(catalogue.Report().TotalRefused(), 0u) << FormatRefusalLog(catalogue.Report());
  EXPECT_EQ(catalogue.Count(), 584u + 10u + 159u);
  std::map<std::string, int> seen;
  for (const ChipRecord& r : catalogue.Records()) {
    SCOPED_TRACE(r.model());
    EXPECT_TRUE(IsSixHex(r.mainId()));
    EXPECT_TRUE(IsSixHex(r.secondaryId()));
    EXPECT_EQ(r.operationType().size(), 3u);
    EXPECT_TRUE(SocketPictureFor(r.operationType()).has_value());
    EXPECT_GT(ChipSizeFromCapacity(r.capacity()), 0u);
    const std::string& addr = r.fields[ChipRecord::kMainAddress];
    EXPECT_TRUE(addr == "N" || addr.size() == 2);
    EXPECT_EQ(r.fields[ChipRecord::kSecondaryAddress].size(), 3u);
    const bool flash = r.type() == "25 SPI FLASH";
    EXPECT_EQ(r.voltage().back() == '5', !flash) << "every shipped EEPROM is a 5-volt part";
    EXPECT_EQ(++seen[r.type() + "/" + r.maker() + "/" + r.model()], 1)
        << "a duplicate name could never be chosen";
  }
}

TEST_F(ShippedCatalogue, ListsHoldTheFiveTypesInDetectionOrder) {
  std::vector<std::string> types;
  catalogue.ListTypes(types);
  EXPECT_EQ(types, (std::vector<std::string>{"25 SPI FLASH", "24 EEPROM", "93 EEPROM", "25 EEPROM",
                                             "95 EEPROM"}));
  std::vector<std::string> makers;
  catalogue.ListMakers("25 SPI FLASH", makers);
  EXPECT_EQ(makers.size(), 25u) << "makers stand together";
  for (const char* m : {"WINBOND", "GIGADEVICE", "MX(MACRONIX)"}) {
    EXPECT_NE(std::find(makers.begin(), makers.end(), m), makers.end()) << m;
  }
  std::vector<std::string> models;
  catalogue.ListModels("25 SPI FLASH", "MX(MACRONIX)", models);
  EXPECT_EQ(models.size(), 106u);
}

TEST_F(ShippedCatalogue, CapacitiesGiveTheTableSizes) {
  const std::string dir = test::ShippedCatalogueDir() + "/source/";
  std::map<std::string, std::uint64_t> flashSizes;
  for (const char* name : {"spi_nor.csv", "spi_nor_added.csv"}) {
    for (const auto& row : ReadCsv(dir + name)) {
      ASSERT_GE(row.size(), 6u);
      flashSizes[row[1] + "/" + row[4]] = std::stoull(row[5]);
    }
  }
  std::size_t flashChecked = 0;
  std::size_t eepromChecked = 0;
  for (const ChipRecord& r : catalogue.Records()) {
    if (r.type() != "25 SPI FLASH") continue;
    const std::string key = r.model() + "/" + r.mainId();
    ASSERT_TRUE(flashSizes.count(key)) << key;
    EXPECT_EQ(ChipSizeFromCapacity(r.capacity()), flashSizes[key]) << key;
    ++flashChecked;
  }
  EXPECT_EQ(flashChecked, flashSizes.size());

  const std::map<std::string, std::string> typeOf{
      {"24", "24 EEPROM"}, {"93", "93 EEPROM"}, {"25", "25 EEPROM"}, {"95", "95 EEPROM"}};
  for (const auto& row : ReadCsv(dir + "eeprom.csv")) {
    ASSERT_GE(row.size(), 7u);
    const std::string model = row[2];
    const bool x16 = row[5] == "x16";
    bool found = false;
    for (const ChipRecord& r : catalogue.Records()) {
      if (r.type() != typeOf.at(row[0])) continue;
      if (r.model() != model && r.model() != model + (x16 ? "(x16)" : "(x8)")) continue;
      found = true;
      EXPECT_EQ(ChipSizeFromCapacity(r.capacity()), std::stoull(row[3])) << model;
      EXPECT_EQ(!IsWordOrganised(r.capacity()), !x16) << model;
      CommandFrame f;
      BuildParameters(r, false, f);
      EXPECT_EQ(f.bytes[1] & 0x80, 0x80) << model;
      EXPECT_EQ(f.bytes[2], row[0] == "24" ? 1 : row[0] == "25" ? 2 : row[0] == "93" ? 3 : 4);
      if (row[0] == "93") {
        EXPECT_EQ(f.bytes[3] & 0x0F, x16 ? 1 : 0) << model;
      }
      ++eepromChecked;
    }
    EXPECT_TRUE(found) << model;
  }
  EXPECT_EQ(eepromChecked, 159u);
}

TEST_F(ShippedCatalogue, EveryOtpChipIsFoundByItsIdentification) {
  const std::uint32_t otpIds[] = {
      // family 0
      0xC83114, 0xC83013, 0xC83014, 0xC82013, 0xC82014, 0x1C2016, 0x1C3014, 0x1C3015, 0x1C3110,
      0x1C3111, 0x1C3118, 0x1C3112, 0x1C3113, 0x1C2017, 0x1C3016, 0x1C3017, 0x1C3018, 0x1C5114,
      0x1C5115,
      // family 1
      0xC84016, 0xC84017,
      // family 2
      0xC22532, 0xC22533, 0xC22553, 0xC22014, 0xC22534, 0xC22554, 0xC22015, 0xC22415, 0xC22515,
      0xC22535, 0xC22016, 0xC22536, 0xC25E16, 0xC22017, 0xC22537, 0xC22018, 0xC22538, 0xC22019,
      0xC22539, 0xC2201A, 0xC2253A,
      // family 3
      0xEF4016, 0xEF4017, 0xEF4018, 0xEF4019, 0xEF5012, 0xEF5013, 0xEF5014, 0xEF6015, 0xEF6016,
      0xEF6017, 0xEF6018, 0xC86013, 0xC86014, 0xC86015, 0xC86016, 0xC86017, 0xC86018, 0x014015,
      0x014016, 0x014017, 0x014018,
      // family 4 and 5
      0xBF254B, 0x010215, 0x010216, 0x012018, 0x010219, 0x010220};
  for (std::uint32_t id : otpIds) {
    std::vector<std::uint32_t> found;
    EXPECT_GT(catalogue.FindByMainId(id, found), 0u) << FormatChipId(id);
    for (std::uint32_t i : found) {
      EXPECT_EQ(catalogue.Record(i)->type(), "25 SPI FLASH") << FormatChipId(id);
    }
  }
}

}  // namespace
}  // namespace tarnwick
