// Description files: the shipped examples, field rules and error messages.
#include <gtest/gtest.h>

#include "sim/box_description.h"
#include "sim/chip_models.h"
#include "support/temp_dir.h"

namespace tarnwick::sim {
namespace {

std::optional<BoxDescription> Parse(const std::string& text, std::string& error) {
  return ParseBoxDescription(text, "/base", error);
}

TEST(DescriptionTest, ShippedExamplesLoad) {
  const std::string dir = std::string(TARNWICK_SOURCE_DIR) + "/resources/sim/";
  std::string error;
  auto def = LoadBoxDescription(dir + "default.box", error);
  ASSERT_TRUE(def) << error;
  ASSERT_TRUE(def->chip);
  EXPECT_EQ(def->chip->id, 0x1C3017u);
  EXPECT_EQ(def->chip->contentPath, dir + "en25q64.bin");

  auto eeprom = LoadBoxDescription(dir + "eeprom_24c256.box", error);
  ASSERT_TRUE(eeprom) << error;
  EXPECT_EQ(eeprom->chip->kind, ChipKind::Eeprom);
  EXPECT_EQ(eeprom->chip->size, 32768u);
  EXPECT_TRUE(eeprom->chip->fiveVolt);
  // Two word-address bytes: the mode of the 24C256 records, as the built-in model.
  EXPECT_EQ(eeprom->chip->subcodes, BuiltInChip("24C256")->subcodes);
  EXPECT_EQ(eeprom->chip->subcodes, std::vector<std::uint8_t>{0x02});
  EXPECT_EQ(eeprom->speed, SpeedKind::Realistic);

  auto adapter = LoadBoxDescription(dir + "adapter_box.box", error);
  ASSERT_TRUE(adapter) << error;
  EXPECT_TRUE(adapter->adapterFitted);
  EXPECT_TRUE(adapter->chip->quadEnable);

  auto refusing = LoadBoxDescription(dir + "refusing_box.box", error);
  ASSERT_TRUE(refusing) << error;
  EXPECT_TRUE(refusing->bootLoader);
  EXPECT_EQ(refusing->firmwareVersion, 0xFF);

  auto flaky = LoadBoxDescription(dir + "flaky_box.box", error);
  ASSERT_TRUE(flaky) << error;
  ASSERT_EQ(flaky->faults.scripted.size(), 1u);
  EXPECT_EQ(flaky->faults.scripted[0].amount, 3000u);
  EXPECT_EQ(flaky->faults.seed, 20240611u);
  EXPECT_EQ(flaky->faults.randomBytes, 8u << 20);
}

TEST(DescriptionTest, ContentFolderKeepsRelativeContentAndFirmwareButNotTheBootTable) {
  test::TempDir shipped;
  test::TempDir state;
  shipped.Write("x.box", std::string("[box]\nboot_table = table.bin\n[chip]\nmodel = EN25Q64\n"
                                     "content = chip.bin\n"));
  std::string error;
  auto box = LoadBoxDescription(shipped.file("x.box"), error, state.base());
  ASSERT_TRUE(box) << error;
  EXPECT_EQ(box->chip->contentPath, state.file("chip.bin"));
  EXPECT_EQ(box->firmwarePath, state.file("x.box.fw"));
  EXPECT_EQ(box->bootTablePath, shipped.file("table.bin"));
  // Without one, everything stays beside the file.
  box = LoadBoxDescription(shipped.file("x.box"), error);
  ASSERT_TRUE(box) << error;
  EXPECT_EQ(box->chip->contentPath, shipped.file("chip.bin"));
  EXPECT_EQ(box->firmwarePath, shipped.file("x.box.fw"));
}

TEST(DescriptionTest, DefaultBoxMatchesTheDefaultFile) {
  const BoxDescription d = DefaultBoxDescription("/tmp/x");
  EXPECT_TRUE(d.present);
  EXPECT_FALSE(d.adapterFitted);
  EXPECT_EQ(d.firmwareVersion, 0x23);
  EXPECT_EQ(d.serial, 0x012345u);
  ASSERT_TRUE(d.chip);
  EXPECT_EQ(d.chip->size, 8u << 20);
  EXPECT_EQ(d.chip->otp.size, 512u);
  EXPECT_FALSE(d.chip->otp.locked);
  EXPECT_EQ(d.chip->contentPath, "/tmp/x/en25q64.bin");
  EXPECT_EQ(d.chip->fill, ContentFill::Pattern);
}

TEST(DescriptionTest, RawFieldsOverrideTheModelAndClassesSetDefaults) {
  std::string error;
  auto d = Parse(
      "[chip]\n"
      "size = 16M\n"
      "model = EN25Q64\n"
      "otp_locked = yes\n"
      "subcodes = 00, 0x20\n",
      error);
  ASSERT_TRUE(d) << error;
  EXPECT_EQ(d->chip->size, 16u << 20);
  EXPECT_EQ(d->chip->id, 0x1C3017u);
  EXPECT_TRUE(d->chip->otp.locked);
  EXPECT_EQ(d->chip->subcodes, (std::vector<std::uint8_t>{0x00, 0x20}));
  EXPECT_EQ(d->chip->contentPath, "/base/en25q64.bin");

  d = Parse("[chip]\nclass = 3\nsize = 128\nword = yes\ncontent = /abs/m.bin\n", error);
  ASSERT_TRUE(d) << error;
  EXPECT_EQ(d->chip->kind, ChipKind::Eeprom);
  EXPECT_TRUE(d->chip->fiveVolt);
  EXPECT_EQ(d->chip->subcodes, std::vector<std::uint8_t>{0x00});
  EXPECT_EQ(d->chip->contentPath, "/abs/m.bin");
  EXPECT_EQ(EepromFamilyAnswer(3), 0x000005u);

  d = Parse("# no chip section: an empty socket\r\n[box]\r\npresent = no\r\n", error);
  ASSERT_TRUE(d) << error;
  EXPECT_FALSE(d->chip);
  EXPECT_FALSE(d->present);
  // The boot loader's own table, beside the description unless absolute.
  d = Parse("[box]\nboot_table = other-table.bin\n", error);
  ASSERT_TRUE(d) << error;
  EXPECT_EQ(d->bootTablePath, "/base/other-table.bin");
  d = Parse("[box]\nboot_table = /abs/t.bin\n", error);
  ASSERT_TRUE(d) << error;
  EXPECT_EQ(d->bootTablePath, "/abs/t.bin");
}

TEST(DescriptionTest, FaultTriggers) {
  std::string error;
  auto d = Parse(
      "[faults]\n"
      "unplug = at byte 0x100000\n"
      "stall = at command 7\n"
      "erase_hang = always\n"
      "refuse = at command 1\n"
      "random = stall, partial_write\n"
      "seed = random\n",
      error);
  ASSERT_TRUE(d) << error;
  ASSERT_EQ(d->faults.scripted.size(), 4u);
  EXPECT_EQ(d->faults.scripted[0].trigger.when, FaultTrigger::When::AtByte);
  EXPECT_EQ(d->faults.scripted[0].trigger.value, 0x100000u);
  EXPECT_EQ(d->faults.scripted[1].trigger.value, 7u);
  EXPECT_EQ(d->faults.scripted[2].trigger.when, FaultTrigger::When::Always);
  EXPECT_EQ(d->faults.random.size(), 2u);
  EXPECT_FALSE(d->faults.seed);
}

TEST(DescriptionTest, ErrorsNameTheLine) {
  struct Case {
    const char* text;
    const char* expected;
  };
  const Case cases[] = {
      {"[box]\nfirmware = 0x123\n", "line 2: 'firmware': '0x123' is not a byte"},
      {"[box]\ncolour = red\n", "line 2: unknown [box] setting 'colour'"},
      {"present = yes\n", "line 1: a setting before the first [section]"},
      {"[box\n", "line 1: a section header must end with ']'"},
      {"[sockets]\n", "line 1: unknown section [sockets] (use box, chip, speed, faults or socket)"},
      {"[box]\nadapter\n", "line 2: expected 'key = value'"},
      {"[box]\nadapter =\n", "line 2: 'adapter' has no value"},
      {"\n[chip]\nmodel = XYZ123\n", "line 3: unknown model 'XYZ123'"},
      {"[chip]\nsize = 1M\n", "line 1: an SPI flash chip needs an 'id'"},
      {"[chip]\nkind = eeprom\n", "line 1: [chip] needs a model or raw fields with a size"},
      {"[chip]\nclass = 5\n", "line 2: 'class': '5' is not a class from 0 to 4"},
      {"[chip]\nsize = 8G\nid = 1\n", "line 2: 'size': '8G' is not a size up to 4G-1"},
      // 17179869185 * 2^30 is 2^64 + 2^30: it must not wrap to 1G.
      {"[chip]\nmodel = EN25Q64\nsize = 17179869185G\n",
       "line 3: 'size': '17179869185G' is not a size up to 4G-1"},
      {"[chip]\nmodel = EN25Q64\npage = 16777216K\n", "line 3: 'page'"},
      {"[faults]\nunplug = at byte 17179869185G\n", "line 2: 'unplug'"},
      {"[chip]\nmodel = EN25Q64\nid = 1C30177\n", "line 3: 'id'"},
      {"[chip]\nmodel = EN25Q64\notp_method = 01 02\n", "line 3: 'otp_method'"},
      {"[chip]\nmodel = EN25Q64\notp_start = 0xFF00\n",
       "line 1: the OTP area must lie within 16-bit addresses"},
      {"[chip]\nmodel = EN25Q64\n[chip]\n", "line 3: a second [chip] section"},
      {"[speed]\nmodel = fast\n", "line 2: 'model': 'fast' is not instant or realistic"},
      {"[faults]\nstall = at command 0\n", "line 2: 'stall'"},
      {"[faults]\nstall = sometimes\n", "line 2: 'stall'"},
      {"[faults]\npartial_write = at command 3\n", "line 2: 'partial_write'"},
      {"[faults]\nrandom = stall, meteor\n", "line 2: 'random'"},
      {"[faults]\nflood = always\n", "line 2: unknown [faults] setting 'flood'"},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(Parse(c.text, error)) << c.text;
    EXPECT_EQ(error.rfind(c.expected, 0), 0u) << "text: " << c.text << "\nerror: " << error;
  }
}

TEST(DescriptionTest, MissingFileNamesThePath) {
  std::string error;
  EXPECT_FALSE(LoadBoxDescription("/nonexistent/box.box", error));
  EXPECT_EQ(error, "/nonexistent/box.box: cannot be opened");
  tarnwick::test::TempDir dir;
  dir.Write("bad.box", std::string("[box]\nserial = 0x1000000\n"));
  EXPECT_FALSE(LoadBoxDescription(dir.file("bad.box"), error));
  EXPECT_EQ(error.rfind(dir.file("bad.box") + ": line 2: 'serial'", 0), 0u) << error;
}

TEST(DescriptionTest, BuiltInModelsAreComplete) {
  for (std::string_view name : BuiltInModelNames()) {
    auto chip = BuiltInChip(name);
    ASSERT_TRUE(chip) << name;
    EXPECT_GT(chip->size, 0u) << name;
    EXPECT_EQ(chip->kind == ChipKind::SpiFlash, chip->id.has_value()) << name;
    if (chip->otp.size) {
      EXPECT_TRUE(chip->otp.method.empty() || chip->otp.method.size() == 9) << name;
    }
  }
  EXPECT_TRUE(BuiltInChip("en25q64"));  // names match without regard to case
}

}  // namespace
}  // namespace tarnwick::sim
