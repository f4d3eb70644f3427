// The version query and the firmware upgrade against the virtual box's boot
// loader: what reaches the box, what the dialog and the window show, and
// that a box lost in the middle stays in its boot loader and can be upgraded
// again.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <utility>

#include "core/app/text_ids.h"
#include "core/operations/firmware/firmware_image.h"
#include "core/operations/firmware/firmware_texts.h"
#include "core/operations/firmware/firmware_updater.h"
#include "core/operations/operation_rig.h"
#include "protocol/protocol.h"

namespace tarnwick::test {
namespace {

using namespace protocol;

class RecordingFirmwareView : public FirmwareView {
 public:
  void SetProgress(int position, const std::string& text) override {
    std::lock_guard l(m_);
    progress_.emplace_back(position, text);
  }
  void ShowRunning(bool running) override {
    std::lock_guard l(m_);
    running_.push_back(running);
  }
  void ShowBox(const std::string& text, BoxIcon icon) override {
    std::lock_guard l(m_);
    boxes_.push_back({text, "", icon, BoxButtons::Ok});
  }
  void Beep() override {
    std::lock_guard l(m_);
    ++beeps_;
  }
  std::string ChosenFile() override {
    std::lock_guard l(m_);
    return file_;
  }

  void Choose(const std::string& file) {
    std::lock_guard l(m_);
    file_ = file;
  }
  std::vector<std::pair<int, std::string>> Progress() const {
    std::lock_guard l(m_);
    return progress_;
  }
  std::vector<RecordedBox> Boxes() const {
    std::lock_guard l(m_);
    return boxes_;
  }
  std::vector<bool> Running() const {
    std::lock_guard l(m_);
    return running_;
  }
  int Beeps() const {
    std::lock_guard l(m_);
    return beeps_;
  }
  void Clear() {
    std::lock_guard l(m_);
    progress_.clear();
    boxes_.clear();
    running_.clear();
    beeps_ = 0;
  }

 private:
  mutable std::mutex m_;
  std::vector<std::pair<int, std::string>> progress_;
  std::vector<bool> running_;
  std::vector<RecordedBox> boxes_;
  int beeps_ = 0;
  std::string file_;
};

// An image of `fileSize - 3` bytes ending in `last`, packed.
Bytes FirmwareFile(std::size_t fileSize, std::uint8_t last = 0x24) {
  Bytes image = Pattern(fileSize - 3, 5);
  image.back() = last;
  return *firmware::Pack(image);
}

// A boot table; another seed gives another table.
std::string Table(unsigned seed) {
  std::string table(256, '\0');
  for (std::size_t i = 0; i < table.size(); ++i) {
    table[i] = static_cast<char>((i * (2 * seed + 1) + seed * 71) & 0xFF);
  }
  return table;
}

class FirmwareUpgrade : public ChipRigTest {
 protected:
  void TearDown() override {
    if (updater) updater->SetView(nullptr);
    ChipRigTest::TearDown();
  }

