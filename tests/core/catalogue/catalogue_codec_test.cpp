// The scrambling must be exactly invertible, or the program would read a
// different catalogue from the one the tool was given.
#include <gtest/gtest.h>

#include <cctype>
#include <set>

#include "catalogue_test_util.h"
#include "core/catalogue/catalogue_codec.h"

namespace tarnwick {
namespace {

TEST(CatalogueCodec, BitPassMovesBitGroupsAndInvertsBitThree) {
  // b = 0b1101'0010: bits 4-6 = 101, bits 0-2 = 010, bit 3 = 0, bit 7 set.
  EXPECT_EQ(CatalogueBitPass(0xD2), 0x2D);
  EXPECT_EQ(CatalogueBitPass(0x00), 0x08);
  EXPECT_EQ(CatalogueBitPass(0x08), 0x00);
  EXPECT_EQ(CatalogueBitPass(0x80), 0x08) << "bit 7 of a stored byte is ignored";
  for (int b = 0; b < 128; ++b) {
    EXPECT_EQ(CatalogueBitPass(CatalogueBitPass(static_cast<std::uint8_t>(b))), b);
  }
}

TEST(CatalogueCodec, SubstitutionHasThirtyNineWellFormedPairs) {
  int pairs = 0;
  std::set<int> values;
  for (int c = 0; c < 256; ++c) {
    const std::uint8_t v = CatalogueSubstitute(static_cast<std::uint8_t>(c));
    if (v == c) continue;
    ++pairs;
    EXPECT_TRUE(std::ispunct(c) || std::islower(c)) << "key " << c;
    EXPECT_TRUE(std::isdigit(v) || std::isalpha(v)) << "value " << int(v);
    values.insert(v);
  }
  EXPECT_EQ(pairs, 39);
  // Everything the shipped catalogue and the record fields need survives.
  for (char c : std::string("$#@:*|()/.- _09AZaz\r\n")) {
    EXPECT_TRUE(CatalogueCanProduce(static_cast<std::uint8_t>(c))) << c;
  }
  EXPECT_FALSE(CatalogueCanProduce(0x80));
  EXPECT_FALSE(CatalogueCanProduce(';'));
}

TEST(CatalogueCodec, EveryProducibleCharacterRoundTrips) {
  std::string all;
  for (int c = 0; c < 128; ++c) {
    if (CatalogueCanProduce(static_cast<std::uint8_t>(c))) all += static_cast<char>(c);
  }
  EXPECT_EQ(all.size(), 128u - 13u);
  std::string stored;
  CatalogueEncodeError error;
  ASSERT_TRUE(EncodeCatalogue(all, stored, error));
  EXPECT_EQ(DecodeCatalogue(stored), all);
  for (char s : stored) EXPECT_EQ(static_cast<unsigned char>(s) & 0x80, 0);
}

TEST(CatalogueCodec, ShippedCatalogueRoundTripsBothWays) {
  const std::string text = test::ShippedCatalogueSource();
  ASSERT_GT(text.size(), 1000u);
  std::string stored;
  CatalogueEncodeError error;
  ASSERT_TRUE(EncodeCatalogue(text, stored, error))
      << "line " << error.line << " column " << error.column;
  EXPECT_NE(stored, text);
  EXPECT_EQ(DecodeCatalogue(stored), text);
  std::string again;
  ASSERT_TRUE(EncodeCatalogue(DecodeCatalogue(stored), again, error));
  EXPECT_EQ(again, stored) << "encoding is canonical";
}

TEST(CatalogueCodec, EncodeRefusesWithLineAndColumn) {
  std::string stored = "untouched";
  CatalogueEncodeError error;
  EXPECT_FALSE(EncodeCatalogue("$25 SPI\r\n#AB|\r\n@W25[Q]:", stored, error));
  EXPECT_EQ(error.line, 3u);
  EXPECT_EQ(error.column, 5u);
  EXPECT_EQ(error.byte, '[');
  EXPECT_EQ(stored, "untouched") << "nothing half-written";

  EXPECT_FALSE(EncodeCatalogue("ab\n\xC3\xA9", stored, error)) << "UTF-8 cannot be stored";
  EXPECT_EQ(error.line, 2u);
  EXPECT_EQ(error.column, 1u);
  EXPECT_EQ(error.byte, 0xC3);
}

}  // namespace
}  // namespace tarnwick
