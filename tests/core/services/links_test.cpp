// Opening links: which texts may be opened and as what URL, the registered
// browser found through real mimeapps.list and desktop files in a temporary
// tree, its command cut at the target placeholder, a stand-in browser that
// records the arguments it was started with, and the failure texts.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "core/services/links/link_errors.h"
#include "core/services/links/link_open.h"
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
  EXPECT_EQ(l.argv, (std::vector<std::string>{"my-browser", "--", target}));
}

TEST_F(RegisteredBrowser, CommandsWithoutPlaceholderTooLongOrMissingAreRefusedWithTheirCode) {
  EXPECT_EQ(BrowserCommand("\"/opt/My Browser/run\" -x %i", "t").argv,
            (std::vector<std::string>{"/opt/My Browser/run", "-x", "t"}));
  EXPECT_EQ(BrowserCommand("run 100%% %U", "t").argv,
            (std::vector<std::string>{"run", "100%", "--", "t"}));
  EXPECT_EQ(BrowserCommand("run -- %U", "t").argv, (std::vector<std::string>{"run", "--", "t"}));
  EXPECT_EQ(BrowserCommand("flatpak run --file-forwarding org.B @@u %u @@", "t").argv,
            (std::vector<std::string>{"flatpak", "run", "--file-forwarding", "org.B", "@@u", "t"}));
  EXPECT_EQ(BrowserCommand("", "t").result, kAssociationIncomplete);
  // 520 bytes with the blanks, "--" and the ending NUL is the most there is.
  EXPECT_EQ(BrowserCommand("b %u", std::string(514, 'x')).result, kOpened);
  EXPECT_EQ(BrowserCommand("b %u", std::string(515, 'x')).result, kNotEnoughMemory);
  EXPECT_TRUE(BrowserCommand("b %u", std::string(515, 'x')).argv.empty());

  EXPECT_EQ(RegisteredBrowserFor("t", dirs).result, kNoAssociation);
  dir.Write("config/mimeapps.list", "[Default Applications]\ntext/html=gone.desktop\n");
  EXPECT_EQ(RegisteredBrowserFor("t", dirs).result, kNoAssociation);
  Desktop("data", "noexec.desktop", "");
  dir.Write("config/mimeapps.list", "[Default Applications]\ntext/html=noexec.desktop\n");
  EXPECT_EQ(RegisteredBrowserFor("t", dirs).result, kAssociationIncomplete);
}

// A desktop whose opener declines everything and whose registered browser is
// a script that writes the arguments it was started with to a file.
class StandInBrowser : public RegisteredBrowser {
 protected:
  void SetUp() override {
    RegisteredBrowser::SetUp();
    const std::string script = dir.file("browser.sh");
    dir.Write("browser.sh", "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" +
                                dir.file("argv.part") + "'\nmv '" + dir.file("argv.part") + "' '" +
                                dir.file("argv") + "'\n");
    ::chmod(script.c_str(), 0755);
    Desktop("data", "stand-in.desktop", script + " %u");
    dir.Write("config/mimeapps.list", "[Default Applications]\ntext/html=stand-in.desktop\n");
  }

  // Opens `text` as a link; what the desktop's opener was offered is kept.
  int Open(const LinkTarget& target) {
    offered.clear();
    std::filesystem::remove(dir.file("argv"));
    return OpenLink(target, Decline(), dirs);
  }
  int OpenWeb(const std::string& text) { return Open(WebLinkTarget(text)); }
  DesktopOpen Decline() {
    return [this](const std::string& url) {
      offered.push_back(url);
      return false;
    };
  }

