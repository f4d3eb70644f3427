// Line rules of the catalogue text, and what happens to damaged files: the
// sound part loads, the rest is refused and counted, nothing crashes.
#include <gtest/gtest.h>

#include <random>

#include "catalogue_test_util.h"
#include "core/catalogue/catalogue.h"
#include "core/catalogue/catalogue_codec.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

using test::CrLf;

const std::string kChip = "@W25Q64FV:256:4K:8MB:N:000:EF4017:000000:3.3V:000";

TEST(CatalogueParser, ReadsTypeMakerAndTheNineFieldsOfAChipLine) {
  Catalogue c;
  c.LoadText(CrLf({"$25 SPI FLASH", "#WINBOND|", kChip, "@X::::::::5:3:01"}));
  ASSERT_EQ(c.Count(), 2u);
  const ChipRecord& r = c.Records()[0];
  EXPECT_EQ(r.type(), "25 SPI FLASH");
  EXPECT_EQ(r.maker(), "WINBOND") << "the maker line's closing character is dropped";
  EXPECT_EQ(r.model(), "W25Q64FV");
  EXPECT_EQ(r.fields[ChipRecord::kPageSize], "256");
  EXPECT_EQ(r.fields[ChipRecord::kSectorSize], "4K");
  EXPECT_EQ(r.capacity(), "8MB");
  EXPECT_EQ(r.fields[ChipRecord::kMainAddress], "N");
  EXPECT_EQ(r.fields[ChipRecord::kSecondaryAddress], "000");
  EXPECT_EQ(r.mainId(), "EF4017");
  EXPECT_EQ(r.secondaryId(), "000000");
  EXPECT_EQ(r.voltage(), "3.3V");
  EXPECT_EQ(r.operationType(), "000") << "the CR of CR LF is not part of the last field";
  EXPECT_EQ(r.internalNumber, 0u);
  const ChipRecord& empty = c.Records()[1];
  EXPECT_EQ(empty.model(), "X");
  EXPECT_EQ(empty.fields[ChipRecord::kPageSize], "");
  EXPECT_EQ(empty.voltage(), "5");
  EXPECT_EQ(empty.operationType(), "3:01") << "text after the ninth ':' is the operation type";
  EXPECT_EQ(empty.internalNumber, 1u);
}

TEST(CatalogueParser, LineEdgesFollowTheFileFormat) {
  Catalogue c;
  // No LF after the last chip line: that line is lost.
  c.LoadText(CrLf({"$T", "#M|", kChip}) + kChip + "\r");
  EXPECT_EQ(c.Count(), 1u);

  // Chip lines before any heading get empty texts; a two-character maker
  // line gives an empty maker; other lines and empty lines are ignored.
  c.LoadText(CrLf({kChip, "", "// comment", "$T", "#M", kChip, "#|", kChip}));
  ASSERT_EQ(c.Count(), 3u);
  EXPECT_EQ(c.Records()[0].type(), "");
  EXPECT_EQ(c.Records()[0].maker(), "");
  EXPECT_EQ(c.Records()[1].maker(), "");
  EXPECT_EQ(c.Records()[2].maker(), "");
  EXPECT_EQ(c.Report().TotalRefused(), 0u);

  // Bare LF line ends (an editor's doing) keep their last character.
  c.LoadText("$T\n#MAKER|\n" + kChip + "\n");
  ASSERT_EQ(c.Count(), 1u);
  EXPECT_EQ(c.Records()[0].type(), "T");
  EXPECT_EQ(c.Records()[0].maker(), "MAKER");
  EXPECT_EQ(c.Records()[0].operationType(), "000");
}

TEST(CatalogueParser, RefusesUnsafeLinesAndKeepsTheRest) {
  Catalogue c;
  const std::string longChip = "@" + std::string(995, 'A') + ":::::::::0";  // 1006 bytes
  const std::string nul = std::string("@W25\0X:256:4K:8MB:N:000:EF4017:000000:3.3V:000", 46);
  c.LoadText(CrLf({"$T", "#M|", "@SHORT:256:4K:8MB:N:000:EF4017:3.3V:000", longChip, nul, kChip,
                   "#" + std::string(1200, 'Q'), kChip, kChip, "#OK|", kChip}));
  ASSERT_EQ(c.Count(), 2u);
  EXPECT_EQ(c.Records()[0].maker(), "M");
  EXPECT_EQ(c.Records()[1].maker(), "OK");
  EXPECT_EQ(c.Records()[1].internalNumber, 1u);
  const auto& rep = c.Report();
  EXPECT_EQ(rep.refused[static_cast<int>(LineRefusal::kTooFewFields)], 1u);
  EXPECT_EQ(rep.firstLine[static_cast<int>(LineRefusal::kTooFewFields)], 3u);
  EXPECT_EQ(rep.refused[static_cast<int>(LineRefusal::kTooLong)], 2u);
  EXPECT_EQ(rep.refused[static_cast<int>(LineRefusal::kControlBytes)], 1u);
  EXPECT_EQ(rep.refused[static_cast<int>(LineRefusal::kUnderRefusedHead)], 2u)
      << "chips of a refused maker line must not land under the previous maker";
  EXPECT_EQ(FormatRefusalLog(rep),
            "6 catalogue lines refused: 2 too long (first: line 4), 1 with control bytes "
            "(first: line 5), 1 with fewer than nine fields (first: line 3), 2 under a refused "
            "type or maker line (first: line 8)");

  // A line of exactly 999 bytes is still sound.
  c.LoadText(CrLf({"$T", "#M|", "@" + std::string(989, 'B') + ":::::::::"}));
  EXPECT_EQ(c.Count(), 1u);
  EXPECT_EQ(FormatRefusalLog(c.Report()), "");
}

