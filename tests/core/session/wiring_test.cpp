// What the session wires: every job of the window has its row, stop buttons
// are commands with a running caption and a cancel request, the lamp rule
// and the file log line sit on the right jobs.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "core/app/text_ids.h"
#include "core/device/job_table.h"
#include "core/session/session_fixture.h"

namespace tarnwick::test {
namespace {

class WiringTest : public SessionTest {};

TEST_F(WiringTest, EveryRowOfTheJobTableIsComplete) {
  Boot(DefaultBox());
  const JobTable& jobs = session->jobs();
  const std::vector<Job> codes = jobs.Codes();
  const std::set<Job> have(codes.begin(), codes.end());
  EXPECT_EQ(have, (std::set<Job>{Job::Program,
                                 Job::Erase,
                                 Job::DetectQuiet,
                                 Job::Verify,
                                 Job::Read,
                                 Job::AutoProgram,
                                 Job::BlankCheck,
                                 Job::DetectUser,
                                 Job::QuadEnable,
                                 Job::BatchStep,
                                 Job::OtpDetect,
                                 Job::OtpProgram,
                                 Job::OtpRead,
                                 Job::OtpSave,
                                 Job::OtpVerify,
                                 Job::OtpBlankCheck,
                                 Job::FirmwareVersion,
                                 Job::FirmwareUpgrade,
                                 Job::ChipFill,
                                 Job::Find}));
  for (Job code : codes) {
    const JobRow& row = *jobs.Find(code);
    const int n = JobByte(code);
    const bool detection =
        code == Job::DetectQuiet || code == Job::DetectUser || code == Job::OtpDetect;
    EXPECT_EQ(row.lamp == LampRule::Neutral, detection) << n;
    // Only the batch step shows its own lamp: it ends with the next chip in.
    EXPECT_EQ(row.lamp == LampRule::OwnLamp, code == Job::BatchStep) << n;
    EXPECT_EQ(row.logsFileFirst, code == Job::Program || code == Job::Verify) << n;
    if (row.stopButton == 0) continue;
    EXPECT_TRUE(session->commands().Handles(row.stopButton)) << n;
    EXPECT_NE(row.cancel, nullptr) << n;
    EXPECT_FALSE(I(row.runningItext).empty()) << n;
    EXPECT_EQ(jobs.FindByStopButton(row.stopButton), &row) << n;
  }
}

TEST_F(WiringTest, AStopButtonShowingItsRunningCaptionStartsNothing) {
  Boot(DefaultBox(), true);
  const JobRow& erase = *session->jobs().Find(Job::Erase);
  surface.SetControlText(erase.stopButton, I(erase.runningItext));
  tap->ClearRecords();
  Press(erase.stopButton);
  EXPECT_TRUE(erase.cancel->load()) << "the click is a stop request";
  EXPECT_TRUE(tap->Commands().empty()) << "no job ran";
  // With its idle caption the same button clears the request and erases.
  surface.SetControlText(erase.stopButton, F(54));
  Press(erase.stopButton);
  EXPECT_EQ(CountOf(tap->Commands(), protocol::CMD_ERASE), 1);
}

// A close never cuts what changes the chip or the box without asking first,
// and never cuts a firmware upgrade at all; a detection, a blank check or a
// search just stops.
TEST_F(WiringTest, EveryJobThatChangesTheChipOrTheBoxIsGuardedAtTheClose) {
  Boot(DefaultBox());
  const std::map<Job, int> asks = {
      {Job::Program, itext::kCloseWhileProgramming},
      {Job::AutoProgram, itext::kCloseWhileProgramming},
      {Job::ChipFill, itext::kCloseWhileProgramming},
      {Job::OtpProgram, itext::kCloseWhileProgramming},
      {Job::BatchStep, itext::kCloseWhileProgramming},
      {Job::Erase, itext::kCloseWhileErasing},
      {Job::Verify, itext::kCloseWhileVerifying},
      {Job::OtpVerify, itext::kCloseWhileVerifying},
      {Job::Read, itext::kCloseWhileReading},
      {Job::OtpRead, itext::kCloseWhileReading},
  };
  for (Job code : session->jobs().Codes()) {
    const CloseRule& rule = session->jobs().Find(code)->close;
    const auto it = asks.find(code);
    EXPECT_EQ(rule.question, it == asks.end() ? 0 : it->second) << int(JobByte(code));
    EXPECT_EQ(rule.waitForEnd, code == Job::FirmwareUpgrade) << int(JobByte(code));
  }
  // At rest nothing is asked and nothing waits.
  EXPECT_EQ(session->CloseQuestion(), 0);
  EXPECT_FALSE(session->CloseMustWait());
}

}  // namespace
}  // namespace tarnwick::test