  // The arguments the browser got, once it has written them.
  std::vector<std::string> BrowserArgs() {
    for (int i = 0; i < 1000 && !std::filesystem::exists(dir.file("argv")); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::ifstream in(dir.file("argv"));
    std::vector<std::string> args;
    for (std::string line; std::getline(in, line);) args.push_back(line);
    return args;
  }

  std::vector<std::string> offered;
};

TEST_F(StandInBrowser, TheBrowserGetsOnlyTheNormalisedUrlAfterTheEndOfItsOptions) {
  EXPECT_EQ(OpenWeb(" HTTPS://Example.ORG:8080/a b/ü?q=\"1\"&r=%41#x#y "), kOpened);
  EXPECT_EQ(BrowserArgs(),
            (std::vector<std::string>{
                "--", "https://example.org:8080/a%20b/%C3%BC?q=%221%22&r=%41#x%23y"}));
  EXPECT_EQ(
      offered,
      (std::vector<std::string>{"https://example.org:8080/a%20b/%C3%BC?q=%221%22&r=%41#x%23y"}));

  // The contact link: an address that starts with "-" is still only a mail URL.
  EXPECT_EQ(OpenWeb("mailto:-x@example.org?subject=a b"), kOpened);
  EXPECT_EQ(BrowserArgs(), (std::vector<std::string>{"--", "mailto:-x@example.org?subject=a%20b"}));

  // A file the program names: an absolute file URL, escaped.
  EXPECT_EQ(Open(ProgramFileTarget("/var/tmp/my log%.txt")), kOpened);
  EXPECT_EQ(BrowserArgs(), (std::vector<std::string>{"--", "file:///var/tmp/my%20log%25.txt"}));
}

TEST_F(StandInBrowser, OptionsPathsAndOtherSchemesAreRefusedBeforeAnythingStarts) {
  // A relative path that exists where the program runs is still no link.
  const std::filesystem::path cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  dir.Write("evil.html", "<html></html>");
  for (const std::string text :
       {"--gpu-launcher=/path/evil", "-x", "evil.html", "./evil.html", "/etc/passwd",
        "www.example.org", "file:///etc/passwd", "javascript:alert(1)", "ftp://example.org/",
        "http:example.org", "http://", "http://user@example.org/", "http://-a b/",
        "mailto:", "mailto:?subject=x", ""}) {
    EXPECT_EQ(OpenWeb(text), kRefusedTarget) << text;
    EXPECT_TRUE(offered.empty()) << text;
  }
  std::filesystem::current_path(cwd);
  EXPECT_EQ(LinkFailureText(kRefusedTarget),
            "Unable to open hyperlink:\n\nThere is no application associated\nwith the given "
            "filename extension.");
  EXPECT_EQ(Open(ProgramFileTarget("log.txt")), kRefusedTarget);
  EXPECT_TRUE(offered.empty());
  // The browser sees only the one link that was let through.
  EXPECT_EQ(OpenWeb("http://example.org/"), kOpened);
  EXPECT_EQ(BrowserArgs(), (std::vector<std::string>{"--", "http://example.org/"}));
}

TEST_F(StandInBrowser, ADesktopOpenerThatTakesTheUrlStartsNoBrowserAndOneThatCannotRunFails) {
  std::vector<std::string> taken;
  EXPECT_EQ(OpenLink(
                WebLinkTarget("http://example.org"),
                [&](const std::string& url) {
                  taken.push_back(url);
                  return true;
                },
                dirs),
            kOpened);
  EXPECT_EQ(taken, (std::vector<std::string>{"http://example.org"}));
  Desktop("data", "stand-in.desktop", dir.file("no-such-browser") + " %u");
  EXPECT_EQ(OpenWeb("http://example.org"), kFileNotFound);
  // A browser that is there but cannot run: its interpreter is missing.
  dir.Write("broken.sh", "#!/no/such/interpreter\n");
  ::chmod(dir.file("broken.sh").c_str(), 0755);
  Desktop("data", "stand-in.desktop", dir.file("broken.sh") + " %u");
  EXPECT_EQ(OpenWeb("http://example.org"), kFileNotFound);
  EXPECT_FALSE(std::filesystem::exists(dir.file("argv")));
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
