// Capacity text, socket picture and quad-enable rules, alone.
#include <gtest/gtest.h>

#include "core/catalogue/selection_rules.h"
#include "resources/ids.h"

namespace tarnwick {
namespace {

TEST(CapacityText, ByteOrganisedSizesInBitsAndBytes) {
  EXPECT_EQ(CapacityText("8MB", 8u << 20), "64Mbits/8Mbytes");
  EXPECT_EQ(CapacityText("256B", 256), "2Kbits/256bytes");
  EXPECT_EQ(CapacityText("64KB", 65536), "512Kbits/64Kbytes");
  EXPECT_EQ(CapacityText("128B", 128), "1Kbits/128bytes");
  EXPECT_EQ(CapacityText("64B", 64), "512bits/64bytes");
  EXPECT_EQ(CapacityText("128MB", 128u << 20), "1Gbits/128Mbytes");
  // The bit count no longer fits 32 bits from 512 MiB on.
  EXPECT_EQ(CapacityText("512MB", 512u << 20), "4Gbits/512Mbytes");
  EXPECT_EQ(CapacityText("1GB", 1ull << 30), "8Gbits/1Gbytes");
  EXPECT_EQ(CapacityText("4GB", 4ull << 30), "32Gbits/4Gbytes");
  EXPECT_EQ(CapacityText("96KB", 96 * 1024), "768Kbits/96Kbytes");
  EXPECT_EQ(CapacityText("1536B", 1536), "12Kbits/1Kbytes") << "divisions truncate";
}

TEST(CapacityText, OtherFieldsAreShownUnchanged) {
  EXPECT_EQ(CapacityText("1K*16bit", 2048), "1K*16bit");
  EXPECT_EQ(CapacityText("64*16bit", 128), "64*16bit");
  EXPECT_EQ(CapacityText("512", 0), "512");
  EXPECT_EQ(CapacityText("B", 0), "B") << "a B at the first position is no unit";
  EXPECT_EQ(CapacityText("", 0), "");
}

TEST(SocketPicture, ChosenByClassAndThirdCharacter) {
  EXPECT_EQ(SocketPictureFor("000"), ids::kSocketIconClass0);
  EXPECT_EQ(SocketPictureFor("0"), ids::kSocketIconClass0);
  EXPECT_EQ(SocketPictureFor("102"), ids::kSocketIconClass1);
  EXPECT_EQ(SocketPictureFor("200"), ids::kSocketIconClass0);
  EXPECT_EQ(SocketPictureFor("201"), ids::kSocketIconClass2Sub1);
  EXPECT_EQ(SocketPictureFor("310"), ids::kSocketIconClass3Sub0);
  EXPECT_EQ(SocketPictureFor("301"), ids::kSocketIconClass3Sub1);
  EXPECT_EQ(SocketPictureFor("400"), ids::kSocketIconClass4);
  EXPECT_EQ(SocketPictureFor("202"), std::nullopt);
  EXPECT_EQ(SocketPictureFor("3"), std::nullopt);
  EXPECT_EQ(SocketPictureFor("500"), std::nullopt);
  EXPECT_EQ(SocketPictureFor(""), std::nullopt);
}

TEST(QeRule, WinbondAndGigaDeviceFromOneMebibyte) {
  const QeMethodBytes wg{0x09, 0x02};
  EXPECT_EQ(QeMethodFor("25 SPI FLASH", "WINBOND", "W25Q40", (1 << 20) - 1), std::nullopt);
  EXPECT_EQ(QeMethodFor("25 SPI FLASH", "WINBOND", "W25Q80", 1 << 20), wg);
  EXPECT_EQ(QeMethodFor("25 SPI FLASH", "WINBOND", "W25Q16", 2 << 20), wg);
  EXPECT_EQ(QeMethodFor("25 SPI FLASH", "GIGADEVICE", "GD25Q32", 4 << 20), wg);
  EXPECT_EQ(QeMethodFor("25 EEPROM", "WINBOND", "W25Q16", 2 << 20), std::nullopt);
  // A maker text with both names follows the Winbond rule, not the MX one.
  EXPECT_EQ(QeMethodFor("25 SPI FLASH", "MX-WINBOND", "MX25L4006E", 512 << 10), std::nullopt);
}

TEST(QeRule, MacronixByTheDigitAfterTheDensity) {
  const QeMethodBytes mx{0x06, 0x01};
  const char* type = "25 SPI FLASH";
  const char* maker = "MX(MACRONIX)";
  EXPECT_EQ(QeMethodFor(type, maker, "MX25L6436F", 8 << 20), mx);
  EXPECT_EQ(QeMethodFor(type, maker, "MX25L6406E", 8 << 20), std::nullopt);
  EXPECT_EQ(QeMethodFor(type, maker, "MX25L12835F", 16 << 20), mx);
  EXPECT_EQ(QeMethodFor(type, maker, "MX25L12805D", 16 << 20), std::nullopt);
  EXPECT_EQ(QeMethodFor(type, maker, "MX25U4035", 512 << 10), mx);
  EXPECT_EQ(QeMethodFor(type, maker, "MX25L2035", 256 << 10), mx);
  EXPECT_EQ(QeMethodFor(type, maker, "MX25L1035", (256 << 10) - 1), std::nullopt) << "too small";
  EXPECT_EQ(QeMethodFor(type, maker, "MX25L643", 8 << 20), std::nullopt) << "name too short";
  EXPECT_EQ(QeMethodFor(type, maker, "MX25L1283", 16 << 20), std::nullopt) << "name too short";
}

}  // namespace
}  // namespace tarnwick
