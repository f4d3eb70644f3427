// The five settings: what the file bytes turn into check marks, and what each
// toggle writes.
#include "core/app/settings.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "core/app/data_layout.h"
#include "resources/ids.h"
#include "support/recording_surface.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

using test::RecordingSurface;
using test::TempDir;
using namespace std::string_literals;

constexpr int kAll[] = {ids::kSoundSetting, ids::kAutoDetectSetting, ids::kBatchEraseSetting,
                        ids::kBatchProgramSetting, ids::kBatchVerifySetting};

struct Fixture {
  TempDir dir;
  RecordingSurface surface;
  Settings settings{surface, OneFolderLayout(dir.base()).settingsFile};
  std::string File() const { return dir.Read(kOneFolderSettingsName); }
};

TEST(SettingsLoadTest, FirstStartCreatesEmptyFileAndChecksAllFive) {
  Fixture f;
  f.settings.LoadSettings();
  EXPECT_TRUE(std::filesystem::exists(f.dir.path() / "hven2.dll"));
  EXPECT_EQ(f.File(), "");
  for (int id : kAll) EXPECT_TRUE(f.surface.IsMenuChecked(id)) << id;
  EXPECT_TRUE(f.settings.SoundOn());
  EXPECT_TRUE(f.settings.AutoDetectOn());
  EXPECT_TRUE(f.settings.BatchEraseOn());
  EXPECT_TRUE(f.settings.BatchProgramOn());
  EXPECT_TRUE(f.settings.BatchVerifyOn());
}

TEST(SettingsLoadTest, BytesBecomeCheckMarksOnlyWhenExactlyOne) {
  {
    Fixture f;
    f.dir.Write("hven2.dll", "\0"s);
    f.settings.LoadSettings();
    EXPECT_FALSE(f.settings.SoundOn());
    EXPECT_TRUE(f.settings.AutoDetectOn());
    EXPECT_TRUE(f.settings.BatchEraseOn());
    EXPECT_TRUE(f.settings.BatchProgramOn());
    EXPECT_TRUE(f.settings.BatchVerifyOn());
    EXPECT_EQ(f.File(), "\0"s);  // loading never writes
  }
  {
    Fixture f;
    f.dir.Write("hven2.dll", "\1\1\1\2\1"s);
    f.settings.LoadSettings();
    EXPECT_FALSE(f.settings.BatchProgramOn());
    EXPECT_TRUE(f.settings.BatchEraseOn());
    EXPECT_TRUE(f.settings.BatchVerifyOn());
  }
  {
    Fixture f;
    f.dir.Write("hven2.dll", "\0\0\0\0\0\1\1"s);  // bytes beyond five are ignored
    f.settings.LoadSettings();
    for (int id : kAll) EXPECT_FALSE(f.surface.IsMenuChecked(id)) << id;
  }
}

TEST(SettingsLoadTest, UnopenableFileTogglesTheSoundItemOnce) {
  // The base directory is a regular file, so nothing below it can be created
  // (this holds even for root, unlike permission bits).
  TempDir dir;
  dir.Write("plain", "x");
  RecordingSurface surface;
  Settings settings(surface, dir.file("plain") + "/hven2.dll");
  settings.LoadSettings();
  EXPECT_TRUE(surface.IsMenuChecked(ids::kSoundSetting));  // template state was unchecked
  EXPECT_FALSE(surface.IsMenuChecked(ids::kAutoDetectSetting));
}

TEST(SettingsToggleTest, SoundWritesOffsetZero) {
  Fixture f;
  f.settings.LoadSettings();
  EXPECT_TRUE(f.settings.Toggle(ids::kSoundSetting));
  EXPECT_FALSE(f.settings.SoundOn());
  EXPECT_EQ(f.File(), "\0"s);
  f.settings.Toggle(ids::kSoundSetting);
  EXPECT_TRUE(f.settings.SoundOn());
  EXPECT_EQ(f.File(), "\1"s);
}

