// Hot-plug events and the faults: scripted, and drawn from a seed so that a
// failing run can be replayed.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "box_driver.h"

namespace tarnwick::sim::test {
namespace {

BoxDescription Described(const tarnwick::test::TempDir& dir, std::vector<FaultEntry> faults = {}) {
  BoxDescription d;
  d.chip = SmallFlash(dir, "flash", 64 * 1024, ContentFill::Pattern);
  d.faults.scripted = std::move(faults);
  return d;
}

TEST(HotPlugTest, UnplugAndPlugRaiseEventsAndCutTheLink) {
  tarnwick::test::TempDir dir;
  auto box = MakeBox(Described(dir));
  std::atomic<int> events{0};
  box->SetDeviceChangeHandler([&] { ++events; });
  BoxDriver driver(*box);
  ASSERT_EQ(box->ScanDevices().size(), 1u);

  box->Unplug();
  EXPECT_EQ(events, 1);
  EXPECT_TRUE(box->ScanDevices().empty());
  EXPECT_EQ(box->Open(0), nullptr);
  EXPECT_EQ(driver.Send(CMD_FW_VERSION), kErrNoDevice);
  int rc = 0;
  driver.Read(64, &rc);
  EXPECT_EQ(rc, kErrNoDevice);
  box->Unplug();  // already out: no second event
  EXPECT_EQ(events, 1);

  box->Plug();
  EXPECT_EQ(events, 2);
  // The old handle stays dead; a new scan and open find the box again.
  EXPECT_EQ(driver.Send(CMD_FW_VERSION), kErrNoDevice);
  const auto devices = box->ScanDevices();
  ASSERT_EQ(devices.size(), 1u);
  EXPECT_EQ(devices[0].vendorId, kVendorId);
  EXPECT_EQ(devices[0].productId, kProductId);
  ASSERT_TRUE(driver.Connect());
  driver.Send(CMD_FW_VERSION);
  EXPECT_EQ(driver.Read(64), std::vector<std::uint8_t>{0x23});

  // The socket has no sensor: swapping the chip is no event and keeps the link.
  box->RemoveChip();
  std::string error;
  ASSERT_TRUE(box->SwapChip(SmallFlash(dir, "other"), error)) << error;
  EXPECT_EQ(events, 2);
  EXPECT_EQ(box->ContentPath(), dir.file("other.bin"));
  EXPECT_EQ(driver.ReadId(kSpiMode), 0xEF4017u);
}

TEST(HotPlugTest, AbsentBoxIsNotOnTheBus) {
  tarnwick::test::TempDir dir;
  BoxDescription d = Described(dir);
  d.present = false;
  auto box = MakeBox(d);
  EXPECT_TRUE(box->ScanDevices().empty());
  box->Plug();
  EXPECT_EQ(box->ScanDevices().size(), 1u);
}

TEST(HotPlugTest, UnplugWhileAReadWaitsEndsTheRead) {
  tarnwick::test::TempDir dir;
  BoxDescription d = Described(dir);
  d.speed = SpeedKind::Realistic;
  auto box = MakeBox(d);
  BoxDriver driver(*box);
  std::atomic<int> rc{0};
  std::thread reader([&] {
    int r = 0;
    driver.Read(64, &r, 60000);  // nothing to read: waits
    rc = r;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  box->Unplug();
  reader.join();
  EXPECT_EQ(rc, kErrNoDevice);
}

TEST(HotPlugTest, ConcurrentPlugAndTransfersStayConsistent) {
  tarnwick::test::TempDir dir;
  auto box = MakeBox(Described(dir));
  std::atomic<bool> stop{false};
  std::thread plugger([&] {
    while (!stop) {
      box->Unplug();
      box->Plug();
    }
  });
  int answered = 0;
  for (int i = 0; i < 2000; ++i) {
    BoxDriver driver(*box);
    if (driver.Send(CMD_FW_VERSION) < 0) continue;
    const auto v = driver.Read(64);
    if (!v.empty()) {
      EXPECT_EQ(v, std::vector<std::uint8_t>{0x23});
      ++answered;
    }
  }
  stop = true;
  plugger.join();
  EXPECT_TRUE(box->Plugged());
  (void)answered;
}

TEST(FaultsTest, UnplugAfterStreamedBytes) {
  tarnwick::test::TempDir dir;
  auto box = MakeBox(Described(dir, {{FaultKind::Unplug, {FaultTrigger::When::AtByte, 10000}, 0}}));
  std::atomic<int> events{0};
  box->SetDeviceChangeHandler([&] { ++events; });
  BoxDriver driver(*box);
  driver.SetCapacity(64 * 1024);
  driver.Send(CMD_READ);
  EXPECT_EQ(driver.Read(kReadBlock).size(), kReadBlock);
  EXPECT_EQ(driver.Read(kReadBlock).size(), 10000u - kReadBlock);  // cut at byte 10000
  EXPECT_EQ(events, 1);
  EXPECT_FALSE(box->Plugged());
  int rc = 0;
  driver.Read(kReadBlock, &rc);
  EXPECT_EQ(rc, kErrNoDevice);
  EXPECT_EQ(box->BytesStreamed(), 10000u);
}

TEST(FaultsTest, StallAtACommandStopsAllAnswersUntilReplugged) {
  tarnwick::test::TempDir dir;
  auto box = MakeBox(Described(dir, {{FaultKind::Stall, {FaultTrigger::When::AtCommand, 2}, 0}}));
  BoxDriver driver(*box);
  driver.Send(CMD_FW_VERSION);
  EXPECT_EQ(driver.Read(64).size(), 1u);
  EXPECT_GE(driver.Send(CMD_FW_VERSION), 0);  // the frame goes out...
  int rc = 0;
  EXPECT_TRUE(driver.Read(64, &rc).empty());  // ...but nothing comes back
  EXPECT_EQ(rc, kErrTimeout);
  driver.Send(CMD_PROGRAM);
  EXPECT_EQ(driver.Write(std::vector<std::uint8_t>(64, 0)), kErrTimeout);
  box->Unplug();
  box->Plug();
  ASSERT_TRUE(driver.Connect());
  driver.Send(CMD_FW_VERSION);
  EXPECT_EQ(driver.Read(64).size(), 1u);
}

TEST(FaultsTest, EraseThatNeverEndsOnce) {
  tarnwick::test::TempDir dir;
  auto box =
      MakeBox(Described(dir, {{FaultKind::EraseHang, {FaultTrigger::When::AtCommand, 1}, 0}}));
  BoxDriver driver(*box);
  driver.Send(CMD_ERASE);
  int rc = 0;
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(driver.Read(1, &rc).empty());
  EXPECT_NE(box->ReadContent(0, 1), std::vector<std::uint8_t>{0xFF});
  driver.Send(CMD_ERASE);  // the next one works
  EXPECT_EQ(driver.Read(1), std::vector<std::uint8_t>{kEraseDone});
}

TEST(FaultsTest, ProgramEndThatIsNeverConfirmedOnce) {
  tarnwick::test::TempDir dir;
  auto box =
      MakeBox(Described(dir, {{FaultKind::ProgramEndHang, {FaultTrigger::When::AtCommand, 2}, 0}}));
  BoxDriver driver(*box);
  driver.Send(CMD_PROGRAM);
  EXPECT_EQ(driver.Write(std::vector<std::uint8_t>(64, 0)), 64);
  driver.Send(CMD_PROGRAM_END);
  int rc = 0;
  EXPECT_TRUE(driver.Read(1, &rc).empty());
  EXPECT_EQ(rc, kErrTimeout);
  EXPECT_EQ(box->ReadContent(4, 1), std::vector<std::uint8_t>{0x00}) << "the data was taken";
  driver.Send(CMD_PROGRAM);
  driver.Send(CMD_PROGRAM_END);  // the next one is confirmed
  EXPECT_EQ(driver.Read(1), std::vector<std::uint8_t>{kProgramEndDone});
}

TEST(FaultsTest, RefusalAnswerAfterACommand) {
  tarnwick::test::TempDir dir;
  auto box = MakeBox(Described(dir, {{FaultKind::Refuse, {FaultTrigger::When::AtCommand, 2}, 0}}));
  BoxDriver driver(*box);
  EXPECT_EQ(driver.ReadId(kSpiMode), 0xEF4017u);
  EXPECT_EQ(driver.ReadId(kSpiMode), kIdRefusal);
  EXPECT_TRUE(box->InBootLoader());
}

TEST(FaultsTest, OnePartialWriteAtACommand) {
  tarnwick::test::TempDir dir;
  auto box = MakeBox(
      Described(dir, {{FaultKind::PartialWrite, {FaultTrigger::When::AtCommand, 1}, 3000}}));
  BoxDriver driver(*box);
  driver.Send(CMD_PROGRAM);
  std::vector<std::uint8_t> block(kProgramBlock, 0);
  EXPECT_EQ(driver.Write(block), 3000);
  EXPECT_EQ(driver.Write(block), 4096);
}

TEST(FaultsTest, RandomFaultsReplayFromTheirSeed) {
  tarnwick::test::TempDir dir;
  auto run = [&](std::optional<std::uint64_t> seed) {
    BoxDescription d = Described(dir);
    d.faults.random = {FaultKind::Unplug, FaultKind::Stall, FaultKind::PartialWrite};
    d.faults.seed = seed;
    d.faults.randomCommands = 50;
    auto box = MakeBox(d);
    // Drive a fixed exchange and record what the program would see.
    std::vector<int> seen;
    BoxDriver driver(*box);
    driver.SetCapacity(64 * 1024);
    for (int i = 0; i < 60; ++i) {
      seen.push_back(driver.Send(CMD_FW_VERSION));
      int rc = 0;
      driver.Read(64, &rc);
      seen.push_back(rc);
      if (i % 10 == 0) {
        driver.Send(CMD_READ);
        for (int k = 0; k < 8; ++k) {
          driver.Read(kReadBlock, &rc);
          seen.push_back(rc);
        }
        driver.Send(CMD_IDLE);
      }
    }
    return std::make_pair(seen, box->EventLog());
  };
  const auto a = run(1234);
  const auto b = run(1234);
  EXPECT_EQ(a.first, b.first);
  EXPECT_EQ(a.second, b.second);
  const auto& log = a.second;
  EXPECT_NE(std::find(log.begin(), log.end(), "fault seed 1234 (replay with 'seed = 1234')"),
            log.end());
  const auto c = run(99);
  EXPECT_NE(a.second, c.second);

  // Without a seed one is drawn, logged and reported, and replays the run.
  BoxDescription d = Described(dir);
  d.faults.random = {FaultKind::Stall};
  auto box = MakeBox(d);
  ASSERT_TRUE(box->FaultSeed());
  d.faults.seed = box->FaultSeed();
  auto replay = MakeBox(d);
  const auto draws = [](const std::vector<std::string>& events) {
    std::vector<std::string> out;
    for (const auto& e : events) {
      if (e.rfind("random fault", 0) == 0 || e.rfind("fault seed", 0) == 0) out.push_back(e);
    }
    return out;
  };
  EXPECT_EQ(draws(box->EventLog()), draws(replay->EventLog()));
}

}  // namespace
}  // namespace tarnwick::sim::test
