// Where the program keeps its files: a portable folder holds everything; an
// installed tree reads its data in place and keeps the user's files in the
// XDG folders, taking over what an older version left behind.
#include "core/app/base_directory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <variant>

#include "support/temp_dir.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

// An installed tree below `root`: usr/bin (the executables' folder, without
// data) and usr/share/tarnwick made read-only as a package leaves it.
struct InstalledTree {
  TempDir root;
  TempDir home;

  InstalledTree() {
    fs::create_directories(root.path() / "usr/bin");
    for (const char* d : {"lang/en", "lang/zh_CN", "sound", "sim"}) {
      fs::create_directories(share() / d);
    }
    root.Write("usr/share/tarnwick/database.dat", std::string("catalogue"));
    root.Write("usr/share/tarnwick/lang/en/ftext.ini", std::string("en ftext"));
    root.Write("usr/share/tarnwick/lang/en/itext.ini", std::string("en itext"));
    root.Write("usr/share/tarnwick/lang/zh_CN/ftext.ini", std::string("zh ftext"));
    root.Write("usr/share/tarnwick/lang/zh_CN/itext.ini", std::string("zh itext"));
    root.Write("usr/share/tarnwick/sound/finishsound.wav", std::string("wav"));
    root.Write("usr/share/tarnwick/sim/default.box", std::string("box"));
    for (const auto& e : fs::recursive_directory_iterator(share())) {
      if (e.is_regular_file()) fs::permissions(e.path(), fs::perms(0444));
    }
  }

  fs::path share() const { return root.path() / "usr/share/tarnwick"; }
  std::string shared(const std::string& rel) const { return (share() / rel).string(); }
  std::string inHome(const std::string& rel) const { return (home.path() / rel).string(); }

  BaseDirectoryInputs Inputs() const {
    BaseDirectoryInputs in;
    in.executableDir = (root.path() / "usr/bin").string();
    in.xdg.home = home.path().string();
    in.locale = "C.UTF-8";
    return in;
  }
};

// The regular files below `dir`.
int FilesBelow(const fs::path& dir) {
  int n = 0;
  for (const auto& e : fs::recursive_directory_iterator(dir)) n += e.is_regular_file() ? 1 : 0;
  return n;
}

BaseDirectory Chosen(const BaseDirectoryInputs& in) {
  auto result = ChooseBaseDirectory(in);
  if (const auto* e = std::get_if<BaseDirectoryError>(&result)) {
    ADD_FAILURE() << BaseDirectoryErrorMessage(*e);
    return {};
  }
  return std::get<BaseDirectory>(result);
}

BaseDirectoryError Failed(const BaseDirectoryInputs& in) {
  auto result = ChooseBaseDirectory(in);
  EXPECT_TRUE(std::holds_alternative<BaseDirectoryError>(result));
  if (auto* e = std::get_if<BaseDirectoryError>(&result)) return *e;
  return {};
}

TEST(BaseDirectory, PortableFolderKeepsEverythingInItselfUnderTheOldNames) {
  TempDir portable;
  TempDir home;
  portable.Write("database.dat", std::string("catalogue"));
  BaseDirectoryInputs in;
  in.executableDir = portable.path().string();
  in.xdg.home = home.path().string();
  const BaseDirectory b = Chosen(in);
  const DataLayout& l = b.layout;
  EXPECT_TRUE(b.portable);
  EXPECT_FALSE(l.installed);
  EXPECT_EQ(l.dataDir, portable.base());
  EXPECT_EQ(l.catalogueFile, portable.file("database.dat"));
  EXPECT_EQ(l.ftextFile, portable.file("ftext.ini"));
  EXPECT_EQ(l.settingsFile, portable.file("hven2.dll"));
  EXPECT_EQ(l.logFile, portable.file("log.txt"));
  EXPECT_EQ(l.logLimit, 0u);
  for (const std::string& dir : {l.workDir, l.simDir, l.lockDir, l.configDir, l.assetDir}) {
    EXPECT_EQ(dir, portable.base());
  }
  EXPECT_TRUE(fs::is_empty(home.path()));
}

