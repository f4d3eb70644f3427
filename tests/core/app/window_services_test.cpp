// The reporting services: status line, log.txt lines, the timed log pane and
// the running/idle captions of the operation buttons.
#include "core/app/window_services.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/app/data_layout.h"
#include "core/app/log_rotation.h"
#include "resources/ids.h"
#include "support/recording_surface.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

using test::RecordingSurface;
using test::TempDir;

std::tm Time(int year, int month, int day, int hour, int minute, int second) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  return t;
}

struct Fixture {
  TempDir dir;
  RecordingSurface surface;
  TextTable texts;
  WindowServices services{surface, texts};
  std::tm now = Time(2024, 3, 7, 9, 5, 3);

  Fixture() {
    services.SetLogPath(dir.file("log.txt"));
    services.SetBaseDir(dir.base());
    services.SetClock([this] { return now; });
  }
  std::string Log() const { return dir.Read("log.txt"); }
};

TEST(WindowServicesFormatTest, PrefixAndLogLine) {
  EXPECT_EQ(PanePrefix(Time(2024, 1, 1, 9, 5, 3)), "9:05:03  ");
  EXPECT_EQ(PanePrefix(Time(2024, 1, 1, 0, 0, 0)), "0:00:00  ");
  EXPECT_EQ(PanePrefix(Time(2024, 1, 1, 23, 59, 59)), "23:59:59  ");
  EXPECT_EQ(LogFileLine(Time(2024, 3, 7, 9, 5, 3), "Done"), "\r\n2024\\03\\07 09:05:03\tDone");
}

TEST(WindowServicesLogTest, StatusGoesToLineFileAndPane) {
  Fixture f;
  f.services.ShowStatus("Erase OK", false, false);
  f.now = Time(2024, 3, 7, 9, 5, 4);
  f.services.ShowStatus("Verify failed", true, true);
  EXPECT_EQ(f.surface.StatusLines(), (std::vector<std::string>{"Erase OK", "Verify failed"}));
  EXPECT_TRUE(f.surface.LastStatusIsError());
  EXPECT_EQ(f.surface.Beeps(), 1);
  EXPECT_EQ(f.Log(),
            "\r\n2024\\03\\07 09:05:03\tErase OK"
            "\r\n2024\\03\\07 09:05:04\tVerify failed");
  EXPECT_EQ(f.surface.PaneLines(),
            (std::vector<std::string>{"9:05:03  Erase OK", "9:05:04  Verify failed"}));
  f.services.ShowStatus("Ready", false, false);
  EXPECT_FALSE(f.surface.LastStatusIsError());
}

TEST(WindowServicesLogTest, RepeatedTextRefreshesTheLastPaneLine) {
  Fixture f;
  f.services.AppendLog("first");
  f.services.AppendLog("Waiting");
  f.now = Time(2024, 3, 7, 10, 0, 0);
  f.services.AppendLog("Waiting");
  EXPECT_EQ(f.surface.PaneLines(),
            (std::vector<std::string>{"9:05:03  first", "10:00:00  Waiting"}));
  // log.txt keeps both lines.
  EXPECT_EQ(f.Log(),
            "\r\n2024\\03\\07 09:05:03\tfirst"
            "\r\n2024\\03\\07 09:05:03\tWaiting"
            "\r\n2024\\03\\07 10:00:00\tWaiting");
  f.services.AppendLog("other");
  f.services.AppendLog("Waiting");
  EXPECT_EQ(f.surface.PaneLines().size(), 4u);
}

TEST(WindowServicesLogTest, RepeatedTextOfSeveralLinesIsNotHalfReplaced) {
  Fixture f;
  f.services.AppendLog("start");
  f.services.AppendLog("a\r\nb");
  f.services.AppendLog("a\r\nb");
  EXPECT_EQ(f.surface.PaneLines(),
            (std::vector<std::string>{"9:05:03  start", "9:05:03  a", "b", "9:05:03  a", "b"}));
}

TEST(WindowServicesLogTest, ClearLogPaneEmptiesPaneAndWritesEmptyLine) {
  Fixture f;
  f.services.AppendLog("one");
  f.services.ClearLogPane();
  EXPECT_TRUE(f.surface.PaneLines().empty());
  EXPECT_EQ(f.Log(), "\r\n2024\\03\\07 09:05:03\tone\r\n2024\\03\\07 09:05:03\t\r\n");
  // The next line starts the pane without a leading break, even when it
  // repeats the text shown before the clear.
  f.services.AppendLog("one");
  EXPECT_EQ(f.surface.PaneLines(), (std::vector<std::string>{"9:05:03  one"}));
}

