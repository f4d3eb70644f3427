// tarnwick-cli firmware: a technician packs an image into a .tfw file, checks
// it, upgrades the box with it and reads the box's version back; a damaged
// file changes nothing in the box, and neither does an upgrade without the
// boot loader's table. Ctrl+C never cuts an upgrade by accident.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "cli/cli_fixture.h"
#include "core/app/text_ids.h"
#include "core/operations/firmware/firmware_texts.h"

extern char** environ;

namespace tarnwick::test {
namespace {

class CliFirmware : public CliFlow {
 protected:
  void SetUp() override {
    CliFlow::SetUp();
    dir.Write("box.box",
              "[box]\nserial = 0x012345\n[chip]\nmodel = W25Q32FV\ncontent = chip.bin\n"
              "fill = blank\n");
    // No "boot-table.bin" of the user's: the virtual box's own table, from
    // the program's data folder, is the one a simulated upgrade uses.
  }
  // The user's own table in the base directory: the virtual box's shipped one.
  void GiveBootTable() {
    std::filesystem::copy_file(std::filesystem::path(TARNWICK_PORTABLE_DIR) / "sim-boot-table.bin",
                               dir.path() / firmware::kBootTableFile);
  }
  CliRun Firmware(std::vector<std::string> words, bool box = true) {
    words.insert(words.begin(), "firmware");
    return Cli(words, box ? "--simulate=" + dir.file("box.box") : "");
  }
  // What the virtual box keeps of the last image it accepted.
  std::string Kept() const {
    return std::filesystem::exists(dir.file("box.box.fw")) ? dir.Read("box.box.fw") : "";
  }
  // A packed image whose last byte, the version byte, is `version`.
  std::string Packed(const std::string& name, std::uint8_t version) {
    RandomFile("image.bin", 5000);
    std::string image = dir.Read("image.bin");
    image.back() = static_cast<char>(version);
    dir.Write("image.bin", image);
    const CliRun pack = Firmware({"pack", dir.file("image.bin"), dir.file(name)}, false);
    EXPECT_EQ(pack.status, 0) << pack.err;
    return dir.file(name);
  }
};

TEST_F(CliFirmware, APackedImageUpgradesTheBoxAndTheVersionShowsItsLastByte) {
  const std::string tfw = Packed("new.tfw", 0x24);
  const std::string packed = dir.Read("new.tfw");
  const std::string image = dir.Read("image.bin");
  ASSERT_EQ(packed.size(), image.size() + 3);
  EXPECT_EQ(packed.substr(0, image.size()), image);
  EXPECT_EQ(Firmware({"check", tfw}, false).status, 0);

  const CliRun before = Firmware({"version"});
  EXPECT_EQ(before.status, 0) << before.err;
  EXPECT_NE(before.out.find("V3.3"), std::string::npos) << before.out;

  const CliRun upgrade = Firmware({"upgrade", tfw});
  EXPECT_EQ(upgrade.status, 0) << upgrade.err;
  EXPECT_NE(upgrade.err.find(texts.itext(itext::kFwUpgradeDone)), std::string::npos);
  EXPECT_EQ(Kept(), packed);

  const CliRun after = Firmware({"version"});
  EXPECT_EQ(after.status, 0) << after.err;
  EXPECT_EQ(after.out, texts.itext(itext::kFwSerialWord) + ": 074565\n" +
                           texts.itext(itext::kFwFirmwareWord) + ": V3.4\n");
}

TEST_F(CliFirmware, AFileWithOneByteChangedIsRefusedAndTheBoxKeepsItsFirmware) {
  const std::string good = Packed("good.tfw", 0x24);
  ASSERT_EQ(Firmware({"upgrade", good}).status, 0);
  const std::string kept = Kept();

  std::string bad = dir.Read("good.tfw");
  bad[100] = static_cast<char>(bad[100] ^ 0x10);
  dir.Write("bad.tfw", bad);
  const CliRun check = Firmware({"check", dir.file("bad.tfw")}, false);
  EXPECT_EQ(check.status, 1);
  EXPECT_NE(check.out.find(texts.itext(itext::kFwFileDamaged)), std::string::npos);

  const CliRun upgrade = Firmware({"upgrade", dir.file("bad.tfw")});
  EXPECT_NE(upgrade.status, 0);
  EXPECT_NE(upgrade.err.find(texts.itext(itext::kFwFileDamaged)), std::string::npos);
  EXPECT_EQ(Kept(), kept);
  const CliRun version = Firmware({"version"});
  EXPECT_NE(version.out.find("V3.4"), std::string::npos) << version.out;
}

TEST_F(CliFirmware, WrongWordsAreRefusedAndFileWorkNeverWaitsForTheBox) {
  for (const auto& words : std::vector<std::vector<std::string>>{
           {"flash", "x.tfw"}, {"upgrade"}, {"pack", "a.bin"}, {"version", "x"}, {"check", "-v"}}) {
    const CliRun r = Firmware(words);
    EXPECT_EQ(r.status, 2) << words[0];
    EXPECT_NE(r.err.find("firmware"), std::string::npos) << r.err;
  }
  // Without any box on the bus, pack and check still work and say nothing of it.
  const std::string tfw = Packed("x.tfw", 0x11);
  const CliRun check = Firmware({"check", tfw}, false);
  EXPECT_EQ(check.status, 0);
  EXPECT_EQ(check.err.find(texts.itext(itext::kBoxNotFound)), std::string::npos) << check.err;
  EXPECT_EQ(Firmware({"pack", dir.file("missing.bin"), dir.file("y.tfw")}, false).status, 1);
  EXPECT_FALSE(std::filesystem::exists(dir.file("y.tfw")));
}

TEST_F(CliFirmware, CheckAndUpgradeAcceptAndRefuseExactlyTheSameFiles) {
  const std::string good = Packed("good.tfw", 0x24);
  // 70000 bytes of 0xFF sum to 0x01105E90: the low 24 bits as check bytes.
  std::string wide(70000, '\xFF');
  wide += "\x10\x5E\x90";
  dir.Write("wide.tfw", wide);
  // One block more than the boot loader numbers, with a correct sum.
  std::string large(256 * 1024 + 1, '\0');
  large[0] = 1;
  large += std::string("\x00\x00\x01", 3);
  dir.Write("large.tfw", large);
  ASSERT_EQ(::mkfifo(dir.file("fifo.tfw").c_str(), 0600), 0);
  const std::string damaged = texts.itext(itext::kFwFileDamaged);
  for (const std::string& path : {dir.file("wide.tfw"), dir.file("large.tfw"), dir.base(),
                                  std::string("/dev/zero"), dir.file("fifo.tfw")}) {
    const CliRun check = Firmware({"check", path}, false);
    EXPECT_EQ(check.status, 1) << path;
    // A damaged file is the check's answer; no file to check is an error.
    EXPECT_NE((check.out + check.err).find(damaged), std::string::npos) << check.out;
    const CliRun upgrade = Firmware({"upgrade", path});
    EXPECT_EQ(upgrade.status, 1) << path << "\n" << upgrade.err;
    EXPECT_NE(upgrade.err.find(damaged), std::string::npos) << upgrade.err;
    EXPECT_EQ(Kept(), "") << path;
  }
  EXPECT_EQ(Firmware({"check", good}, false).status, 0);
  EXPECT_EQ(Firmware({"upgrade", good}).status, 0);
  // An image whose sum 3 check bytes cannot hold is not packed either.
  dir.Write("wide.bin", std::string(70000, '\xFF'));
  const CliRun pack = Firmware({"pack", dir.file("wide.bin"), dir.file("wide2.tfw")}, false);
  EXPECT_EQ(pack.status, 1);
  EXPECT_NE(pack.err.find("0xFFFFFF"), std::string::npos) << pack.err;
  EXPECT_FALSE(std::filesystem::exists(dir.file("wide2.tfw")));
  EXPECT_EQ(Firmware({"pack", "/dev/zero", dir.file("zero.tfw")}, false).status, 1);
}

TEST_F(CliFirmware, ADamagedBootTableRefusesTheUpgradeBeforeTheBoxButCheckAndPackWork) {
  // The user's table wins over the virtual box's own, and one byte short it
  // is no table at all.
  GiveBootTable();
  std::string table = dir.Read(firmware::kBootTableFile);
  dir.Write(firmware::kBootTableFile, table.substr(1));
  const std::string tfw = Packed("new.tfw", 0x24);
  EXPECT_EQ(Firmware({"check", tfw}, false).status, 0);
  const CliRun upgrade = Firmware({"upgrade", tfw});
  EXPECT_EQ(upgrade.status, 1);
  EXPECT_NE(upgrade.err.find(dir.file(firmware::kBootTableFile)), std::string::npos) << upgrade.err;
  EXPECT_EQ(upgrade.err.find(texts.itext(itext::kFwErasing)), std::string::npos) << upgrade.err;
  EXPECT_EQ(Kept(), "");
  const CliRun version = Firmware({"version"});
  EXPECT_EQ(version.status, 0) << version.err;
  EXPECT_NE(version.out.find("V3.3"), std::string::npos) << version.out;
}

TEST_F(CliFirmware, ABoxWhoseBootLoaderHasAnotherTableRefusesTheImageAndTheUpgradeFails) {
  GiveBootTable();
  std::string table = dir.Read(firmware::kBootTableFile);
  for (char& c : table) c = static_cast<char>(c ^ 0x5A);
  dir.Write("other-table.bin", table);
  dir.Write("box.box",
            "[box]\nboot_table = other-table.bin\n[chip]\nmodel = W25Q32FV\ncontent = chip.bin\n"
            "fill = blank\n");
  const CliRun upgrade = Firmware({"upgrade", Packed("new.tfw", 0x24)});
  EXPECT_EQ(upgrade.status, 1);
  EXPECT_NE(upgrade.err.find(texts.itext(itext::kFwNotConfirmed)), std::string::npos)
      << upgrade.err;
  EXPECT_EQ(upgrade.err.find(texts.itext(itext::kFwUpgradeDone)), std::string::npos);
  EXPECT_EQ(Kept(), "");
}

TEST_F(CliFirmware, ARefusingBoxThatWasUpgradedIsNoLongerRefusingInTheNextRun) {
  dir.Write("box.box", "[box]\nboot_loader = yes\nfirmware = 0xFF\n");
  EXPECT_NE(Firmware({"version"}).status, 0);
  const std::string tfw = Packed("new.tfw", 0x31);
  const CliRun upgrade = Firmware({"upgrade", tfw});
  ASSERT_EQ(upgrade.status, 0) << upgrade.err;
  const CliRun version = Firmware({"version"});
  EXPECT_EQ(version.status, 0) << version.err;
  EXPECT_NE(version.out.find("V4.1"), std::string::npos) << version.out;
}

// An upgrade run as its own process on a box at realistic speed, so that
// there is time to press Ctrl+C while it erases.
class CliFirmwareInterrupt : public CliFirmware {
 protected:
  void SetUp() override {
    CliFirmware::SetUp();
    dir.Write("box.box",
              "[box]\nserial = 0x012345\n[chip]\nmodel = W25Q32FV\ncontent = chip.bin\n"
              "fill = blank\n[speed]\nmodel = realistic\n");
    // 200 blocks to erase, with small bytes so that the sum fits in 3 bytes.
    std::string image(200 * 1024 - 3, '\0');
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<char>((i * 7) & 0x3F);
    dir.Write("image.bin", image);
    ASSERT_EQ(Firmware({"pack", dir.file("image.bin"), dir.file("big.tfw")}, false).status, 0);
  }
  void TearDown() override {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  void Start() {
    const std::string cli = std::string(TARNWICK_PORTABLE_DIR) + "/tarnwick-cli";
    const std::string simulate = "--simulate=" + dir.file("box.box");
    const std::string base = dir.base();
    const std::string file = dir.file("big.tfw");
    std::vector<std::string> words = {cli,        simulate,  "--base-dir", base,
                                      "firmware", "upgrade", file};
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, dir.file("out.txt").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, dir.file("err.txt").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_EQ(::posix_spawn(&pid_, cli.c_str(), &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
  }
  // Waits until the program has written `text` to standard error (false when
  // it ended first).
  bool WaitForErr(const std::string& text) {
    for (;;) {
      if (std::filesystem::exists(dir.file("err.txt")) &&
          dir.Read("err.txt").find(text) != std::string::npos) {
        return true;
      }
      if (::waitpid(pid_, &status_, WNOHANG) == pid_) {
        pid_ = -1;
        return dir.Read("err.txt").find(text) != std::string::npos;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  int Wait() {
    if (pid_ > 0) {
      ::waitpid(pid_, &status_, 0);
      pid_ = -1;
    }
    return status_;
  }
  std::string Err() const { return dir.Read("err.txt"); }

  pid_t pid_ = -1;
  int status_ = 0;
};

TEST_F(CliFirmwareInterrupt, TheFirstCtrlCWarnsAndTheUpgradeGoesOnToTheEnd) {
  Start();
  ASSERT_TRUE(WaitForErr(texts.itext(itext::kFwErasing)));
  ASSERT_EQ(::kill(pid_, SIGINT), 0);
  const int status = Wait();
  ASSERT_TRUE(WIFEXITED(status)) << Err();
  EXPECT_EQ(WEXITSTATUS(status), 0) << Err();
  EXPECT_NE(Err().find("Press Ctrl+C again within 3 s"), std::string::npos) << Err();
  EXPECT_NE(Err().find(texts.itext(itext::kFwUpgradeDone)), std::string::npos) << Err();
  EXPECT_EQ(Kept(), dir.Read("big.tfw"));
}

TEST_F(CliFirmwareInterrupt,
       ASecondCtrlCRightAfterTheFirstEndsItAndSaysTheBoxIsLeftInItsBootLoader) {
  Start();
  ASSERT_TRUE(WaitForErr(texts.itext(itext::kFwErasing)));
  ASSERT_EQ(::kill(pid_, SIGINT), 0);
  ASSERT_TRUE(WaitForErr("Press Ctrl+C again"));
  ASSERT_EQ(::kill(pid_, SIGINT), 0);
  const int status = Wait();
  ASSERT_TRUE(WIFSIGNALED(status)) << Err();
  EXPECT_EQ(WTERMSIG(status), SIGINT);
  EXPECT_NE(Err().find("left in its boot loader"), std::string::npos) << Err();
  EXPECT_EQ(Err().find(texts.itext(itext::kFwUpgradeDone)), std::string::npos) << Err();
  EXPECT_EQ(Kept(), "");
}

}  // namespace
}  // namespace tarnwick::test

namespace tarnwick::test {
namespace {

// A disk that fills up while OUT.tfw is written (a file size limit stands in
// for it): the earlier OUT.tfw stays whole, nothing half-written replaces it.
TEST_F(CliFirmware, PackOnAFullDiskLeavesTheEarlierOutputAsItWas) {
  RandomFile("big.bin", 100 * 1024, 3);
  dir.Write("out.tfw", "the earlier firmware");
  const std::string command = "trap '' XFSZ; ulimit -f 64; exec " +
                              Quote(std::string(TARNWICK_PORTABLE_DIR) + "/tarnwick-cli") +
                              " --base-dir " + Quote(dir.base()) + " firmware pack " +
                              Quote(dir.file("big.bin")) + " " + Quote(dir.file("out.tfw")) +
                              " 2>" + Quote(dir.file("pack.err"));
  const int raw = std::system(("sh -c " + Quote(command)).c_str());
  ASSERT_TRUE(WIFEXITED(raw)) << raw;
  EXPECT_EQ(WEXITSTATUS(raw), 1) << dir.Read("pack.err");
  EXPECT_EQ(dir.Read("out.tfw"), "the earlier firmware");
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
    const std::string name = e.path().filename().string();
    EXPECT_TRUE(name.rfind("out.tfw", 0) != 0 || name == "out.tfw") << name << " left behind";
  }
}

}  // namespace
}  // namespace tarnwick::test