TEST(BaseDirectory, InstalledProgramReadsTheShippedDataInPlaceAndCopiesNothingHome) {
  InstalledTree tree;
  const BaseDirectory b = Chosen(tree.Inputs());
  const DataLayout& l = b.layout;
  EXPECT_FALSE(b.portable);
  EXPECT_TRUE(l.installed);
  EXPECT_EQ(l.dataDir, tree.share().string() + "/");
  EXPECT_EQ(l.assetDir, l.dataDir);
  EXPECT_EQ(l.catalogueFile, tree.shared("database.dat"));
  EXPECT_EQ(l.ftextFile, tree.shared("lang/en/ftext.ini"));
  EXPECT_EQ(l.itextFile, tree.shared("lang/en/itext.ini"));
  // The XDG defaults below the home folder, one folder per kind of file.
  EXPECT_EQ(l.settingsFile, tree.inHome(".config/tarnwick/settings"));
  EXPECT_EQ(l.logFile, tree.inHome(".local/state/tarnwick/log.txt"));
  EXPECT_EQ(l.logLimit, 10u * 1024 * 1024);
  EXPECT_EQ(l.workDir, tree.inHome(".cache/tarnwick/"));
  EXPECT_EQ(l.simDir, tree.inHome(".local/state/tarnwick/sim/"));
  for (const std::string& dir : UserFolders(l)) EXPECT_TRUE(fs::is_directory(dir)) << dir;
  EXPECT_EQ(FilesBelow(tree.home.path()), 0);
  EXPECT_FALSE(fs::exists(tree.inHome(".local/share/tarnwick")));
}

TEST(BaseDirectory, AbsoluteXdgVariablesPlaceTheUsersFoldersAndRelativeOnesAreIgnored) {
  InstalledTree tree;
  TempDir xdg;
  BaseDirectoryInputs in = tree.Inputs();
  in.xdg.configHome = xdg.file("config");
  in.xdg.stateHome = xdg.file("state");
  in.xdg.cacheHome = xdg.file("cache");
  const DataLayout l = Chosen(in).layout;
  EXPECT_EQ(l.settingsFile, xdg.file("config/tarnwick/settings"));
  EXPECT_EQ(l.logFile, xdg.file("state/tarnwick/log.txt"));
  EXPECT_EQ(l.simDir, xdg.file("state/tarnwick/sim/"));
  EXPECT_EQ(l.workDir, xdg.file("cache/tarnwick/"));
  EXPECT_TRUE(fs::is_empty(tree.home.path()));

  in.xdg.configHome = "relative/config";
  in.xdg.cacheHome = "relative/cache";
  const DataLayout relative = Chosen(in).layout;
  EXPECT_EQ(relative.settingsFile, tree.inHome(".config/tarnwick/settings"));
  EXPECT_EQ(relative.workDir, tree.inHome(".cache/tarnwick/"));
}

TEST(BaseDirectory, UsersOwnCatalogueAndTextsInTheConfigFolderOverrideTheShippedOnes) {
  InstalledTree tree;
  BaseDirectoryInputs in = tree.Inputs();
  fs::create_directories(tree.inHome(".config/tarnwick"));
  tree.home.Write(".config/tarnwick/database.dat", std::string("site catalogue"));
  tree.home.Write(".config/tarnwick/itext.ini", std::string("site itext"));
  const DataLayout l = Chosen(in).layout;
  EXPECT_EQ(l.catalogueFile, tree.inHome(".config/tarnwick/database.dat"));
  EXPECT_EQ(l.itextFile, tree.inHome(".config/tarnwick/itext.ini"));
  EXPECT_EQ(l.ftextFile, tree.shared("lang/en/ftext.ini"));
  // --lang asks for a shipped set by name: it wins over the site's table.
  in.lang = "zh_CN";
  EXPECT_EQ(Chosen(in).layout.itextFile, tree.shared("lang/zh_CN/itext.ini"));
}

TEST(BaseDirectory, TextSetFollowsTheDesktopLanguageAtEveryStartUnlessLangIsGiven) {
  InstalledTree tree;
  BaseDirectoryInputs in = tree.Inputs();
  in.locale = "zh_TW.UTF-8";
  EXPECT_EQ(Chosen(in).layout.ftextFile, tree.shared("lang/zh_CN/ftext.ini"));
  in.locale = "de_DE.UTF-8";
  EXPECT_EQ(Chosen(in).layout.ftextFile, tree.shared("lang/en/ftext.ini"));
  in.locale = "zh_CN.UTF-8";
  in.lang = "en";
  EXPECT_EQ(Chosen(in).layout.itextFile, tree.shared("lang/en/itext.ini"));
  EXPECT_EQ(TextLanguage("", "zh_SG"), "zh_CN");
  EXPECT_EQ(TextLanguage("", ""), "en");
  EXPECT_EQ(FilesBelow(tree.home.path()), 0);
}

