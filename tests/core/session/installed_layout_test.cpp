// A whole session in the installed layout: it reads the shipped catalogue
// and texts where they are and writes only into the user's folders.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/app/data_layout.h"
#include "core/buffers/file_image.h"
#include "core/session/session.h"
#include "session_fixture.h"

namespace tarnwick::test {
namespace {

namespace fs = std::filesystem;

int FilesBelow(const fs::path& dir) {
  int n = 0;
  for (const auto& e : fs::recursive_directory_iterator(dir)) n += e.is_regular_file() ? 1 : 0;
  return n;
}

class InstalledSessionTest : public SessionTest {
 protected:
  TempDir home;
};

TEST_F(InstalledSessionTest, ReadAndSettingsGoToTheXdgFoldersAndTheDataStaysUntouched) {
  // The base directory stands for the share folder, its tables as lang/en/.
  fs::create_directories(dir.path() / "lang/en");
  for (const char* f : {"ftext.ini", "itext.ini"}) {
    fs::rename(dir.path() / f, dir.path() / "lang/en" / f);
  }
  const int shipped = FilesBelow(dir.path());
  XdgFolders xdg;
  xdg.home = home.path().string();
  const DataLayout layout = InstalledLayout(dir.base(), xdg, "en");
  for (const std::string& folder : UserFolders(layout)) fs::create_directories(folder);
  MakeBox(sim::DefaultBoxDescription(layout.simDir));
  session = std::make_unique<Session>(Session::Options{layout, false}, surface, *tap);
  session->services().SetClock(FixedClock);
  session->LoadTexts();
  session->Start();
  ASSERT_GT(session->catalogue().Count(), 0u);
  EXPECT_FALSE(F(0).empty());

  ASSERT_TRUE(Run(Job::Read)) << surface.LastStatus();
  session->OnCommand(ids::kSoundSetting);

  EXPECT_EQ(home.Read(".config/tarnwick/settings").size(), 1u);
  EXPECT_NE(home.Read(".local/state/tarnwick/log.txt").find(I(26)), std::string::npos);
  EXPECT_EQ(fs::file_size(home.path() / ".cache/tarnwick/h_ven0.dll"), 8u * 1024 * 1024);
  EXPECT_EQ(session->image().tempDir(), home.file(".cache/tarnwick/temp"));
  EXPECT_TRUE(fs::exists(home.path() / ".local/state/tarnwick/sim/en25q64.bin"));
  EXPECT_EQ(FilesBelow(dir.path()), shipped);
}

}  // namespace
}  // namespace tarnwick::test
