// Opening links without the desktop's opener: the registered browser found
// through real mimeapps.list and desktop files in a temporary tree, its
// command cut at the target placeholder, and the failure texts.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/services/links/link_errors.h"
#include "core/services/links/registered_browser.h"
#include "support/temp_dir.h"

namespace tarnwick::links {
namespace {

class RegisteredBrowser : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* d : {"config", "data/applications", "system/applications"})
      std::filesystem::create_directories(dir.path() / d);
    dirs.configDirs = {dir.file("config")};
    dirs.dataDirs = {dir.file("data"), dir.file("system")};
  }
  void Desktop(const std::string& where, const std::string& name, const std::string& exec) {
    // The Exec line of the main group only, which comes after another group.
    dir.Write(where + "/applications/" + name,
              "[Desktop Action new]\nExec=wrong %u\n[Desktop Entry]\nName=B\nExec=" + exec + "\n");
  }

  test::TempDir dir;
  DesktopDirs dirs;
};

TEST_F(RegisteredBrowser, TheDefaultForWebPagesOpensTheTargetAsItsLastArgument) {
  Desktop("system", "browser.desktop", "/opt/b/browser --new-window \"%1\" --ignored");
  Desktop("data", "mine.desktop", "my-browser %u");
  dir.Write("config/mimeapps.list",
            "[Added Associations]\ntext/html=other.desktop\n"
            "[Default Applications]\ntext/html=gone.desktop;browser.desktop;\n");
  const std::string target = "http://example.org/a b?x=1&y=$(rm -rf ~)";
  BrowserLaunch l = RegisteredBrowserFor(target, dirs);
  ASSERT_EQ(l.result, kOpened);
  EXPECT_EQ(l.argv, (std::vector<std::string>{"/opt/b/browser", "--new-window", target}));

  // The user's own list comes before the system's.
  dir.Write("data/applications/mimeapps.list", "[Default Applications]\ntext/html=mine.desktop\n");
  dir.Write("config/mimeapps.list", "");
  l = RegisteredBrowserFor(target, dirs);
  EXPECT_EQ(l.argv, (std::vector<std::string>{"my-browser", target}));
}

TEST_F(RegisteredBrowser, CommandsWithoutPlaceholderTooLongOrMissingAreRefusedWithTheirCode) {
  EXPECT_EQ(BrowserCommand("\"/opt/My Browser/run\" -x %i", "t").argv,
            (std::vector<std::string>{"/opt/My Browser/run", "-x", "t"}));
  EXPECT_EQ(BrowserCommand("run 100%% %U", "t").argv,
            (std::vector<std::string>{"run", "100%", "t"}));
  EXPECT_EQ(BrowserCommand("", "t").result, kAssociationIncomplete);
  // 520 bytes with the blank and the ending NUL is the most there is.
  EXPECT_EQ(BrowserCommand("b %u", std::string(517, 'x')).result, kOpened);
  EXPECT_EQ(BrowserCommand("b %u", std::string(518, 'x')).result, kNotEnoughMemory);
  EXPECT_TRUE(BrowserCommand("b %u", std::string(518, 'x')).argv.empty());

  EXPECT_EQ(RegisteredBrowserFor("t", dirs).result, kNoAssociation);
  dir.Write("config/mimeapps.list", "[Default Applications]\ntext/html=gone.desktop\n");
  EXPECT_EQ(RegisteredBrowserFor("t", dirs).result, kNoAssociation);
  Desktop("data", "noexec.desktop", "");
  dir.Write("config/mimeapps.list", "[Default Applications]\ntext/html=noexec.desktop\n");
  EXPECT_EQ(RegisteredBrowserFor("t", dirs).result, kAssociationIncomplete);
}

TEST(LinkFailure, EveryCodeHasItsTextAfterTheCommonStart) {
  const std::string start = "Unable to open hyperlink:\n\n";
  EXPECT_EQ(LinkFailureText(2), start + "The specified file was not found.");
  EXPECT_EQ(LinkFailureText(26), start + "A sharing violation occurred. ");
  EXPECT_EQ(LinkFailureText(31),
            start + "There is no application associated\nwith the given filename extension.");
  EXPECT_EQ(LinkFailureText(4), start + "Unknown Error (4) occurred.");
  int known = 0;
  for (int code = 0; code <= 32; ++code) {
    if (LinkFailureText(code).find("Unknown Error") == std::string::npos) ++known;
  }
  EXPECT_EQ(known, 13);
  EXPECT_FALSE(Opened(32));
  EXPECT_TRUE(Opened(kOpened));
}

}  // namespace
}  // namespace tarnwick::links