TEST(BaseDirectory, OlderVersionsSettingsAndLogMoveOnceAndOnlyUnchangedShippedCopiesGo) {
  InstalledTree tree;
  const std::string old = ".local/share/tarnwick/";
  fs::create_directories(tree.inHome(old + "sound"));
  fs::create_directories(tree.inHome(old + "sim"));
  tree.home.Write(old + "hven2.dll", std::string("\x01\x00\x01\x01\x01", 5));
  tree.home.Write(old + "log.txt", std::string("old lines"));
  tree.home.Write(old + "ftext.ini", std::string("zh ftext"));          // the seeded set
  tree.home.Write(old + "itext.ini", std::string("my itext"));          // edited by the user
  tree.home.Write(old + "database.dat", std::string("old catalogue"));  // an older package's
  tree.home.Write(old + "sound/finishsound.wav", std::string("wav"));
  tree.home.Write(old + "sim/default.box", std::string("box"));
  tree.home.Write(old + "en25q64.bin", std::string("chip"));

  const BaseDirectory first = Chosen(tree.Inputs());
  EXPECT_EQ(first.migrated.moved, 2);
  EXPECT_EQ(first.migrated.removed, 3);
  EXPECT_EQ(tree.home.Read(".config/tarnwick/settings"), std::string("\x01\x00\x01\x01\x01", 5));
  EXPECT_EQ(tree.home.Read(".local/state/tarnwick/log.txt"), "old lines");
  for (const char* gone : {"hven2.dll", "log.txt", "ftext.ini", "sound", "sim"}) {
    EXPECT_FALSE(fs::exists(tree.inHome(old + gone))) << gone;
  }
  // Changed files stay where they were, and are not used in place of the
  // shipped ones.
  EXPECT_EQ(tree.home.Read(old + "itext.ini"), "my itext");
  EXPECT_EQ(tree.home.Read(old + "database.dat"), "old catalogue");
  EXPECT_EQ(tree.home.Read(old + "en25q64.bin"), "chip");
  EXPECT_EQ(first.layout.catalogueFile, tree.shared("database.dat"));

  // Once: what the new places hold is never replaced by a later leftover.
  tree.home.Write(old + "hven2.dll", std::string("stale"));
  const BaseDirectory second = Chosen(tree.Inputs());
  EXPECT_EQ(second.migrated.moved, 0);
  EXPECT_EQ(tree.home.Read(".config/tarnwick/settings"), std::string("\x01\x00\x01\x01\x01", 5));
}

TEST(BaseDirectory, BaseDirOptionKeepsEverythingInThatFolderAndMustExist) {
  InstalledTree tree;
  TempDir own;
  BaseDirectoryInputs in = tree.Inputs();
  in.baseDirOption = own.path().string();
  const DataLayout l = Chosen(in).layout;
  EXPECT_EQ(l.catalogueFile, own.file("database.dat"));
  EXPECT_EQ(l.settingsFile, own.file("hven2.dll"));
  EXPECT_EQ(l.logFile, own.file("log.txt"));
  EXPECT_EQ(l.workDir, own.base());
  EXPECT_EQ(l.simDir, own.base());
  EXPECT_EQ(l.dataDir, tree.share().string() + "/");
  EXPECT_TRUE(fs::is_empty(own.path()));
  EXPECT_TRUE(fs::is_empty(tree.home.path()));

  in.baseDirOption = own.file("missing");
  const BaseDirectoryError e = Failed(in);
  EXPECT_EQ(e.kind, BaseDirectoryError::Kind::BaseDirMissing);
  EXPECT_EQ(BaseDirectoryErrorMessage(e),
            "base directory " + own.file("missing") + "/ does not exist");
}

TEST(BaseDirectory, NoDataAndNoHomeAreErrorsThatNameTheCause) {
  TempDir bare;
  BaseDirectoryInputs in;
  in.executableDir = bare.path().string();
  in.xdg.home = bare.path().string();
  const BaseDirectoryError noData = Failed(in);
  EXPECT_EQ(noData.kind, BaseDirectoryError::Kind::NoData);
  EXPECT_NE(BaseDirectoryErrorMessage(noData).find("share/tarnwick"), std::string::npos);

  InstalledTree tree;
  in = tree.Inputs();
  in.xdg.home.clear();
  EXPECT_EQ(Failed(in).kind, BaseDirectoryError::Kind::NoHome);
}

TEST(BaseDirectory, ShippedBoxFilesKeepTheirChipsInTheUsersStateFolder) {
  InstalledTree tree;
  TempDir mine;
  const DataLayout installed = Chosen(tree.Inputs()).layout;
  EXPECT_EQ(BoxContentFolder(installed, tree.shared("sim/default.box")), installed.simDir);
  EXPECT_EQ(BoxContentFolder(installed, mine.file("my.box")), "");
  // In a portable folder the box files are the user's own.
  const DataLayout portable = OneFolderLayout(mine.base());
  EXPECT_EQ(BoxContentFolder(portable, mine.file("my.box")), "");
}

}  // namespace
}  // namespace tarnwick
