// A batch in a whole session on the virtual box: a chip that ends after a
// stop, a start while the stopped batch's chip is still in work, and the
// wait for the next chip (its one log line, the window's greyed operations,
// a box that fails meanwhile).
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <mutex>
#include <thread>

#include "core/app/text_ids.h"
#include "core/operations/batch/batch_runner.h"
#include "core/operations/batch/batch_texts.h"
#include "protocol/protocol.h"
#include "session_fixture.h"

namespace tarnwick::test {
namespace {

class RecordingBatchView : public BatchView {
 public:
  void ShowRunning(bool running) override {
    std::lock_guard lock(m_);
    runningReports_.push_back(running);
  }
  void ShowProgress(std::uint32_t, int) override {}
  void ShowFieldProblem(batch::Field field) override {
    std::lock_guard lock(m_);
    problem_ = field;
  }
  void ShowChipEnded(const BatchChipLine&) override {}
  batch::Field problem() const {
    std::lock_guard lock(m_);
    return problem_;
  }

 private:
  mutable std::mutex m_;
  std::vector<bool> runningReports_;
  batch::Field problem_ = batch::Field::None;
};

// True once `done()` holds; false after `seconds` (a hang guard).
template <typename Done>
bool WaitFor(Done done, int seconds = 30) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

class BatchFlow : public SessionTest {
 protected:
  void TearDown() override {
    if (session) {
      session->batch().Stop();
      session->batch().WaitUntilIdle();
      session->batch().SetView(nullptr);
    }
    SessionTest::TearDown();
  }

  // The default EN25Q64, blank, staying in the socket; only programmed, so
  // that on a realistic box a chip takes a second (erasing or verifying the
  // whole 8 MiB would take many).
  void BootBatch(sim::SpeedKind speed) {
    sim::BoxDescription d = DefaultBox();
    d.chip->fill = sim::ContentFill::Blank;
    d.speed = speed;
    Boot(d, true);
    SetAutoDetect(true);
    runner().SetView(&view);
    runner().SetStepsOverride(BatchSteps{false, true, false});
  }

  BatchRunner& runner() { return session->batch(); }

  batch::Fields Repeat(const std::string& master) {
    batch::Fields f;
    f.mode = batch::Mode::Repeat;
    f.masterFile = master;
    return f;
  }

