// The makers of today's cheap boards: the virtual box knows a part of each by
// its model name, and detection selects that part's catalogue record, also
// when the box is given the part's raw identification instead of its name.
#include <gtest/gtest.h>

#include <string>

#include "cli/cli_fixture.h"

namespace tarnwick::test {
namespace {

struct NewMakerPart {
  const char* maker;  // as the catalogue lists it
  const char* model;
  const char* id;
  const char* size;
};

constexpr NewMakerPart kParts[] = {
    {"XTX", "XT25F128B", "0B4018", "16M"}, {"PUYA", "P25Q128H", "856018", "16M"},
    {"BOYA", "BY25D80A", "684014", "1M"},  {"ZBIT", "ZB25VQ64", "5E4017", "8M"},
    {"XMC", "XM25QH64B", "206017", "8M"},  {"DOSILICON", "DS25M4AB", "E54218", "16M"},
    {"ZETTA", "ZD25Q64B", "BA3217", "8M"}, {"SILICONKAISER", "SK25P64", "256017", "8M"},
};

class CliNewMakers : public CliFlow {
 protected:
  CliRun Detect(const std::string& chipSection) {
    dir.Write("box.box", "[chip]\n" + chipSection + "content = chip.bin\nfill = blank\n");
    return Cli({"detect"}, "--simulate=" + dir.file("box.box"));
  }
};

TEST_F(CliNewMakers, EachNewMakersPartIsDetectedByNameAndByItsRawIdentification) {
  for (const NewMakerPart& p : kParts) {
    const std::string chip = std::string("25 SPI FLASH/") + p.maker + "/" + p.model;
    const CliRun byName = Detect(std::string("model = ") + p.model + "\n");
    EXPECT_EQ(byName.status, 0) << p.model << ": " << byName.err;
    EXPECT_NE(byName.out.find(chip), std::string::npos) << byName.out;

    std::filesystem::remove(dir.file("chip.bin"));
    const CliRun raw = Detect(std::string("model = board\nkind = spi_flash\nid = ") + p.id +
                              "\nsize = " + p.size + "\npage = 256\nsector = 4K\n");
    EXPECT_EQ(raw.status, 0) << p.id << ": " << raw.err;
    EXPECT_NE(raw.out.find(chip), std::string::npos) << raw.out;
    std::filesystem::remove(dir.file("chip.bin"));
  }
}

}  // namespace
}  // namespace tarnwick::test
