// Batch programming: the box takes the chip out after the lamp shows an
// outcome and puts the next one in, each chip in its own content file, with
// no device-change event (the socket has no sensor).
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "box_driver.h"
#include "sim/chip_storage.h"

namespace tarnwick::sim::test {
namespace {

constexpr std::uint32_t kFlashId = 0xEF4017;
constexpr std::uint32_t kEmpty = 0xFFFFFF;

// A guard against a hang only: the steps happen tens of milliseconds apart.
bool PollUntil(const std::function<bool()>& done) {
  for (int i = 0; i < 1000; ++i) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return done();
}

std::string BatchText(const std::string& socket) {
  return "[chip]\nmodel = flash\nid = EF4017\nsize = 4K\ncontent = chip.bin\nfill = blank\n"
         "[socket]\n" +
         socket;
}

std::unique_ptr<VirtualBox> BatchBox(const tarnwick::test::TempDir& dir,
                                     const std::string& socket) {
  std::string error;
  auto d = ParseBoxDescription(BatchText(socket), dir.base(), error);
  EXPECT_TRUE(d) << error;
  if (!d) return nullptr;
  return MakeBox(*d);
}

bool Logged(const VirtualBox& box, const std::string& line) {
  const auto log = box.EventLog();
  return std::find(log.begin(), log.end(), line) != log.end();
}

TEST(SocketTest, ThreeChipsComeAndGoAfterLampOutcomes) {
  tarnwick::test::TempDir dir;
  auto box = BatchBox(dir, "chips = 3\nremove_ms = 20\ninsert_ms = 20\n");
  ASSERT_TRUE(box);
  std::atomic<int> events{0};
  box->SetDeviceChangeHandler([&] { ++events; });
  BoxDriver driver(*box);
  EXPECT_EQ(box->ChipContentPath(3), dir.file("chip-3.bin"));
  EXPECT_EQ(box->ChipContentPath(4), "");

  // A busy lamp is no outcome: the chip stays in.
  driver.Send(CMD_STATUS_LAMP, {kLampBusy});
  std::this_thread::sleep_for(std::chrono::milliseconds(80));
  EXPECT_EQ(box->ChipInSocket(), 1u);
  EXPECT_EQ(driver.ReadId(kSpiMode), kFlashId);

  const std::uint8_t outcomes[] = {kLampSucceeded, kLampFailed, kLampSucceeded};
  for (std::uint32_t k = 1; k <= 3; ++k) {
    SCOPED_TRACE("chip " + std::to_string(k));
    ASSERT_EQ(box->ChipInSocket(), k);
    EXPECT_EQ(box->ContentPath(), box->ChipContentPath(k));
    driver.Send(CMD_STATUS_LAMP, {outcomes[k - 1]});
    // The program polls the identification while the technician works.
    const std::string out =
        "chip " + std::to_string(k) + " taken out (" + box->ChipContentPath(k) + ")";
    ASSERT_TRUE(PollUntil([&] {
      driver.ReadId(kSpiMode);
      return Logged(*box, out);
    }));
    if (k < 3) {
      ASSERT_TRUE(PollUntil([&] { return driver.ReadId(kSpiMode) == kFlashId; }));
      EXPECT_EQ(box->ChipInSocket(), k + 1);
      const std::string path = box->ChipContentPath(k + 1);
      EXPECT_EQ(std::filesystem::file_size(path), 4096u);
      EXPECT_TRUE(Logged(*box, "chip " + std::to_string(k + 1) + " put in (" + path + ")"));
    }
  }

  // After the last chip the socket stays empty.
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  EXPECT_EQ(box->ChipInSocket(), 0u);
  EXPECT_EQ(driver.ReadId(kSpiMode), kEmpty);
  EXPECT_FALSE(std::filesystem::exists(dir.file("chip-4.bin")));

  // The old handle kept working throughout: nothing re-enumerated.
  EXPECT_EQ(events, 0);
  driver.Send(CMD_FW_VERSION);
  EXPECT_EQ(driver.Read(64), std::vector<std::uint8_t>{0x23});
  box->Unplug();
  box->Plug();
  EXPECT_EQ(events, 2);
}

TEST(SocketTest, NewChipsGetTheirOwnFiles) {
  tarnwick::test::TempDir dir;
  // Chip 3's file is already there from an earlier batch and is used as it is.
  dir.Write("chip-3.bin", std::vector<std::uint8_t>(4096, 0x5A));
  auto box = BatchBox(dir, "chips = 3\nnew_chip = pattern\nremove_ms = 0\ninsert_ms = 0\n");
  ASSERT_TRUE(box);
  BoxDriver driver(*box);

  driver.Send(CMD_STATUS_LAMP, {kLampSucceeded});
  ASSERT_TRUE(PollUntil([&] { return box->ChipInSocket() == 2; }));
  std::vector<std::uint8_t> pattern(32);
  PatternBytes(0x100, pattern.data(), pattern.size());
  EXPECT_EQ(box->ReadChipContent(2, 0x100, 32), pattern);
  EXPECT_EQ(box->ReadContent(0x100, 32), pattern);
  // Chip 1 keeps its own blank content.
  EXPECT_EQ(box->ReadChipContent(1, 0x100, 32), std::vector<std::uint8_t>(32, 0xFF));

  driver.Send(CMD_STATUS_LAMP, {kLampFailed});
  ASSERT_TRUE(PollUntil([&] { return box->ChipInSocket() == 3; }));
  EXPECT_EQ(box->ReadContent(0, 16), std::vector<std::uint8_t>(16, 0x5A));
  EXPECT_EQ(box->ReadChipContent(3, 4090, 100), std::vector<std::uint8_t>(6, 0x5A));

  // A leftover file of another size belongs to another chip.
  box.reset();
  dir.Write("chip-2.bin", std::vector<std::uint8_t>(100, 0));
  std::string error;
  auto d = ParseBoxDescription(BatchText("chips = 2\nremove_ms = 10\n"), dir.base(), error);
  ASSERT_TRUE(d) << error;
  EXPECT_EQ(VirtualBox::Create(*d, error), nullptr);
  EXPECT_NE(error.find("chip-2.bin holds 100 bytes"), std::string::npos) << error;
}

TEST(SocketTest, SwapAndRemoveRaiseNoEventAndCancelTheBatchStep) {
  tarnwick::test::TempDir dir;
  auto box = BatchBox(dir, "chips = 2\nremove_ms = 100\ninsert_ms = 0\n");
  ASSERT_TRUE(box);
  std::atomic<int> events{0};
  box->SetDeviceChangeHandler([&] { ++events; });
  BoxDriver driver(*box);
  driver.Send(CMD_STATUS_LAMP, {kLampSucceeded});
  std::string error;
  ASSERT_TRUE(box->SwapChip(SmallFlash(dir, "other", 4096), error)) << error;
  EXPECT_EQ(box->ChipInSocket(), 0u);
  std::this_thread::sleep_for(std::chrono::milliseconds(250));
  EXPECT_EQ(box->ContentPath(), dir.file("other.bin"));  // the removal was called off
  box->RemoveChip();
  EXPECT_EQ(driver.ReadId(kSpiMode), kEmpty);
  EXPECT_EQ(events, 0);
}

TEST(SocketTest, DestroyingTheBoxStopsAPendingRemoval) {
  tarnwick::test::TempDir dir;
  auto box = BatchBox(dir, "chips = 2\nremove_ms = 600000\n");
  ASSERT_TRUE(box);
  BoxDriver driver(*box);
  driver.Send(CMD_STATUS_LAMP, {kLampSucceeded});
  box.reset();  // returns instead of waiting out the ten minutes
}

TEST(SocketDescriptionTest, DefaultsKeysAndPaths) {
  std::string error;
  auto plain = ParseBoxDescription("[chip]\nmodel = W25Q32FV\n", "/base", error);
  ASSERT_TRUE(plain) << error;
  EXPECT_EQ(plain->socket.chips, 1u);
  EXPECT_EQ(plain->socket.newChip, ContentFill::Blank);
  EXPECT_FALSE(plain->socket.removeMs);
  EXPECT_EQ(plain->socket.insertMs, 100u);

  auto full = ParseBoxDescription(
      BatchText("Chips = 12\nnew_chip = PATTERN\nremove_ms = 0x10\ninsert_ms = 0\n"), "/b", error);
  ASSERT_TRUE(full) << error;
  EXPECT_EQ(full->socket.chips, 12u);
  EXPECT_EQ(full->socket.newChip, ContentFill::Pattern);
  EXPECT_EQ(full->socket.removeMs, 16u);
  EXPECT_EQ(full->socket.insertMs, 0u);

  const std::string dir = std::string(TARNWICK_SOURCE_DIR) + "/resources/sim/";
  auto shipped = LoadBoxDescription(dir + "socket_three_chips.box", error);
  ASSERT_TRUE(shipped) << error;
  EXPECT_EQ(shipped->socket.chips, 3u);
  EXPECT_EQ(shipped->socket.removeMs, 50u);

  EXPECT_EQ(BatchChipPath("/d/chip.tar.bin", 10), "/d/chip.tar-10.bin");
  EXPECT_EQ(BatchChipPath("/d.x/chip", 3), "/d.x/chip-3");
  EXPECT_EQ(BatchChipPath("/d/.chip", 2), "/d/.chip-2");
}

TEST(SocketDescriptionTest, BadSettingsAreRefused) {
  struct Case {
    std::string socket;
    std::string message;
  };
  const Case cases[] = {
      {"chips = 0\n", "line 8: 'chips': '0' is not a number of chips from 1 to 9999"},
      {"new_chip = random\n", "line 8: 'new_chip': 'random' is not pattern or blank"},
      {"remove_ms = -5\n", "'remove_ms': '-5' is not a time in milliseconds"},
      {"insert_ms = never\n", "'insert_ms': 'never' is not a time in milliseconds"},
      {"eject = yes\n", "line 8: unknown [socket] setting 'eject'"},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(ParseBoxDescription(BatchText(c.socket), "/b", error)) << c.socket;
    EXPECT_NE(error.find(c.message), std::string::npos) << c.socket << " gave: " << error;
  }
  std::string error;
  EXPECT_FALSE(ParseBoxDescription("[box]\n[socket]\nchips = 2\n", "/b", error));
  EXPECT_NE(error.find("line 2: [socket] needs a [chip] section"), std::string::npos) << error;
}

}  // namespace
}  // namespace tarnwick::sim::test
