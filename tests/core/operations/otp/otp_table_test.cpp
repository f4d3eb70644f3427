// The OTP chip table as data: every chip it names is one the catalogue can
// select, every area and range fits the 16-bit OTP addresses and the
// program's buffer, and each protected range goes out in one write.
#include "core/operations/otp/otp_table.h"

#include <gtest/gtest.h>

#include <set>

#include "core/catalogue/catalogue.h"
#include "core/operations/chip/detection.h"
#include "core/operations/otp/otp_exchange.h"
#include "core/operations/otp/otp_format.h"

namespace tarnwick::otp {
namespace {

std::set<std::string> ShippedMainIds() {
  Catalogue catalogue;
  catalogue.LoadCatalogue(std::string(TARNWICK_PORTABLE_DIR) + "/database.dat", {});
  std::set<std::string> ids;
  for (std::int64_t i = 0;; ++i) {
    const ChipRecord* r = catalogue.Record(i);
    if (r == nullptr) break;
    ids.insert(r->mainId());
  }
  return ids;
}

TEST(OtpTable, EveryEntryIsACatalogueChipWithAnAreaTheProgramCanHold) {
  const std::set<std::string> mainIds = ShippedMainIds();
  ASSERT_GT(mainIds.size(), 100u);
  std::set<std::uint32_t> seen;
  std::size_t entries = 0;
  ASSERT_EQ(Families().size(), 6u);
  for (std::size_t f = 0; f < Families().size(); ++f) {
    const Family& family = Families()[f];
    EXPECT_EQ(family.index, static_cast<int>(f));
    EXPECT_EQ(family.method[0], f) << "the record starts with its family";
    EXPECT_EQ(family.HasLockStatus(), f != 5) << f;
    for (const Entry& e : Entries(family.index)) {
      ++entries;
      const std::string id = IdText(e.id);
      EXPECT_TRUE(mainIds.contains(id)) << id;
      EXPECT_TRUE(seen.insert(e.id).second) << id << " twice";
      EXPECT_GT(e.size, 0) << id;
      EXPECT_LE(e.size, kMaxOtpSize) << id;
      EXPECT_LE(e.start + e.size, 0x10000u) << id;
      for (const Range& r : e.protectedRanges) {
        EXPECT_LE(r.first, r.last) << id;
        EXPECT_GE(r.first, e.start) << id;
        EXPECT_LT(r.last, e.start + e.size) << id;
        EXPECT_LE(r.last - r.first + 1u, kChunk) << id;
      }
      for (std::uint16_t alt : e.alternativeSizes) EXPECT_LT(alt, e.size) << id;
      const auto found = FindChip(id);
      ASSERT_TRUE(found) << id;
      EXPECT_EQ(found->entryRow, &e);
    }
  }
  EXPECT_EQ(entries, 19u + 2u + 21u + 21u + 1u + 5u);
  EXPECT_FALSE(FindChip("1C7018"));
}

TEST(OtpTable, TheSizeLineCarriesAlternativesAndTheNote) {
  const auto mx = FindChip("C22018");
  ASSERT_TRUE(mx);
  EXPECT_EQ(SizeLine("size:", *mx->entryRow),
            "size:512/64bytes,MX25L12805D容量为64bytes,文件长度请勿超出OTP实际容量");
  const auto gd = FindChip("C83013");
  ASSERT_TRUE(gd);
  EXPECT_EQ(SizeLine("size:", *gd->entryRow), "size:256bytes");
  EXPECT_EQ(StatusText(0x0), "(00)");
  EXPECT_EQ(StatusText(0x80), "(80)");
  EXPECT_EQ(MismatchText(0x1A, 0x05, "file", 0xFF, "chip"), "01AH:05H[file]!=FFH[chip]");
  EXPECT_EQ(NotBlankText(0x2FF, 0x0), "2FFH:00H");
}

}  // namespace
}  // namespace tarnwick::otp
