// tarnwick-cli against the virtual box, as a production line would run it:
// a real process, real files, the exit status and what it prints.
#include <sys/stat.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "cli_fixture.h"
#include "core/app/data_layout.h"
#include "core/app/settings.h"
#include "core/app/text_ids.h"
#include "core/app/text_table.h"
#include "resources/ids.h"
#include "support/recording_surface.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using test::CliFlow;
using test::CliRun;

TEST_F(CliFlow, DetectPrintsTheChipTheWayTheLogLineDoes) {
  const CliRun r = Cli({"detect"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "25 SPI FLASH : EON : EN25Q64 : 64Mbits/8Mbytes\n--chip '25 SPI FLASH/EON/EN25Q64'\n");
  EXPECT_NE(r.err.find(texts.itext(73)), std::string::npos);
}

TEST_F(CliFlow, ChipsListsTheCatalogueLevels) {
  CliRun r = Cli({"chips"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("25 SPI FLASH\n", 0), 0u) << r.out;
  r = Cli({"chips", "25 SPI FLASH", "EON"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("EN25Q64\n"), std::string::npos);
  r = Cli({"chips", "NO SUCH TYPE"});
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.err.find("catalogue: 994 records, 35 makers, 5 types\n"), std::string::npos) << r.err;
}

TEST_F(CliFlow, ChipsByIdListsEveryRecordThatSharesIt) {
  CliRun r = Cli({"chips", "--id", "ef4018"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "25 SPI FLASH/WINBOND/W25Q128BV  16MB\n25 SPI FLASH/WINBOND/W25Q128FV  16MB\n"
            "25 SPI FLASH/WINBOND/W25Q128JV  16MB\n");
  // Each line works as --chip's value once the size is cut off.
  r = Cli({"--chip", "25 SPI FLASH/WINBOND/W25Q128FV", "--no-detect", "chips", "--id", "EF4018"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Cli({"chips", "--id", "ABCDEF"}).status, 1);
  for (const std::vector<std::string>& bad : {std::vector<std::string>{"chips", "--id"},
                                              {"chips", "--id", "EF40189"},
                                              {"chips", "--id", "XYZ"},
                                              {"chips", "--ids", "EF4018"}}) {
    EXPECT_EQ(Cli(bad).status, 2) << bad.back();
  }
}

TEST_F(CliFlow, AutoProgramLeavesExactlyTheImageOnAnErasedChip) {
  const std::string file = RandomFile("image.bin", 4096);
  const CliRun r = Cli({"auto", file});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string chip = Chip();
  ASSERT_EQ(chip.size(), 8u << 20);
  EXPECT_EQ(chip.substr(0, 4096), dir.Read("image.bin"));
  EXPECT_EQ(chip.find_first_not_of('\xFF', 4096), std::string::npos);
  EXPECT_NE(r.err.find(texts.itext(87)), std::string::npos);  // verify passed

  EXPECT_EQ(Cli({"verify", file}).status, 0);
}

TEST_F(CliFlow, ProgrammingWithoutEraseFailsVerification) {
  const std::string file = RandomFile("image.bin", 8192);
  ASSERT_EQ(Cli({"program", file}).status, 0);
  const CliRun r = Cli({"--yes", "verify", file});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(texts.itext(84)), std::string::npos) << r.err;
}

TEST_F(CliFlow, ReadSavesTheWholeChip) {
  ASSERT_EQ(Cli({"detect"}).status, 0);  // creates the chip with its pattern
  const CliRun r = Cli({"read", dir.file("copy.bin")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(dir.Read("copy.bin"), Chip());
}

TEST_F(CliFlow, BlankCheckFailsOnDataAndPassesAfterErase) {
  CliRun r = Cli({"blank"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(texts.itext(64)), std::string::npos);
  EXPECT_EQ(Cli({"erase"}).status, 0);
  r = Cli({"blank"});
  EXPECT_EQ(r.status, 0) << r.err;
}

TEST_F(CliFlow, AMissingBoxIsReportedAndFails) {
  dir.Write("gone.box", std::string("[box]\npresent = no\n"));
  CliRun r = Cli({"detect"}, "--simulate=" + dir.file("gone.box"));
  EXPECT_EQ(r.status, 4);
  EXPECT_NE(r.err.find(texts.itext(34)), std::string::npos);
  r = Cli({"erase"}, "--simulate=" + dir.file("gone.box"));
  EXPECT_EQ(r.status, 4);
}

TEST_F(CliFlow, AQuestionFailsTheCommandUnlessAnsweredYes) {
  // One byte more than the 8 MiB chip holds: programming asks first.
  const std::string file = RandomFile("big.bin", (8u << 20) + 1);
  CliRun r = Cli({"program", file});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("--yes"), std::string::npos);
  r = Cli({"--yes", "program", file});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find(texts.itext(190)), std::string::npos);
}

TEST_F(CliFlow, ChipChosenByNameAndUsageMistakes) {
  CliRun r = Cli({"--chip", "25 SPI FLASH/EON/NOPE", "erase"});
  EXPECT_EQ(r.status, 2);
  r = Cli({"frobnicate"});
  EXPECT_EQ(r.status, 2);
  r = Cli({"read"});
  EXPECT_EQ(r.status, 2);
  r = Cli({"--no-detect", "--chip", "25 SPI FLASH/EON/EN25Q64", "blank"});
  EXPECT_EQ(r.status, 1);  // the pattern is data, and no detection ran first
  EXPECT_EQ(r.err.find(texts.itext(73)), std::string::npos);
}

TEST_F(CliFlow, HelpListsEveryCommandFromTheTable) {
  const CliRun r = Cli({"help"}, "");
  EXPECT_EQ(r.status, 0);
  for (const char* word : {"detect", "chips", "read FILE", "erase", "blank", "program FILE",
                           "verify FILE", "auto FILE", "help"}) {
    EXPECT_NE(r.out.find(std::string("  ") + word), std::string::npos) << word;
  }
}

TEST_F(CliFlow, NoCatalogueRecordMeansNoWork) {
  ASSERT_EQ(Cli({"detect"}).status, 0);  // the chip with its pattern
  const std::string before = Chip();
  fs::remove(dir.path() / "database.dat");
  CliRun r = Cli({"erase"});
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.err.find(texts.itext(82)), std::string::npos) << r.err;
  EXPECT_TRUE(Chip() == before) << "nothing was erased";
  r = Cli({"read", dir.file("copy.bin")});
  EXPECT_NE(r.status, 0);
  EXPECT_FALSE(fs::exists(dir.file("copy.bin")));
  EXPECT_NE(Cli({"blank"}).status, 0);
}

TEST_F(CliFlow, NoDetectNeedsAChipAndAChipMustMatchTheSocket) {
  ASSERT_EQ(Cli({"detect"}).status, 0);
  const std::string before = Chip();
  CliRun r = Cli({"--no-detect", "erase"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("--chip"), std::string::npos);
  r = Cli({"--chip", "25 SPI FLASH/WINBOND/W25Q64FV", "erase"});
  EXPECT_EQ(r.status, 5) << r.err;
  EXPECT_NE(r.err.find("--chip '25 SPI FLASH/EON/EN25Q64'"), std::string::npos) << r.err;
  EXPECT_TRUE(Chip() == before) << "stopped before touching the chip";
  r = Cli({"--chip", "25 SPI FLASH/EON/EN25Q64", "erase"});
  EXPECT_EQ(r.status, 0) << r.err;
}

// The window goes on with whatever record is selected; the command line has
// nothing selected but the catalogue's first record, so a chip the catalogue
// does not know must be named.
TEST_F(CliFlow, AChipTheCatalogueDoesNotKnowMustBeNamed) {
  dir.Write("eeprom.box", "[chip]\nmodel = 24C256\ncontent = eeprom.bin\n");
  const std::string eeprom = "--simulate=" + dir.file("eeprom.box");
  CliRun r = Cli({"read", dir.file("e.bin")}, eeprom);
  EXPECT_EQ(r.status, 6) << r.err;
  EXPECT_NE(r.err.find("--chip"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(dir.file("e.bin"))) << "not 128 bytes of a 32 KiB chip";
  r = Cli({"--chip", "24 EEPROM/ATMEL/AT24C256", "read", dir.file("e.bin")}, eeprom);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(fs::file_size(dir.file("e.bin")), 32768u);

  dir.Write("unknown.box",
            "[chip]\nmodel = mystery\nkind = spi_flash\nclass = 0\nid = ABCDEF\nsize = 1M\n"
            "page = 256\nsector = 4K\ncontent = unknown.bin\nfill = pattern\n");
  const std::string unknown = "--simulate=" + dir.file("unknown.box");
  ASSERT_EQ(Cli({"detect"}, unknown).status, 6);
  const std::string before = dir.Read("unknown.bin");
  for (const std::vector<std::string>& words :
       {std::vector<std::string>{"erase"}, {"fill", "0", "16", "AB"}, {"blank"}}) {
    r = Cli(words, unknown);
    EXPECT_EQ(r.status, 6) << words[0] << ": " << r.err;
  }
  EXPECT_TRUE(dir.Read("unknown.bin") == before) << "the chip was not touched";
  EXPECT_EQ(Cli({"firmware", "version"}, unknown).status, 0) << "the box alone needs no record";
}

TEST_F(CliFlow, ReadRefusesTargetsThatCannotHoldTheChip) {
  ASSERT_EQ(Cli({"detect"}).status, 0);
  fs::create_directory(dir.path() / "adir");
  dir.Write("locked.bin", std::string("keep"));
  fs::permissions(dir.path() / "locked.bin", fs::perms::owner_read);
  const std::string catalogueBefore = dir.Read("database.dat");
  for (const std::string& target :
       {dir.file("adir"), std::string("/dev/full"), dir.file("database.dat"),
        dir.file("h_ven1.dll"), dir.file("en25q64.bin"), dir.file("locked.bin")}) {
    const CliRun r = Cli({"read", target});
    EXPECT_NE(r.status, 0) << target;
    EXPECT_NE(r.err.find("cannot write"), std::string::npos) << target << ": " << r.err;
  }
  EXPECT_TRUE(dir.Read("database.dat") == catalogueBefore);
  EXPECT_EQ(dir.Read("locked.bin"), "keep");
  // A good target gets the whole chip and no .part is left behind.
  dir.Write("old.bin", std::string("previous contents"));
  const CliRun r = Cli({"read", dir.file("old.bin")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(dir.Read("old.bin") == Chip());
  EXPECT_FALSE(fs::exists(dir.file("old.bin.part")));
}

TEST_F(CliFlow, AutoAsksAboutATooLargeFileBeforeErasing) {
  ASSERT_EQ(Cli({"detect"}).status, 0);
  const std::string before = Chip();
  const std::string file = RandomFile("big.bin", (8u << 20) + 1);
  const CliRun r = Cli({"auto", file});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(texts.itext(58)), std::string::npos) << r.err;
  EXPECT_TRUE(Chip() == before) << "not erased";
}

TEST_F(CliFlow, SymlinkLoopsAreReportedNotFatal) {
  fs::create_symlink(dir.path() / "loop", dir.path() / "loop");
  std::string cmd = std::string(TARNWICK_PORTABLE_DIR) + "/tarnwick-cli --simulate --base-dir " +
                    dir.file("loop") + " chips >/dev/null 2>&1";
  const int raw = std::system(cmd.c_str());
  ASSERT_TRUE(WIFEXITED(raw)) << "killed by a signal";
  EXPECT_EQ(WEXITSTATUS(raw), 2);
  const CliRun r = Cli({"read", dir.file("loop")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot write"), std::string::npos) << r.err;
}

TEST_F(CliFlow, FifosInPlaceOfFilesAreRefusedNotWaitedOn) {
  ASSERT_EQ(mkfifo(dir.file("pipe.bin").c_str(), 0644), 0);
  ASSERT_EQ(mkfifo(dir.file("pipe.box").c_str(), 0644), 0);
  // `timeout` turns a hang into a failure instead of a stuck test run.
  auto run = [&](const std::string& args) {
    const std::string cmd = "timeout 30 " + std::string(TARNWICK_PORTABLE_DIR) +
                            "/tarnwick-cli --base-dir " + dir.base() + " " + args +
                            " >/dev/null 2>" + dir.file("err.txt") + " </dev/null";
    const int raw = std::system(cmd.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  };
  EXPECT_EQ(run("--simulate=" + dir.file("pipe.box") + " detect"), 2);
  EXPECT_NE(dir.Read("err.txt").find("not a regular file"), std::string::npos)
      << dir.Read("err.txt");
  EXPECT_EQ(run("--simulate=/dev/zero detect"), 2);
  EXPECT_EQ(run("--simulate --yes program " + dir.file("pipe.bin")), 1);
  fs::remove(dir.path() / "ftext.ini");
  ASSERT_EQ(mkfifo(dir.file("ftext.ini").c_str(), 0644), 0);
  EXPECT_NE(run("--simulate detect"), 124) << "a FIFO text table does not hang the start";
}

// What the window's menu would show for the base directory's hven2.dll, by
// the core reader the window starts with; in the command's words.
std::string WindowSideSettings(const std::string& base) {
  test::RecordingSurface surface;
  Settings settings(surface, OneFolderLayout(base).settingsFile);
  settings.LoadSettings();
  std::string out;
  const std::pair<const char*, int> words[] = {{"sounds", ids::kSoundSetting},
                                               {"auto-identify", ids::kAutoDetectSetting},
                                               {"batch-erase", ids::kBatchEraseSetting},
                                               {"batch-program", ids::kBatchProgramSetting},
                                               {"batch-verify", ids::kBatchVerifySetting}};
  for (const auto& [word, id] : words) {
    out += std::string(word) + (surface.IsMenuChecked(id) ? " on\n" : " off\n");
  }
  return out;
}

TEST_F(CliFlow, SettingsAreReadAsTheWindowReadsThemAndOddFilesAreNamed) {
  const std::string unreadable = texts.itext(itext::kSettingsUnreadable);
  const std::string odd = texts.itext(itext::kSettingsOddValues);
  // Missing: created, all on, nothing to say.
  CliRun r = Cli({"settings"}, "");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "sounds on\nauto-identify on\nbatch-erase on\nbatch-program on\nbatch-verify on\n");
  EXPECT_EQ(r.out, WindowSideSettings(dir.base()));
  EXPECT_EQ(r.err, "");
  // Odd values count as off, and the file and bytes are named.
  dir.Write("hven2.dll", std::string("\x01\x02\x01"
                                     "1",
                                     4));
  r = Cli({"settings"}, "");
  EXPECT_EQ(r.out,
            "sounds on\nauto-identify off\nbatch-erase on\nbatch-program off\nbatch-verify on\n");
  EXPECT_EQ(r.out, WindowSideSettings(dir.base()));
  EXPECT_NE(r.err.find(odd), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(dir.file("hven2.dll") + ": [1]=0x02 [3]=0x31"), std::string::npos) << r.err;
  // A short file of good bytes is no problem.
  dir.Write("hven2.dll", std::string("\x00\x01", 2));
  r = Cli({"settings"}, "");
  EXPECT_EQ(r.out,
            "sounds off\nauto-identify on\nbatch-erase on\nbatch-program on\nbatch-verify on\n");
  EXPECT_EQ(r.err, "");
  // A directory or FIFO: the menu's starting states with the sound toggled,
  // said out loud with the file and the states.
  fs::remove(dir.path() / "hven2.dll");
  fs::create_directory(dir.path() / "hven2.dll");
  r = Cli({"settings"}, "");
  EXPECT_EQ(r.out,
            "sounds on\nauto-identify off\nbatch-erase off\nbatch-program off\nbatch-verify off\n");
  EXPECT_EQ(r.out, WindowSideSettings(dir.base()));
  EXPECT_NE(r.err.find(unreadable), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(dir.file("hven2.dll") + ": Is a directory"), std::string::npos) << r.err;
  EXPECT_NE(
      r.err.find(texts.ftext(ftext::kMenuAutoIdentify) + ": " + texts.itext(itext::kSettingOff)),
      std::string::npos)
      << r.err;
  fs::remove(dir.path() / "hven2.dll");
  ASSERT_EQ(mkfifo(dir.file("hven2.dll").c_str(), 0644), 0);
  r = Cli({"settings"}, "");
  EXPECT_EQ(r.out, WindowSideSettings(dir.base()));
  EXPECT_NE(r.err.find(dir.file("hven2.dll") + ": " + texts.itext(itext::kCatalogueNotAFile)),
            std::string::npos)
      << r.err;
}

TEST_F(CliFlow, ProgramTheBoxNeverConfirmsKeepsItsResultAndWarns) {
  const std::string file = RandomFile("image.bin", 4096);
  const std::string warning = texts.itext(itext::kProgramEndUnconfirmed);
  CliRun r = Cli({"program", file});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err.find(warning), std::string::npos) << "a confirming box gets no warning";
  dir.Write("silent.box", std::string("[chip]\nmodel = EN25Q64\ncontent = en25q64.bin\n"
                                      "[faults]\nprogram_end_hang = always\n"));
  ASSERT_EQ(Cli({"erase"}, "--simulate=" + dir.file("silent.box")).status, 0);
  r = Cli({"program", file}, "--simulate=" + dir.file("silent.box"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find(texts.itext(itext::kProgramComplete)), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(warning + "\n"), std::string::npos) << r.err;
  EXPECT_EQ(Chip().substr(0, 4096), dir.Read("image.bin"));
}

TEST_F(CliFlow, ADamagedCatalogueIsNamedWithWhatIsWrongAndTheRecordsRead) {
  const std::string whole = dir.Read("database.dat");
  const std::string path = dir.file("database.dat");
  auto expect = [&](int what, const std::string& records) {
    const CliRun r = Cli({"chips"}, "");
    const std::string message = texts.itext(itext::kCatalogueProblem) + "\r\n" + path + ": " +
                                texts.itext(what) + "\r\n" +
                                texts.itext(itext::kCatalogueRecordsRead) + " " + records;
    EXPECT_NE(r.err.find(message), std::string::npos) << what << ": " << r.err;
    return r;
  };
  dir.Write("database.dat", std::string());
  EXPECT_NE(expect(itext::kCatalogueEmpty, "0").status, 0);
  dir.Write("database.dat", std::string(40000, '\0'));
  expect(itext::kCatalogueNoLines, "0");
  dir.Write("database.dat", whole.substr(0, whole.size() / 2 + 7));
  const CliRun cut = expect(itext::kCatalogueTruncated, "");
  EXPECT_EQ(cut.status, 0) << "what was read is still listed";
  fs::resize_file(path, (16u << 20) + 1);
  expect(itext::kCatalogueTooLarge, "0");
  // Line ends but no chip line among them.
  dir.Write("database.dat", std::string(4000, '\x02'));
  const std::string text = Cli({"chips"}, "").err;
  EXPECT_NE(text.find(path + ": "), std::string::npos) << text;
  EXPECT_NE(text.find(texts.itext(itext::kCatalogueRecordsRead) + " 0"), std::string::npos) << text;
  fs::remove(path);
  ASSERT_EQ(mkfifo(path.c_str(), 0644), 0);
  const CliRun fifo = expect(itext::kCatalogueNotAFile, "0");
  EXPECT_EQ(fifo.err.find("文件无法打开"), std::string::npos) << "the texts in use, not a literal";
  // The shipped catalogue gives no warning, only the count line.
  fs::remove(path);
  dir.Write("database.dat", whole);
  EXPECT_EQ(Cli({"chips"}, "").err, "catalogue: 994 records, 35 makers, 5 types\n");
}

TEST_F(CliFlow, TextTablesThatCannotBeReadAreNamed) {
  fs::remove(dir.path() / "itext.ini");
  fs::create_directory(dir.path() / "itext.ini");
  const CliRun r = Cli({"chips"}, "");
  EXPECT_NE(r.err.find(dir.file("itext.ini") + ": Is a directory"), std::string::npos) << r.err;
}

TEST_F(CliFlow, LangReadsTheTextsOfThatSetFromTheProgramsFolder) {
  const fs::path lang = fs::path(TARNWICK_PORTABLE_DIR) / "lang";
  TextTable zh;
  zh.LoadItext((lang / "zh_CN" / "itext.ini").string());
  ASSERT_NE(zh.itext(73), texts.itext(73));
  // The base directory holds the English set; --lang wins over it.
  CliRun r = Cli({"--lang", "zh_CN", "detect"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find(zh.itext(73)), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find(texts.itext(73)), std::string::npos) << r.err;

  TextTable en;
  en.LoadItext((lang / "en" / "itext.ini").string());
  r = Cli({"--lang=en", "detect"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find(en.itext(73)), std::string::npos) << r.err;
}

TEST_F(CliFlow, LangTakesOnlyTheShippedSets) {
  for (const char* value : {"fr", "zh", ""}) {
    const CliRun r = Cli({"--lang", value, "chips"});
    EXPECT_EQ(r.status, 2) << value;
    EXPECT_NE(r.err.find("allowed: en, zh_CN"), std::string::npos) << r.err;
  }
  const CliRun r = Cli({"--lang"}, "");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("--lang needs a value"), std::string::npos) << r.err;
}

TEST_F(CliFlow, BoxDescriptionsWithOversizedNumbersOrDirectoriesAreRefused) {
  dir.Write("huge.box", std::string("[chip]\nmodel = EN25Q64\nsize = 17179869185G\n"));
  CliRun r = Cli({"detect"}, "--simulate=" + dir.file("huge.box"));
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("'17179869185G' is not a size up to 4G-1"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(dir.path() / "en25q64.bin")) << "no 1 GiB content file";
  fs::create_directory(dir.path() / "chipdir");
  dir.Write("cdir.box", std::string("[chip]\nmodel = EN25Q64\ncontent = chipdir\n"));
  r = Cli({"detect"}, "--simulate=" + dir.file("cdir.box"));
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("chipdir is a directory"), std::string::npos) << r.err;
  r = Cli({"detect"}, "--simulate=" + dir.file("chipdir"));
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("chipdir: is a directory"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace tarnwick