  // The program's table in the base directory, and the box's own table (the
  // same bytes unless `boxSeed` differs) in a file of its own.
  void BootBox(sim::BoxDescription description, bool startWorker = false, unsigned boxSeed = 1) {
    dir.Write(firmware::kBootTableFile, Table(1));
    dir.Write("box-table.bin", Table(boxSeed));
    description.bootTablePath = dir.file("box-table.bin");
    Boot(description, startWorker);
    ASSERT_TRUE(rig);
    updater = std::make_unique<FirmwareUpdater>(rig->ctx, rig->launcher);
    updater->AddJobs(rig->jobs);
    updater->AddCommands(rig->commands);
    updater->SetView(&view);
  }
  std::string Tfw(const Bytes& bytes, const std::string& name = "new.tfw") {
    dir.Write(name, bytes);
    view.Choose(dir.file(name));
    return dir.file(name);
  }
  // Runs the upgrade; whether the box accepted the image.
  bool Upgrade() {
    framesBefore = box->ReceivedFrames().size();
    tap->ClearRecords();
    view.Clear();
    Run(Job::FirmwareUpgrade);
    return updater->LastUpgradeAccepted();
  }
  // The boot frames of the last upgrade, in order.
  std::vector<std::uint8_t> BootCodes() const {
    std::vector<std::uint8_t> out;
    const auto frames = box->ReceivedFrames();
    for (std::size_t i = framesBefore; i < frames.size(); ++i) {
      if (frames[i].family == Frame::Boot) out.push_back(frames[i].code);
    }
    return out;
  }
  bool Progressed(const std::string& text) const {
    for (const auto& [position, t] : view.Progress()) {
      if (t == text) return true;
    }
    return false;
  }
  std::pair<int, std::string> LastProgress() const {
    const auto p = view.Progress();
    return p.empty() ? std::pair<int, std::string>{-1, ""} : p.back();
  }
  std::string KeptImage() const {
    const std::string path = dir.file("virtual-box.fw");
    return std::filesystem::exists(path) ? dir.Read("virtual-box.fw") : std::string();
  }
  // After a box lost mid-upgrade: plugged in again, it is still in its boot
  // loader, the detection sees the refusal and a new upgrade completes
  // without sending CMD_ENTER_BOOT.
  void ExpectRecoveryAfterLoss(const Bytes& file) {
    tap->SetAfterRead({});
    tap->SetAfterWrite({});
    box->Plug();
    WaitIdle();
    EXPECT_TRUE(box->InBootLoader());
    EXPECT_TRUE(rig->detection.refusal.load());
    EXPECT_TRUE(Upgrade());
    EXPECT_EQ(CountOf(tap->Commands(), CMD_ENTER_BOOT), 0);
    EXPECT_FALSE(box->InBootLoader());
    EXPECT_EQ(KeptImage(), std::string(file.begin(), file.end()));
  }

  // Nothing but the worker's lamp and idle around every job reached the box
  // in the last upgrade.
  void ExpectBoxUntouched() {
    for (std::uint8_t code : tap->Commands()) {
      EXPECT_TRUE(code == CMD_STATUS_LAMP || code == CMD_IDLE) << int(code);
    }
    EXPECT_TRUE(tap->WriteSizes().empty());
    EXPECT_TRUE(BootCodes().empty());
    EXPECT_FALSE(box->InBootLoader());
    EXPECT_EQ(KeptImage(), "");
  }
  bool LoggedLine(const std::string& text) const {
    for (const std::string& line : surface.PaneLines()) {
      if (line.find(text) != std::string::npos) return true;
    }
    return false;
  }