TEST(WindowServicesLogTest, UnopenableLogStillShowsTheStatus) {
  Fixture f;
  f.services.SetLogPath(f.dir.file("missing-dir/log.txt"));
  f.services.ShowStatus("Read OK", false, false);
  EXPECT_EQ(f.surface.LastStatus(), "Read OK");
  EXPECT_EQ(f.surface.PaneLines(), (std::vector<std::string>{"9:05:03  Read OK"}));
  EXPECT_FALSE(std::filesystem::exists(f.dir.path() / "missing-dir"));
}

TEST(WindowServicesLogTest, LogAtItsLimitMovesToDotOneBeforeTheNextLine) {
  Fixture f;
  f.services.SetLogLimit(64);
  f.services.AppendLog("first line of the old log, long enough to pass 64 bytes");
  f.services.AppendLog("second");  // the log is at its limit: it moves first
  EXPECT_EQ(f.dir.Read("log.txt.1"),
            "\r\n2024\\03\\07 09:05:03\tfirst line of the old log, long enough to pass 64 bytes");
  EXPECT_EQ(f.Log(), "\r\n2024\\03\\07 09:05:03\tsecond");
  // A later rotation replaces the older .1.
  f.services.AppendLog(std::string(70, 'x'));
  f.services.AppendLog("third");
  EXPECT_EQ(f.dir.Read("log.txt.1").find("first line"), std::string::npos);
  EXPECT_EQ(f.Log(), "\r\n2024\\03\\07 09:05:03\tthird");
}

TEST(WindowServicesLogTest, InstalledLimitRotatesATenMebibyteLogAndKeepsASmallerOne) {
  TempDir dir;
  const std::string log = dir.file("log.txt");
  dir.Write("log.txt", std::string("start"));
  std::filesystem::resize_file(log, kInstalledLogLimit - 1);  // sparse
  EXPECT_FALSE(RotateLogIfLarge(log, kInstalledLogLimit));
  std::filesystem::resize_file(log, kInstalledLogLimit);
  EXPECT_TRUE(RotateLogIfLarge(log, kInstalledLogLimit));
  EXPECT_FALSE(std::filesystem::exists(log));
  EXPECT_EQ(std::filesystem::file_size(log + ".1"), kInstalledLogLimit);
  // Without a limit (the portable folder) nothing ever moves.
  dir.Write("log.txt", std::string("start"));
  std::filesystem::resize_file(log, kInstalledLogLimit * 2);
  EXPECT_FALSE(RotateLogIfLarge(log, 0));
}

TEST(WindowServicesCaptionTest, OperationButtonsTakeRunningAndIdleTexts) {
  TempDir dir;
  std::string ftext = "[ftext]\r\n";
  std::string itext = "[itext]\r\n";
  for (int n = 0; n < TextTable::kFtextCount; ++n)
    ftext += std::to_string(n) + "=F" + std::to_string(n) + "\r\n";
  for (int n = 0; n < TextTable::kItextCount; ++n)
    itext += std::to_string(n) + "=I" + std::to_string(n) + "\r\n";
  dir.Write("ftext.ini", ftext);
  dir.Write("itext.ini", itext);
  TextTable texts;
  ASSERT_TRUE(texts.LoadFtext(dir.file("ftext.ini")));
  ASSERT_TRUE(texts.LoadItext(dir.file("itext.ini")));
  RecordingSurface surface;
  WindowServices services(surface, texts);

  const struct {
    int id;
    const char* running;
    const char* idle;
  } cases[] = {{ids::kEraseButton, "I36", "F54"},
               {ids::kProgramButton, "I38", "F55"},
               {ids::kVerifyButton, "I40", "F56"},
               {ids::kReadButton, "I42", "F57"},
               {ids::kBlankCheckButton, "I44", "F58"}};
  for (const auto& c : cases) {
    services.SetOperationCaption(c.id, true);
    EXPECT_EQ(surface.ControlText(c.id), c.running);
    services.SetOperationCaption(c.id, false);
    EXPECT_EQ(surface.ControlText(c.id), c.idle);
  }
  services.SetOperationCaption(ids::kDetectButton, true);
  EXPECT_EQ(surface.ControlText(ids::kDetectButton), "");

  services.Box("Question?", BoxIcon::Question, BoxButtons::YesNo);
  ASSERT_EQ(surface.Boxes().size(), 1u);
  EXPECT_EQ(surface.Boxes()[0].caption, "I9");
}

TEST(WindowServicesSoundTest, PlaysOnlyWhileTheSoundItemIsChecked) {
  Fixture f;
  f.services.PlaySoundIfOn("sound/del.wav");
  EXPECT_TRUE(f.surface.Sounds().empty());
  f.surface.SetMenuChecked(ids::kSoundSetting, true);
  f.services.PlaySoundIfOn("sound/del.wav");
  EXPECT_EQ(f.surface.Sounds(), (std::vector<std::string>{f.dir.base() + "sound/del.wav"}));
}

}  // namespace
}  // namespace tarnwick
