// The worker as the window runs it: the quiet start-up detection, the lamp
// around every job, and hot-plug events while idle and while a job runs.
#include <atomic>
#include <thread>

#include "core/session/session_fixture.h"

namespace tarnwick::test {
namespace {

using protocol::CMD_ADAPTER_QUERY;
using protocol::CMD_IDLE;

std::string ListText(const RecordingSurface& s, int id) {
  const auto items = s.ListItems(id);
  const int sel = s.ListSelection(id);
  return sel >= 0 && static_cast<std::size_t>(sel) < items.size()
             ? items[static_cast<std::size_t>(sel)]
             : "";
}

using StartupTest = SessionTest;

TEST_F(StartupTest, QuietStartupJobSelectsTheChipInTheSocketAndFramesItWithTheLamp) {
  Boot(DefaultBox(), /*startWorker=*/true);
  EXPECT_EQ(ListText(surface, ids::kTypeList), "25 SPI FLASH");
  EXPECT_EQ(ListText(surface, ids::kMakerList), "EON");
  EXPECT_EQ(ListText(surface, ids::kModelList), "EN25Q64");
  EXPECT_EQ(session->LastDetectResult(), 1);
  EXPECT_TRUE(Shown(73));
  EXPECT_TRUE(surface.Boxes().empty()) << "the quiet form shows no boxes";
  EXPECT_EQ(box->LampHistory(), (Bytes{1, 0}));
  ASSERT_FALSE(tap->Commands().empty());
  EXPECT_EQ(tap->Commands().back(), CMD_IDLE);
  // The log names the chip; 8 MiB is above the large-chip line.
  const auto pane = surface.PaneLines();
  auto has = [&](const std::string& t) {
    return std::any_of(pane.begin(), pane.end(),
                       [&](const std::string& l) { return l.find(t) != std::string::npos; });
  };
  EXPECT_TRUE(has("25 SPI FLASH : EON : EN25Q64 : 64Mbits/8Mbytes"));
  EXPECT_TRUE(has(I(54)));
}

TEST_F(StartupTest, StartupWithoutTheBoxLeavesTheWindowUsable) {
  sim::BoxDescription d = DefaultBox();
  d.present = false;
  Boot(d, true);
  EXPECT_EQ(session->LastDetectResult(), -2);
  EXPECT_TRUE(Shown(34));
  EXPECT_TRUE(box->LampHistory().empty());
  EXPECT_FALSE(surface.Enabled(ids::kChipFill));
  // Plugging it in while idle detects the chip.
  box->Plug();
  WaitIdle();
  EXPECT_EQ(session->LastDetectResult(), 1);
  EXPECT_EQ(ListText(surface, ids::kModelList), "EN25Q64");
  EXPECT_TRUE(surface.Enabled(ids::kChipFill));
  // Only the job after the plug reached the lamp (the box starts it at 0).
  const Bytes lamps = box->LampHistory();
  EXPECT_EQ(std::count(lamps.begin(), lamps.end(), 1), 1);
  ASSERT_GE(lamps.size(), 2u);
  EXPECT_EQ(Bytes(lamps.end() - 2, lamps.end()), (Bytes{1, 0}));
}

TEST_F(StartupTest, AJobCodeOutsideTheTableRunsNothingAndReportsFailure) {
  Boot(DefaultBox(), true);
  tap->ClearRecords();
  EXPECT_FALSE(Run(static_cast<Job>(99)));  // no feature has this code
  EXPECT_EQ(box->LampHistory(), (Bytes{1, 0, 1, 2}));
  const auto cmds = tap->Commands();
  EXPECT_EQ(CountOf(cmds, protocol::CMD_STATUS_LAMP), 2);
  EXPECT_EQ(cmds.size(), 3u) << "lamp, lamp, idle and nothing else";
}

TEST_F(StartupTest, RunJobAndWaitWaitsForTheStartupJobInsteadOfLosingItsRequest) {
  std::string error;
  box = sim::VirtualBox::Create(DefaultBox(), error);
  tap = std::make_unique<TapUsb>(*box);
  session =
      std::make_unique<Session>(Session::Options{OneFolderLayout(dir.base()), true}, surface, *tap);
  session->LoadTexts();
  session->Start();  // the start-up detection is running or about to
  Run(Job::BlankCheck);
  EXPECT_TRUE(Shown(61)) << "the blank check ran";
  EXPECT_EQ(CountOf(tap->Commands(), protocol::CMD_BLANK_CHECK), 1);
}

// Device-change events that arrive while the quiet detection runs: below 48
// (after folding) they only count; 48 or more run the detection once more.
struct ChangeCase {
  int total;  // notifications, the one that woke the worker included
  int detections;
};

class DeviceChangeCount : public SessionTest, public ::testing::WithParamInterface<ChangeCase> {};

TEST_P(DeviceChangeCount, DetectionRunsOnceOrTwice) {
  Boot(DefaultBox(), true);
  tap->ClearRecords();
  std::atomic<bool> fired{false};
  tap->SetAfterFrame([&](const TapUsb::Frame& f) {
    if ((f[1] & 0x3F) != CMD_ADAPTER_QUERY || fired.exchange(true)) return;
    for (int i = 1; i < GetParam().total; ++i) session->OnDeviceChange();
  });
  std::string error;
  ASSERT_TRUE(box->SwapChip(Flash(0xEF4015, 2u << 20, dir.file("w25q16.bin")), error)) << error;
  // The socket has no sensor, so the swap itself raises no event: the one
  // that wakes the worker comes as a hot-plug notification would.
  session->OnDeviceChange();
  WaitIdle();
  EXPECT_EQ(CountOf(tap->Commands(), CMD_ADAPTER_QUERY), GetParam().detections);
  // The first of the records that share the new chip's identification.
  const ChipRecord* selected = session->catalogue().Record(session->selection().SelectedRecord());
  ASSERT_NE(selected, nullptr);
  EXPECT_EQ(selected->mainId(), "EF4015");
  EXPECT_EQ(ListText(surface, ids::kModelList), selected->model());
  EXPECT_EQ(session->worker().DeviceChangeCount(), 0);
  EXPECT_FALSE(session->worker().DeviceChangePending());
  const Bytes lamps = box->LampHistory();
  EXPECT_EQ(lamps.size(), 2u + 2u * static_cast<std::size_t>(GetParam().detections));
}

INSTANTIATE_TEST_SUITE_P(Counts, DeviceChangeCount,
                         ::testing::Values(ChangeCase{1, 1}, ChangeCase{20, 1}, ChangeCase{47, 1},
                                           ChangeCase{48, 2}, ChangeCase{50, 2}, ChangeCase{64, 1},
                                           ChangeCase{80, 1}, ChangeCase{96, 2}));

TEST_F(StartupTest, UnplugDuringAJobOnlyCountsAndReplugDetectsOnce) {
  Boot(BoxWith(Flash(0xEF4015, 2u << 20, dir.file("chip.bin"))), true);
  const Bytes file = Pattern(64 * 1024);
  LoadFile("image.bin", file);
  std::atomic<bool> pulled{false};
  tap->SetAfterWrite([&](int, std::uint64_t taken) {
    if (taken >= 8192 && !pulled.exchange(true)) box->Unplug();
  });
  tap->ClearRecords();
  Press(ids::kProgramButton);
  EXPECT_TRUE(Shown(49));
  EXPECT_EQ(CountOf(tap->Commands(), CMD_ADAPTER_QUERY), 1) << "no detection after the failed job";
  EXPECT_EQ(CountOf(tap->Commands(), protocol::CMD_PROGRAM_END), 0);
  ExpectControlsRestored();

  tap->SetAfterWrite(nullptr);
  tap->ClearRecords();
  box->Plug();
  WaitIdle();
  EXPECT_EQ(CountOf(tap->Commands(), CMD_ADAPTER_QUERY), 1);
  EXPECT_EQ(surface.LastStatus(), I(74)) << "W25Q16 has several catalogue records";

  // The box is usable again: erase and program the whole file.
  EXPECT_TRUE(Run(Job::AutoProgram));
  EXPECT_EQ(Chip(0, file.size()), file);
}

}  // namespace
}  // namespace tarnwick::test