TEST(SettingsToggleTest, AutoDetectOnEmptyFileWritesSoundDefaultFirst) {
  Fixture f;
  f.settings.LoadSettings();
  f.settings.Toggle(ids::kAutoDetectSetting);
  EXPECT_FALSE(f.settings.AutoDetectOn());
  EXPECT_EQ(f.File(), "\1\0"s);
  f.settings.Toggle(ids::kAutoDetectSetting);
  EXPECT_EQ(f.File(), "\1\1"s);

  Fixture g;
  g.dir.Write("hven2.dll", "\0"s);
  g.settings.LoadSettings();
  g.settings.Toggle(ids::kAutoDetectSetting);  // one byte: appended
  EXPECT_EQ(g.File(), "\0\0"s);
}

TEST(SettingsToggleTest, BatchStepsRewriteAllFiveBytes) {
  Fixture f;
  f.dir.Write("hven2.dll", "\0"s);
  f.settings.LoadSettings();
  f.settings.Toggle(ids::kBatchProgramSetting);
  EXPECT_FALSE(f.settings.BatchProgramOn());
  EXPECT_EQ(f.File(), "\0\1\1\0\1"s);
  f.settings.Toggle(ids::kBatchEraseSetting);
  f.settings.Toggle(ids::kBatchVerifySetting);
  EXPECT_EQ(f.File(), "\0\1\0\0\0"s);
  f.settings.Toggle(ids::kBatchVerifySetting);
  EXPECT_EQ(f.File(), "\0\1\0\0\1"s);

  // What was written reads back as the same marks.
  RecordingSurface again;
  Settings reread(again, f.dir.file("hven2.dll"));
  reread.LoadSettings();
  EXPECT_FALSE(reread.SoundOn());
  EXPECT_TRUE(reread.AutoDetectOn());
  EXPECT_FALSE(reread.BatchEraseOn());
  EXPECT_FALSE(reread.BatchProgramOn());
  EXPECT_TRUE(reread.BatchVerifyOn());
}

TEST(SettingsToggleTest, UncheckedAndDisabledItemIsLeftAlone) {
  Fixture f;
  f.surface.SetMenuChecked(ids::kBatchEraseSetting, false);
  f.surface.SetCommandEnabled(ids::kBatchEraseSetting, false);
  EXPECT_TRUE(f.settings.Toggle(ids::kBatchEraseSetting));
  EXPECT_FALSE(f.settings.BatchEraseOn());
  EXPECT_FALSE(std::filesystem::exists(f.dir.path() / "hven2.dll"));
  // Checked items toggle off even while disabled.
  f.surface.SetMenuChecked(ids::kBatchEraseSetting, true);
  f.settings.Toggle(ids::kBatchEraseSetting);
  EXPECT_FALSE(f.settings.BatchEraseOn());
}

TEST(SettingsToggleTest, UnwritableBaseDirectoryStillTogglesTheMarks) {
  TempDir dir;
  dir.Write("plain", "x");
  RecordingSurface surface;
  Settings settings(surface, dir.file("plain") + "/hven2.dll");
  for (int id : kAll) surface.SetMenuChecked(id, true);
  for (int id : kAll) {
    EXPECT_TRUE(settings.Toggle(id));
    EXPECT_FALSE(surface.IsMenuChecked(id)) << id;
    settings.Toggle(id);
    EXPECT_TRUE(surface.IsMenuChecked(id)) << id;
  }
}

TEST(SettingsToggleTest, ForeignIdsAreNotOwned) {
  Fixture f;
  EXPECT_FALSE(f.settings.Toggle(ids::kEraseButton));
  EXPECT_FALSE(Settings::OwnsCommand(ids::kHelp));
  for (int id : kAll) EXPECT_TRUE(Settings::OwnsCommand(id));
  EXPECT_FALSE(std::filesystem::exists(f.dir.path() / "hven2.dll"));
}

}  // namespace
}  // namespace tarnwick