  RecordingFirmwareView view;
  std::unique_ptr<FirmwareUpdater> updater;
  std::size_t framesBefore = 0;
};

TEST_F(FirmwareUpgrade, AGoodFileGoesThroughTheBootLoaderAndTheBoxComesBackWithItsVersion) {
  BootBox(DefaultBox(), true);
  const Bytes file = FirmwareFile(2049);
  Tfw(file);
  ASSERT_TRUE(Upgrade());
  EXPECT_EQ(CountOf(tap->Commands(), CMD_ENTER_BOOT), 1);
  // Three blocks for 2049 bytes; the last read-back holds a single file
  // byte, and the rest of that block is erased flash that must not count.
  const std::vector<std::uint8_t> codes = BootCodes();
  EXPECT_EQ(CountOf(codes, BOOT_ERASE_BLOCK), 3);
  EXPECT_EQ(CountOf(codes, BOOT_READ_BLOCK), 3);
  ASSERT_GE(codes.size(), 4u);
  EXPECT_EQ(codes[0], BOOT_HELLO);
  EXPECT_EQ(std::vector<std::uint8_t>(codes.end() - 3, codes.end()),
            (std::vector<std::uint8_t>{BOOT_IDLE, BOOT_FINISH, BOOT_RESTART}));
  // 2049 bytes: 32 full pieces, then the one remaining byte ends the image.
  std::vector<int> pieces(32, 64);
  pieces.push_back(1);
  EXPECT_EQ(tap->WriteSizes(), pieces);

  EXPECT_TRUE(Progressed(I(itext::kFwBootReady)));
  for (const char* p : {"33%", "66%", "100%"}) EXPECT_TRUE(Progressed(I(itext::kFwErasing) + p));
  EXPECT_TRUE(Progressed(I(itext::kFwWriting) + "100%"));
  EXPECT_TRUE(Progressed(I(itext::kFwReadingBack) + "99%"));
  EXPECT_TRUE(Progressed(I(itext::kFwReadingBack) + "100%"));
  EXPECT_EQ(LastProgress(), (std::pair<int, std::string>{100, I(itext::kFwUpgradeDone)}));
  EXPECT_EQ(view.Beeps(), 1);
  EXPECT_TRUE(view.Boxes().empty());
  EXPECT_EQ(view.Running(), (std::vector<bool>{true, false}));
  EXPECT_FALSE(updater->UpgradeRunning());

  EXPECT_FALSE(box->InBootLoader());
  EXPECT_EQ(box->FirmwareVersion(), 0x24);
  EXPECT_EQ(KeptImage(), std::string(file.begin(), file.end()));
  // The box no longer refuses: the version query answers with the new version.
  EXPECT_TRUE(Run(Job::FirmwareVersion));
  ASSERT_FALSE(surface.Boxes().empty());
  const RecordedBox info = surface.Boxes().back();
  EXPECT_EQ(info.text, "\r\n" + I(itext::kFwSerialWord) + ":074565\r\n" +
                           I(itext::kFwFirmwareWord) + ":Tarnwick firmware V3.4     ");
  EXPECT_EQ(info.caption, I(itext::kFwInformationCaption));
  EXPECT_EQ(updater->LastInfo().version, std::optional<std::uint8_t>(0x24));
}

TEST_F(FirmwareUpgrade, AFileThatIsAMultipleOfSixtyFourEndsWithAnEmptyPiece) {
  BootBox(DefaultBox(), true);
  Tfw(FirmwareFile(2048));
  ASSERT_TRUE(Upgrade());
  std::vector<int> pieces(32, 64);
  pieces.push_back(0);
  EXPECT_EQ(tap->WriteSizes(), pieces);
  EXPECT_EQ(CountOf(BootCodes(), BOOT_READ_BLOCK), 2);
}

TEST_F(FirmwareUpgrade, AChangedByteFailsTheSumAndTheBoxIsNotTouched) {
  BootBox(DefaultBox(), true);
  Bytes file = FirmwareFile(300);
  file[17] ^= 0x40;
  Tfw(file);
  EXPECT_FALSE(Upgrade());
  EXPECT_TRUE(LastIs(itext::kFwFileDamaged));
  EXPECT_TRUE(surface.LastStatusIsError());
  EXPECT_EQ(LastProgress(), (std::pair<int, std::string>{0, I(itext::kFwFileDamaged)}));
  EXPECT_EQ(CountOf(tap->Commands(), CMD_ENTER_BOOT), 0);
  EXPECT_TRUE(BootCodes().empty());
  EXPECT_FALSE(box->InBootLoader());
  EXPECT_EQ(box->FirmwareVersion(), 0x23);
  EXPECT_EQ(KeptImage(), "");

  // No file chosen, or one that is not there, fails the same way.
  view.Choose(dir.file("missing.tfw"));
  EXPECT_FALSE(Upgrade());
  EXPECT_TRUE(LastIs(itext::kFwFileDamaged));
  EXPECT_TRUE(BootCodes().empty());
}

TEST_F(FirmwareUpgrade, ABoxAlreadyInItsBootLoaderStartsAtTheHandshake) {
  sim::BoxDescription d = DefaultBox();
  d.bootLoader = true;
  d.firmwareVersion = 0xFF;
  BootBox(d, true);
  ASSERT_TRUE(rig->detection.refusal.load());
  // Refused before the box is asked anything.
  tap->ClearRecords();
  EXPECT_FALSE(Run(Job::FirmwareVersion));
  EXPECT_TRUE(LastIs(itext::kBoxRefused));
  EXPECT_EQ(CountOf(tap->Commands(), CMD_FW_VERSION), 0);
  EXPECT_EQ(CountOf(tap->Commands(), CMD_SERIAL), 0);

  const Bytes file = FirmwareFile(1500, 0x9A);
  Tfw(file);
  ASSERT_TRUE(Upgrade());
  EXPECT_EQ(CountOf(tap->Commands(), CMD_ENTER_BOOT), 0);
  ASSERT_FALSE(BootCodes().empty());
  EXPECT_EQ(BootCodes().front(), BOOT_HELLO);
  EXPECT_FALSE(box->InBootLoader());
  EXPECT_TRUE(Run(Job::FirmwareVersion));
  EXPECT_NE(surface.Boxes().back().text.find("VA.A"), std::string::npos);
}

TEST_F(FirmwareUpgrade, TheVersionMenuAsksTheBoxAndTheUpgradeMenuOnlyOpensTheDialog) {
  BootBox(DefaultBox(), true);
  int opened = 0;
  updater->SetDialogOpener([&opened] { ++opened; });
  tap->ClearRecords();
  Press(ids::kFirmwareUpgrade);
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(CountOf(tap->Commands(), CMD_ENTER_BOOT), 0);
  Press(ids::kFirmwareVersion);
  EXPECT_EQ(CountOf(tap->Commands(), CMD_FW_VERSION), 1);
  EXPECT_EQ(CountOf(tap->Commands(), CMD_SERIAL), 1);
  ASSERT_FALSE(surface.Boxes().empty());
  EXPECT_NE(surface.Boxes().back().text.find(":074565\r\n"), std::string::npos);
  EXPECT_NE(surface.Boxes().back().text.find("V3.3"), std::string::npos);
  EXPECT_EQ(box->Lamp(), kLampSucceeded);
}

TEST_F(FirmwareUpgrade, ABoxWithoutValidFirmwareGivesNoInformation) {
  sim::BoxDescription d = DefaultBox();
  d.firmwareVersion = 0xFF;
  BootBox(d, true);
  EXPECT_FALSE(Run(Job::FirmwareVersion));
  ASSERT_FALSE(surface.Boxes().empty());
  EXPECT_EQ(surface.Boxes().back().text, I(itext::kFwNoInformation));
  EXPECT_EQ(updater->LastInfo().serial, std::nullopt);
  EXPECT_EQ(box->Lamp(), kLampFailed);
}

TEST_F(FirmwareUpgrade, NoHandshakeAfterTwentyHellosEndsWithItsWarning) {
  sim::BoxDescription d = DefaultBox();
  d.bootLoader = true;
  BootBox(d, true);
  Tfw(FirmwareFile(100));
  tap->SetReadOverride([](int asked) -> std::optional<int> {
    if (asked == 2) return sim::kErrTimeout;
    return std::nullopt;
  });
  EXPECT_FALSE(Upgrade());
  const std::vector<std::uint8_t> codes = BootCodes();
  EXPECT_EQ(CountOf(codes, BOOT_HELLO), 20);
  EXPECT_EQ(codes.back(), BOOT_IDLE);
  EXPECT_EQ(CountOf(codes, BOOT_START), 0);
  ASSERT_EQ(view.Boxes().size(), 1u);
  EXPECT_EQ(view.Boxes()[0].text, I(itext::kFwNoHandshake));
  EXPECT_EQ(LastProgress(), (std::pair<int, std::string>{0, I(itext::kFwNoHandshake)}));
}

TEST_F(FirmwareUpgrade, ABoxLostWhileErasingStaysInItsBootLoaderAndIsUpgradedAgain) {
  BootBox(DefaultBox(), true);
  const Bytes file = FirmwareFile(3000);
  Tfw(file);
  // Single-byte reads: the start's answer, then one per erased block.
  std::atomic<int> singles{0};
  tap->SetAfterRead([&](int asked, int) {
    if (asked == 1 && ++singles == 2) box->Unplug();
  });
  EXPECT_FALSE(Upgrade());
  ASSERT_FALSE(view.Boxes().empty());
  EXPECT_EQ(view.Boxes().back().text, I(itext::kFwEraseFailed));
  EXPECT_EQ(view.Boxes().back().icon, BoxIcon::Error);
  EXPECT_EQ(LastProgress(), (std::pair<int, std::string>{0, I(itext::kFwEraseFailed)}));
  ExpectRecoveryAfterLoss(file);
}

TEST_F(FirmwareUpgrade, ABoxLostWhileWritingStaysInItsBootLoaderAndIsUpgradedAgain) {
  BootBox(DefaultBox(), true);
  const Bytes file = FirmwareFile(3000);
  Tfw(file);
  tap->SetAfterWrite([&](int, std::uint64_t taken) {
    if (taken == 640) box->Unplug();
  });
  EXPECT_FALSE(Upgrade());
  ASSERT_FALSE(view.Boxes().empty());
  EXPECT_EQ(view.Boxes().back().text, I(itext::kFwWriteFailed));
  EXPECT_EQ(LastProgress(), (std::pair<int, std::string>{0, I(itext::kFwWriteFailed)}));
  EXPECT_EQ(CountOf(BootCodes(), BOOT_FINISH), 0);
  ExpectRecoveryAfterLoss(file);
}

TEST_F(FirmwareUpgrade, ABoxLostWhileReadingBackStaysInItsBootLoaderAndIsUpgradedAgain) {
  BootBox(DefaultBox(), true);
  const Bytes file = FirmwareFile(3000);
  Tfw(file);
  tap->SetAfterRead([&](int asked, int) {
    if (asked == static_cast<int>(kBootBlockSize)) box->Unplug();
  });
  EXPECT_FALSE(Upgrade());
  ASSERT_FALSE(view.Boxes().empty());
  EXPECT_EQ(view.Boxes().back().text, I(itext::kFwReadBackFailed));
  EXPECT_EQ(CountOf(BootCodes(), BOOT_FINISH), 0);
  ExpectRecoveryAfterLoss(file);
}

TEST_F(FirmwareUpgrade, ClosingTheWindowEndsTheUpgradeAtTheNextPieceAndASecondStartStartsNothing) {
  BootBox(DefaultBox(), true);
  Tfw(FirmwareFile(3000));
  std::atomic<bool> runningSeen{false};
  tap->SetAfterWrite([&](int, std::uint64_t taken) {
    if (taken != 64) return;
    runningSeen = updater->UpgradeRunning();
    updater->Request();  // the dialog's button pressed again
    rig->detection.stopRequested = true;
  });
  EXPECT_FALSE(Upgrade());
  WaitIdle();
  EXPECT_TRUE(runningSeen.load());
  EXPECT_EQ(tap->WriteSizes(), std::vector<int>{64});
  EXPECT_EQ(CountOf(BootCodes(), BOOT_HELLO), 1) << "no second upgrade";
  EXPECT_TRUE(view.Boxes().empty()) << "a closing window asks nothing";
  EXPECT_TRUE(box->InBootLoader());
  EXPECT_FALSE(updater->UpgradeRunning());
}

}  // namespace
}  // namespace tarnwick::test