TEST(CatalogueParser, TableGrowsBeyondThirteenHundredChips) {
  std::string text = CrLf({"$T", "#M|"});
  for (int i = 0; i < 2000; ++i) {
    text += "@C" + std::to_string(i) + ":256:4K:64KB:N:000:000000:000000:3.3V:000\r\n";
  }
  Catalogue c;
  c.LoadText(text);
  ASSERT_EQ(c.Count(), 2000u);
  EXPECT_EQ(c.Records()[1999].model(), "C1999");
  EXPECT_EQ(c.Records()[1999].internalNumber, 1999u);
  EXPECT_EQ(c.FindRecord("T", "M", "C1500"), 1500);
  std::vector<std::string> models;
  EXPECT_EQ(c.ListModels("T", "M", models), 2000u) << "no list is cut short";
}

TEST(CatalogueParser, DamagedStoredFilesLoadWhatIsSound) {
  std::string stored;
  CatalogueEncodeError error;
  ASSERT_TRUE(EncodeCatalogue(test::ShippedCatalogueSource(), stored, error));
  Catalogue whole;
  whole.LoadText(DecodeCatalogue(stored));

  // Cut anywhere: every record before the cut survives unchanged.
  for (std::size_t cut : {std::size_t{0}, std::size_t{1}, stored.size() / 3, stored.size() - 1}) {
    Catalogue c;
    c.LoadText(DecodeCatalogue(stored.substr(0, cut)));
    ASSERT_LE(c.Count(), whole.Count());
    for (std::uint32_t i = 0; i < c.Count(); ++i) {
      EXPECT_EQ(c.Records()[i].fields, whole.Records()[i].fields) << "cut " << cut;
    }
  }

  // Random bytes, and random bytes mixed into the real file, never crash.
  std::mt19937 rng(20240611);
  for (int round = 0; round < 20; ++round) {
    std::string junk(4096 + round * 997, '\0');
    for (char& ch : junk) ch = static_cast<char>(rng() & 0xFF);
    Catalogue c;
    c.LoadText(DecodeCatalogue(junk));
    for (const ChipRecord& r : c.Records()) EXPECT_LT(r.model().size(), 1000u);
    std::string damaged = stored;
    for (int k = 0; k < 50; ++k) damaged[rng() % damaged.size()] = static_cast<char>(rng());
    c.LoadText(DecodeCatalogue(damaged));
    EXPECT_GT(c.Count(), whole.Count() / 2);
  }
}

TEST(CatalogueParser, LoadsFromFileAndReportsAFileThatCannotBeOpened) {
  test::TempDir dir;
  std::string stored;
  CatalogueEncodeError error;
  ASSERT_TRUE(EncodeCatalogue(CrLf({"$T", "#M|", kChip}), stored, error));
  dir.Write("database.dat", stored);

  std::vector<std::string> messages;
  auto sink = [&](const std::string& text, const std::string& caption, BoxIcon) {
    messages.push_back(caption + ":" + text);
  };
  Catalogue c;
  EXPECT_TRUE(c.LoadCatalogue(dir.file("database.dat"), sink));
  EXPECT_EQ(c.Count(), 1u);
  EXPECT_TRUE(messages.empty());

  // What went wrong is in the report, for the caller to say with its texts.
  EXPECT_FALSE(c.LoadCatalogue(dir.file("missing.dat"), sink));
  EXPECT_EQ(c.Count(), 0u) << "a failed load leaves no stale records";
  EXPECT_TRUE(c.Report().cannotOpen);
  EXPECT_FALSE(c.LoadCatalogue(dir.base(), sink)) << "a directory is no catalogue";
  EXPECT_TRUE(c.Report().notRegularFile);
  EXPECT_TRUE(messages.empty());

  dir.Write("empty.dat", std::string());
  EXPECT_TRUE(c.LoadCatalogue(dir.file("empty.dat"), sink));
  EXPECT_EQ(c.Count(), 0u);
  EXPECT_EQ(c.Report().fileBytes, 0u);
  EXPECT_TRUE(messages.empty());

  // A cut file: the records before the cut, and the cut noticed.
  dir.Write("cut.dat", stored.substr(0, stored.size() - 1));
  EXPECT_TRUE(c.LoadCatalogue(dir.file("cut.dat"), sink));
  EXPECT_EQ(c.Count(), 0u);
  EXPECT_TRUE(c.Report().endsMidLine);
  EXPECT_EQ(c.Report().lines, 2u);
}

}  // namespace
}  // namespace tarnwick
