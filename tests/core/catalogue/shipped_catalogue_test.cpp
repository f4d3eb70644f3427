// Walks the whole shipped catalogue: every record parses, its texts give the
// sizes of the chip tables it was made from, sizes agree with what the
// identifications say. (That every OTP chip is a main ID here is checked by
// the OTP table's own test, which walks that table.)
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <map>
#include <set>
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
  // The four flash tables less the rows that are other chips' revision
  // letters, doubtful or without a page and erase size, and the EEPROM table.
  EXPECT_EQ(catalogue.Count(), 584u + 10u + 81u + 160u + 159u);
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
  EXPECT_EQ(makers.size(), 32u) << "makers stand together";
  for (const char* m : {"WINBOND", "GIGADEVICE", "MX(MACRONIX)"}) {
    EXPECT_NE(std::find(makers.begin(), makers.end(), m), makers.end()) << m;
  }
  std::vector<std::string> models;
  catalogue.ListModels("25 SPI FLASH", "MX(MACRONIX)", models);
  EXPECT_EQ(models.size(), 106u + 29u + 14u);
}

TEST_F(ShippedCatalogue, CapacitiesGiveTheTableSizes) {
  const std::string dir = test::ShippedCatalogueDir() + "/source/";
  std::map<std::string, std::uint64_t> flashSizes;
  for (const char* name :
       {"spi_nor.csv", "spi_nor_added.csv", "spi_nor_linux.csv", "spi_nor_more.csv"}) {
    for (const auto& row : ReadCsv(dir + name)) {
      ASSERT_GE(row.size(), 6u);
      flashSizes[row[1] + "/" + (row[1] == "W77Q16JW" ? "EF8A15" : row[4])] = std::stoull(row[5]);
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
  EXPECT_EQ(flashChecked, 584u + 10u + 81u + 160u);

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

// The capacity byte (the ID's last byte) as most makers use it: 0x10-0x1F
// is 2^n bytes, 0x20-0x22 go on at 2^26 (Micron, ST), 0x30-0x3F are
// Macronix's 2^(n - 0x20). 0 when the byte follows none of these.
std::uint64_t SizeFromIdentification(const std::string& id) {
  const unsigned code = std::stoul(id, nullptr, 16) & 0xFF;
  if (code >= 0x10 && code <= 0x1F) return std::uint64_t{1} << code;
  if (code >= 0x20 && code <= 0x22) return std::uint64_t{1} << (code - 0x20 + 26);
  if (code >= 0x30 && code <= 0x3F) return std::uint64_t{1} << (code - 0x20);
  return 0;
}

TEST_F(ShippedCatalogue, FlashSizesAgreeWithTheirIdentificationsCapacityByte) {
  // Makers and families that code the capacity otherwise, and two parts that
  // answer for one die of several.
  const std::set<std::string> exceptions{
      "A25L05PT",     "A25L10PT",     "A25L16PT",    "A25L20PT",  // AMIC: 4-byte answer
      "AT25DF011",    "AT25DF021",    "AT25DF021A",  "AT25DF041A",  "AT25DF081",    "AT25DF081A",
      "AT25DF161",    "AT25DF321",    "AT25DF321A",  "AT25DF641",   "AT25DF641A",   "AT25DL081",
      "AT25DL161",    "AT25DQ161",    "AT25DQ321",   "AT25F512B",   "AT25FF321A",   "AT25FS010",
      "AT25FS040",    "AT25SF041",    "AT25SF081",   "AT25SF128A",  "AT25SF161",    "AT25SF321",
      "AT26DF041",    "AT26DF081A",   "AT26DF161",   "AT26DF161A",  "AT26DF321",
      "AT26F004",  // Atmel: a density code in the device byte
      "25F016S33B8",  "25F160S33B8",  "25F320S33B8", "25F640S33B8",  // Intel
      "IS25CD512",    "IS25LQ016",    "IS25WQ040",                   // ISSI, PMC-style
      "MX25V4035",    "MX25V8035",                                   // Macronix 0x5x
      "Pm25LD010",    "Pm25LD010C",   "Pm25LD020",   "Pm25LD020C",  "Pm25LD040",    "Pm25LD040C",
      "Pm25LD256C",   "Pm25LD512",    "Pm25LD512C",  "Pm25LQ016",   "Pm25LQ020",    "Pm25LQ032C",
      "Pm25LQ040",    "Pm25LQ080",    "Pm25LV010A",  "Pm25LV016B",  "Pm25LV020",    "Pm25LV040",
      "Pm25LV080B",                  // PMC: 7F 9D xx
      "LE25FW203A",   "LE25FW403A",  // Sanyo
      "S25FL004A",    "S25FL008A",    "S25FL016A",   "S25FL032A",   "S25FL032P",    "S25FL064A",
      "S25FL064P",    "S25SL004A",    "S25SL008A",   "S25SL016A",   "S25SL032A",
      "S25SL064A",  // Spansion before the S25FL-S
      "SST25VF016B",  "SST25VF020B",  "SST25VF032B", "SST25VF040B", "SST25VF064C",  "SST25VF080B",
      "SST25WF010",   "SST25WF020",   "SST25WF040",  "SST25WF080",  "SST25WF512",   "SST26VF016",
      "SST26VF016B",  "SST26VF016BA", "SST26VF032",  "SST26VF032B", "SST26VF032BA", "SST26VF064B",
      "SST26VF064BA", "SST26WF016B",  // SST
      "SST26WF032",   "SST26WF064",   // SST again
      "IS25LQ025B",                   // ISSI 9D 40 09
      "W25M512JV",    "W25M512JW",    // two 256-Mbit dies, each answering for itself
  };
  std::size_t checked = 0;
  std::set<std::string> exceptionsSeen;
  for (const ChipRecord& r : catalogue.Records()) {
    if (r.type() != "25 SPI FLASH") continue;
    const std::uint64_t size = ChipSizeFromCapacity(r.capacity());
    if (exceptions.count(r.model())) {
      exceptionsSeen.insert(r.model());
      EXPECT_NE(SizeFromIdentification(r.mainId()), size) << r.model() << " is no exception";
      continue;
    }
    EXPECT_EQ(SizeFromIdentification(r.mainId()), size) << r.model() << " " << r.mainId();
    ++checked;
  }
  EXPECT_EQ(exceptionsSeen, exceptions) << "every exception names a shipped record";
  EXPECT_GT(checked, 500u);
}

TEST_F(ShippedCatalogue, PagesArePowersOfTwoAndWordChipsNameTheirOrganisation) {
  for (const ChipRecord& r : catalogue.Records()) {
    SCOPED_TRACE(r.type() + "/" + r.model());
    const std::string& page = r.fields[ChipRecord::kPageSize];
    if (page != "N") {
      const unsigned long bytes = std::stoul(page);
      EXPECT_TRUE(bytes > 0 && (bytes & (bytes - 1)) == 0) << page;
    }
    if (r.type() == "93 EEPROM") {
      // The operation type's last digit and the capacity say x8 or x16 alike.
      const bool x16 = r.operationType().back() == '1';
      EXPECT_EQ(IsWordOrganised(r.capacity()), x16) << r.capacity();
      EXPECT_EQ(page, x16 ? "2" : "1");
    }
  }
}

// The makers of today's cheap boards each answer with a maker byte of their
// own, so an identification names its maker; where JEDEC banks made two makers
// share a byte, the sharing is listed here by name.
TEST_F(ShippedCatalogue, EachNewMakersIdByteNamesThatMaker) {
  const std::map<std::string, std::set<std::string>> shared{
      {"20", {"MICRON", "MICRON/NUMONYX/ST", "XMC", "XTX"}},  // bank 1 and later banks' 0x20
      {"68", {"BOYA", "HUAHONG"}},
      {"F8", {"DOSILICON", "FIDELIX"}},
      {"1C", {"EON", "GM"}},
  };
  std::map<std::string, std::set<std::string>> makersOfByte;
  for (const ChipRecord& r : catalogue.Records()) {
    if (r.type() == "25 SPI FLASH") makersOfByte[r.mainId().substr(0, 2)].insert(r.maker());
  }
  for (const char* maker : {"XTX", "PUYA", "BOYA", "ZBIT", "XMC", "DOSILICON", "ZETTA",
                            "SILICONKAISER", "GM", "GIANTEC", "HUAHONG", "PARAGON"}) {
    std::size_t bytes = 0;
    for (const auto& [byte, makers] : makersOfByte) {
      if (!makers.count(maker)) continue;
      ++bytes;
      const auto it = shared.find(byte);
      EXPECT_EQ(makers, it == shared.end() ? std::set<std::string>{maker} : it->second)
          << maker << " " << byte;
    }
    EXPECT_GT(bytes, 0u) << maker << " has records";
  }
}

TEST_F(ShippedCatalogue, AnIdentificationSharedByRevisionsListsThemAll) {
  std::vector<std::uint32_t> found;
  catalogue.FindByMainId(0xEF4018, found);
  std::set<std::string> models;
  for (std::uint32_t i : found) models.insert(catalogue.Record(i)->model());
  for (const char* m : {"W25Q128BV", "W25Q128FV", "W25Q128JV"}) {
    EXPECT_TRUE(models.count(m)) << m;
  }
  found.clear();
  EXPECT_EQ(catalogue.FindByMainId(0xEF8A16, found), 1u) << "W77Q32JW alone";
}

}  // namespace
}  // namespace tarnwick