namespace tarnwick::test {
namespace {

TEST_F(FirmwareUpgrade, AnImageScrambledWithAnotherTableThanTheBoxsIsRefusedAndReportedAsFailed) {
  BootBox(DefaultBox(), true, /*boxSeed=*/2);
  Tfw(FirmwareFile(3000));
  EXPECT_FALSE(Upgrade());
  // The box took and read back the bytes as sent; unscrambled with its own
  // table they carry no correct sum.
  EXPECT_EQ(CountOf(BootCodes(), BOOT_FINISH), 1);
  EXPECT_TRUE(LastIs(itext::kFwNotConfirmed));
  EXPECT_TRUE(surface.LastStatusIsError());
  EXPECT_EQ(LastProgress(), (std::pair<int, std::string>{0, I(itext::kFwNotConfirmed)}));
  EXPECT_FALSE(updater->LastUpgradeAccepted());
  EXPECT_TRUE(box->InBootLoader());
  EXPECT_EQ(KeptImage(), "");
  EXPECT_EQ(box->FirmwareVersion(), 0x23);
}

TEST_F(FirmwareUpgrade, WithoutTheProgramsBootTableNothingIsSentAndTheMessageNamesTheFile) {
  BootBox(DefaultBox(), true);
  Tfw(FirmwareFile(3000));
  const std::string table = dir.file(firmware::kBootTableFile);
  std::filesystem::remove(table);
  EXPECT_FALSE(Upgrade());
  ExpectBoxUntouched();
  EXPECT_TRUE(surface.LastStatusIsError());
  EXPECT_NE(surface.LastStatus().find(table), std::string::npos) << surface.LastStatus();
  EXPECT_EQ(LastProgress().second, surface.LastStatus());

  // A table of the wrong length is no table either.
  dir.Write(firmware::kBootTableFile, Table(1).substr(1));
  EXPECT_FALSE(Upgrade());
  ExpectBoxUntouched();
  EXPECT_NE(surface.LastStatus().find(table), std::string::npos) << surface.LastStatus();

  dir.Write(firmware::kBootTableFile, Table(1));
  EXPECT_TRUE(Upgrade());
}

// A simulated box documents its own table, which stands in for the user's
// file only while there is none; a real box (no such table) never gets one.
TEST_F(FirmwareUpgrade, ASimulatedBoxsOwnTableServesOnlyWhenTheUserHasNone) {
  BootBox(DefaultBox(), true);
  Tfw(FirmwareFile(3000));
  std::filesystem::remove(dir.file(firmware::kBootTableFile));
  updater->SetSimulatedBoxTable(dir.file("box-table.bin"));
  EXPECT_TRUE(Upgrade());
  EXPECT_TRUE(updater->LastUpgradeAccepted());

  // The user's own table wins, even a damaged one: nothing goes to the box.
  dir.Write(firmware::kBootTableFile, Table(1).substr(1));
  tap->ClearRecords();
  EXPECT_FALSE(Upgrade());
  EXPECT_TRUE(BootCodes().empty());
  EXPECT_TRUE(tap->WriteSizes().empty());
}

TEST_F(FirmwareUpgrade, OnlyARegularFileWithinTheLargestSizeIsReadTheRestRefusedUntouched) {
  BootBox(DefaultBox(), true);
  // A sparse 3 GiB file, a directory, an endless device and a FIFO nobody
  // writes to: each refused at once, with its reason in the log.
  { std::ofstream huge(dir.file("huge.tfw"), std::ios::binary); }
  ASSERT_EQ(::truncate(dir.file("huge.tfw").c_str(), off_t{3} << 30), 0);
  ASSERT_EQ(::mkfifo(dir.file("fifo.tfw").c_str(), 0600), 0);
  const std::pair<std::string, firmware::Verdict> cases[] = {
      {dir.file("huge.tfw"), firmware::Verdict::TooLarge},
      {dir.base(), firmware::Verdict::NotRegular},
      {"/dev/zero", firmware::Verdict::NotRegular},
      {dir.file("fifo.tfw"), firmware::Verdict::NotRegular},
  };
  for (const auto& [path, verdict] : cases) {
    view.Choose(path);
    EXPECT_FALSE(Upgrade()) << path;
    ExpectBoxUntouched();
    EXPECT_TRUE(LastIs(itext::kFwFileDamaged)) << path;
    EXPECT_TRUE(LoggedLine(path + ": " + firmware::VerdictText(verdict))) << path;
    EXPECT_FALSE(updater->UpgradeRunning());
  }
}

TEST_F(FirmwareUpgrade, AGoodUpgradeAfterARefusedFileReplacesTheErrorStatusAndIsLogged) {
  BootBox(DefaultBox(), true);
  Bytes bad = FirmwareFile(2000);
  bad[3] ^= 0x01;
  Tfw(bad, "bad.tfw");
  EXPECT_FALSE(Upgrade());
  ASSERT_TRUE(LastIs(itext::kFwFileDamaged));
  ASSERT_TRUE(surface.LastStatusIsError());

  Tfw(FirmwareFile(2000), "good.tfw");
  ASSERT_TRUE(Upgrade());
  EXPECT_TRUE(LastIs(itext::kFwUpgradeDone));
  EXPECT_FALSE(surface.LastStatusIsError());
  EXPECT_TRUE(LoggedLine(I(itext::kFwUpgradeDone)));
}

TEST_F(FirmwareUpgrade, CalledOffBeforeItsFirstFrameTheUpgradeSendsNothingAfterwardsItGoesOn) {
  BootBox(DefaultBox(), true);
  const Bytes file = FirmwareFile(3000);
  Tfw(file);
  EXPECT_TRUE(updater->CallOffBeforeStart());
  EXPECT_FALSE(Upgrade());
  ExpectBoxUntouched();
  EXPECT_EQ(surface.LastStatus(), firmware::kCalledOffText);

  // Once the box has been sent its first frame, calling off is too late and
  // the upgrade completes.
  std::atomic<int> tooLate{-1};
  tap->SetAfterWrite([&](int, std::uint64_t taken) {
    if (taken == 64) tooLate = updater->CallOffBeforeStart() ? 0 : 1;
  });
  EXPECT_TRUE(Upgrade());
  EXPECT_EQ(tooLate.load(), 1);
  EXPECT_EQ(KeptImage(), std::string(file.begin(), file.end()));
}

}  // namespace
}  // namespace tarnwick::test
