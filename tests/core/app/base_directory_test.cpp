// Where the program keeps its files: a portable folder, or an installed tree
// (read-only share folder) with a per-user folder seeded from it.
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
  fs::path user() const { return home.path() / ".local/share/tarnwick"; }

  BaseDirectoryInputs Inputs() const {
    BaseDirectoryInputs in;
    in.executableDir = (root.path() / "usr/bin").string();
    in.home = home.path().string();
    in.locale = "C.UTF-8";
    return in;
  }
};

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

TEST(BaseDirectory, WritableFolderWithTheCatalogueBesideTheProgramIsItsOwnBaseDirectory) {
  TempDir portable;
  TempDir home;
  portable.Write("database.dat", std::string("catalogue"));
  BaseDirectoryInputs in;
  in.executableDir = portable.path().string();
  in.home = home.path().string();
  const BaseDirectory b = Chosen(in);
  EXPECT_TRUE(b.portable);
  EXPECT_EQ(b.baseDir, portable.base());
  EXPECT_EQ(b.dataDir, portable.base());
  EXPECT_TRUE(fs::is_empty(home.path()));
}

TEST(BaseDirectory, InstalledProgramSeedsThePerUserFolderWithTheLocalesTexts) {
  InstalledTree tree;
  BaseDirectoryInputs in = tree.Inputs();
  in.locale = "zh_TW.UTF-8";
  const BaseDirectory b = Chosen(in);
  EXPECT_FALSE(b.portable);
  EXPECT_EQ(b.baseDir, tree.user().string() + "/");
  EXPECT_EQ(b.dataDir, tree.share().string() + "/");
  TempDir& home = tree.home;
  EXPECT_EQ(home.Read(".local/share/tarnwick/ftext.ini"), "zh ftext");
  EXPECT_EQ(home.Read(".local/share/tarnwick/itext.ini"), "zh itext");
  EXPECT_EQ(home.Read(".local/share/tarnwick/database.dat"), "catalogue");
  EXPECT_EQ(home.Read(".local/share/tarnwick/sound/finishsound.wav"), "wav");
  EXPECT_EQ(home.Read(".local/share/tarnwick/sim/default.box"), "box");
  // The sets stay in the share folder, where --lang reads them.
  EXPECT_FALSE(fs::exists(tree.user() / "lang"));
  EXPECT_EQ(b.seededFiles, 5);
  // The user's copies can be changed, though the originals are read-only.
  const fs::perms p = fs::status(tree.user() / "ftext.ini").permissions();
  EXPECT_NE(p & fs::perms::owner_write, fs::perms::none);
}

TEST(BaseDirectory, SeedingNeverOverwritesTheUsersFilesAndFillsInOnlyWhatIsMissing) {
  InstalledTree tree;
  fs::create_directories(tree.user());
  tree.home.Write(".local/share/tarnwick/ftext.ini", std::string("my texts"));
  tree.home.Write(".local/share/tarnwick/database.dat", std::string("my catalogue"));
  tree.home.Write(".local/share/tarnwick/hven2.dll", std::string("settings"));
  const BaseDirectory first = Chosen(tree.Inputs());
  EXPECT_EQ(first.seededFiles, 3);  // itext.ini, the sound and the box
  EXPECT_EQ(tree.home.Read(".local/share/tarnwick/ftext.ini"), "my texts");
  EXPECT_EQ(tree.home.Read(".local/share/tarnwick/database.dat"), "my catalogue");
  EXPECT_EQ(tree.home.Read(".local/share/tarnwick/hven2.dll"), "settings");
  EXPECT_EQ(tree.home.Read(".local/share/tarnwick/itext.ini"), "en itext");
  EXPECT_EQ(Chosen(tree.Inputs()).seededFiles, 0);
}

TEST(BaseDirectory, XdgDataHomeHoldsThePerUserFolderWhenAbsolute) {
  InstalledTree tree;
  TempDir xdg;
  BaseDirectoryInputs in = tree.Inputs();
  in.xdgDataHome = xdg.path().string();
  EXPECT_EQ(Chosen(in).baseDir, xdg.base() + "tarnwick/");
  EXPECT_EQ(xdg.Read("tarnwick/ftext.ini"), "en ftext");
  EXPECT_FALSE(fs::exists(tree.user()));
  // The XDG rule: a relative value is ignored.
  in.xdgDataHome = "relative/data";
  EXPECT_EQ(Chosen(in).baseDir, tree.user().string() + "/");
}

TEST(BaseDirectory, LangOptionChoosesTheSeededSetOverTheLocale) {
  InstalledTree tree;
  BaseDirectoryInputs in = tree.Inputs();
  in.locale = "zh_CN.UTF-8";
  in.lang = "en";
  Chosen(in);
  EXPECT_EQ(tree.home.Read(".local/share/tarnwick/ftext.ini"), "en ftext");
  EXPECT_EQ(SeedLanguage("", "zh_SG"), "zh_CN");
  EXPECT_EQ(SeedLanguage("", "de_DE.UTF-8"), "en");
  EXPECT_EQ(SeedLanguage("", ""), "en");
}

TEST(BaseDirectory, BaseDirOptionOverridesWithoutSeedingAndMustExist) {
  InstalledTree tree;
  TempDir own;
  BaseDirectoryInputs in = tree.Inputs();
  in.baseDirOption = own.path().string();
  const BaseDirectory b = Chosen(in);
  EXPECT_EQ(b.baseDir, own.base());
  EXPECT_EQ(b.dataDir, tree.share().string() + "/");
  EXPECT_TRUE(fs::is_empty(own.path()));
  EXPECT_FALSE(fs::exists(tree.user()));

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
  in.home = bare.path().string();
  const BaseDirectoryError noData = Failed(in);
  EXPECT_EQ(noData.kind, BaseDirectoryError::Kind::NoData);
  EXPECT_NE(BaseDirectoryErrorMessage(noData).find("share/tarnwick"), std::string::npos);

  InstalledTree tree;
  in = tree.Inputs();
  in.home.clear();
  EXPECT_EQ(Failed(in).kind, BaseDirectoryError::Kind::NoHome);
}

}  // namespace
}  // namespace tarnwick