  std::vector<std::string> Record() {
    std::ifstream in(dir.file("batch-report.csv"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  // log.txt's lines, without their dates.
  std::vector<std::string> LogLines() {
    const std::string text = dir.Read("log.txt");
    std::vector<std::string> lines;
    std::size_t at = 0;
    while ((at = text.find("\r\n", at)) != std::string::npos) {
      at += 2;
      const std::size_t end = text.find("\r\n", at);
      const std::string line = text.substr(at, end == std::string::npos ? end : end - at);
      const std::size_t tab = line.find('\t');
      if (tab != std::string::npos) lines.push_back(line.substr(tab + 1));
    }
    return lines;
  }

  int ReadIds() { return CountOf(box->ReceivedCommands(), protocol::CMD_READ_ID); }

  // After the first chip, until the batch has looked at the socket a few times.
  bool WaitingForTheNextChip() {
    if (!WaitFor([&] { return runner().ChipsDone() == 1; })) return false;
    const int before = ReadIds();
    return WaitFor([&] { return ReadIds() > before + 10; });
  }

  RecordingBatchView view;
};

TEST_F(BatchFlow, AChipThatEndsAfterAStopIsCountedRecordedAndItsIdIsNotGivenAgain) {
  BootBatch(sim::SpeedKind::Realistic);
  dir.Write("m.bin", Pattern(256 * 1024));
  batch::Fields f;
  f.mode = batch::Mode::Serial;
  f.masterFile = dir.file("m.bin");
  f.fillAddress = 0x10;
  f.startId = 100;
  f.increment = 5;
  f.idLength = 2;
  runner().Start(f);
  ASSERT_TRUE(WaitFor([&] { return box->BytesTaken() > 0; }));
  runner().Stop();
  runner().WaitUntilIdle();

  EXPECT_EQ(runner().ChipsDone(), 1);
  EXPECT_EQ(runner().Count(), 105u);
  EXPECT_EQ(Chip(0x10, 2), (Bytes{0x64, 0x00}));
  const std::vector<std::string> lines = Record();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[1].find(",100,"), std::string::npos) << lines[1];
  EXPECT_NE(lines[1].find(",done,"), std::string::npos) << lines[1];

  // The same fields again would write ID 100 a second time.
  WaitIdle();  // the worker's own frames after the step
  const std::size_t frames = box->ReceivedCommands().size();
  runner().Start(f);
  ASSERT_TRUE(WaitFor([&] { return view.problem() == batch::Field::IdRecorded; }, 10));
  runner().WaitUntilIdle();
  EXPECT_FALSE(runner().Running());
  EXPECT_EQ(box->ReceivedCommands().size(), frames);
  EXPECT_EQ(Record().size(), 2u);
}

TEST_F(BatchFlow, AStartWhileTheStoppedBatchsChipIsInWorkBeginsAfterItsResult) {
  BootBatch(sim::SpeedKind::Realistic);
  const Bytes content = Pattern(256 * 1024);
  dir.Write("first.bin", content);
  dir.Write("second.bin", content);
  runner().Start(Repeat(dir.file("first.bin")));
  ASSERT_TRUE(WaitFor([&] { return box->BytesTaken() > 0; }));
  runner().Stop();
  runner().Start(Repeat(dir.file("second.bin")));

  // The first batch's chip, then the second batch's own (the chip stays in).
  ASSERT_TRUE(WaitFor([&] { return Record().size() == 3; }));
  runner().Stop();
  runner().WaitUntilIdle();
  const std::vector<std::string> lines = Record();
  EXPECT_NE(lines[1].find("first.bin"), std::string::npos) << lines[1];
  EXPECT_NE(lines[2].find("second.bin"), std::string::npos) << lines[2];
  EXPECT_EQ(lines[2].rfind("1,", 0), 0u) << lines[2];
  // Only its own chip counts in the second batch.
  EXPECT_EQ(runner().ChipsStarted(), 1);
  EXPECT_EQ(runner().ChipsDone(), 1);
  EXPECT_EQ(runner().Count(), 1u);
}

TEST_F(BatchFlow, WaitingForTheNextChipLogsOneLineAndGreysTheWindowsOperations) {
  BootBatch(sim::SpeedKind::Instant);
  dir.Write("m.bin", Pattern(4096));
  runner().Start(Repeat(dir.file("m.bin")));
  ASSERT_TRUE(WaitingForTheNextChip());

  const std::vector<std::string> log = LogLines();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), batch::kWaitingText);
  EXPECT_EQ(std::count(log.begin(), log.end(), std::string(batch::kWaitingText)), 1);
  EXPECT_EQ(surface.LastStatus(), batch::kWaitingText);
  for (int id : {ids::kAutoProgramButton, ids::kEraseButton, ids::kProgramButton,
                 ids::kVerifyButton, ids::kReadButton, ids::kBlankCheckButton, ids::kDetectButton,
                 ids::kBrowseButton, ids::kChipFill, ids::kDataView, ids::kFirmwareUpgrade}) {
    EXPECT_FALSE(surface.Enabled(id)) << "id " << id;
  }

  runner().Stop();
  runner().WaitUntilIdle();
  ExpectControlsRestored();
}

struct WaitFault {
  const char* name;
  sim::FaultKind fault;
  BatchWaitEnd end;
  int status;  // itext
};

class BatchWaitFault : public BatchFlow, public ::testing::WithParamInterface<WaitFault> {};

TEST_P(BatchWaitFault, EndsTheBatchWithTheBoxsError) {
  BootBatch(sim::SpeedKind::Instant);
  dir.Write("m.bin", Pattern(4096));
  runner().Start(Repeat(dir.file("m.bin")));
  ASSERT_TRUE(WaitingForTheNextChip());

  box->StrikeFault(GetParam().fault);
  ASSERT_TRUE(WaitFor([&] { return !runner().Running(); }, 10));
  runner().WaitUntilIdle();
  EXPECT_EQ(runner().WaitEnd(), GetParam().end);
  EXPECT_TRUE(LastIs(GetParam().status)) << surface.LastStatus();
  EXPECT_EQ(runner().ChipsDone(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, BatchWaitFault,
    ::testing::Values(WaitFault{"Unplugged", sim::FaultKind::Unplug, BatchWaitEnd::BoxGone,
                                itext::kBoxNotFound},
                      WaitFault{"Stalled", sim::FaultKind::Stall, BatchWaitEnd::BoxNotAnswering,
                                itext::kBoxNotAnswering},
                      WaitFault{"Refusing", sim::FaultKind::Refuse, BatchWaitEnd::BoxRefused,
                                itext::kBoxRefused}),
    [](const ::testing::TestParamInfo<WaitFault>& info) { return info.param.name; });

}  // namespace
}  // namespace tarnwick::test
