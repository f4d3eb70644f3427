// The worker runs one job at a time framed by the lamp, and drops requests
// that arrive while a job runs.
#include "core/device/worker.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace tarnwick {
namespace {

using namespace std::chrono_literals;

// A code no feature registered.
constexpr std::uint8_t kNoRow = 99;
constexpr std::uint8_t B(Job j) { return JobByte(j); }

struct Recorder {
  std::mutex m;
  std::vector<std::uint8_t> lamps;
  std::vector<std::uint8_t> jobs;
  int idles = 0;
  bool linkOpen = true;
  std::atomic<bool> holdJob{false};
  std::atomic<int> jobsStarted{0};
  JobTable table;

  Recorder() {
    // Detection ends neutral, the erase fails, the others succeed.
    table.Add({Job::DetectQuiet, [] { return true; }, LampRule::Neutral});
    table.Add({Job::Program, [] { return true; }});
    table.Add({Job::Erase, [] { return false; }});
    table.Add({Job::AutoProgram, [] { return true; }});
  }

  WorkerHooks Hooks() {
    WorkerHooks h;
    h.beforeJob = [this](std::uint8_t code) {
      {
        std::lock_guard l(m);
        jobs.push_back(code);
      }
      jobsStarted.fetch_add(1);
      while (holdJob.load()) std::this_thread::sleep_for(1ms);
    };
    h.setLamp = [this](std::uint8_t v) {
      std::lock_guard l(m);
      lamps.push_back(v);
    };
    h.linkOpen = [this] { return linkOpen; };
    h.sendIdle = [this] {
      std::lock_guard l(m);
      ++idles;
    };
    return h;
  }
};

void WaitIdle(Worker& w) {
  for (int i = 0; i < 5000 && !(w.AtRest()); ++i) std::this_thread::sleep_for(1ms);
  ASSERT_EQ(w.JobCode(), kJobIdle);
}

TEST(Worker, FramesEachJobWithTheLampAndSendsIdle) {
  Recorder r;
  Worker w(r.table, r.Hooks());
  w.Start(Job::DetectQuiet);
  WaitIdle(w);
  w.StartJob(Job::Program);
  WaitIdle(w);
  w.StartJob(Job::Erase);
  WaitIdle(w);
  w.StartJob(static_cast<Job>(kNoRow));
  WaitIdle(w);
  w.Exit();
  std::lock_guard l(r.m);
  // detection ends neutral, success 3, failure 2, unknown code 2
  EXPECT_EQ(r.lamps, (std::vector<std::uint8_t>{1, 0, 1, 3, 1, 2, 1, 2}));
  EXPECT_EQ(r.jobs, (std::vector<std::uint8_t>{B(Job::DetectQuiet), B(Job::Program), B(Job::Erase),
                                               kNoRow}));
  EXPECT_EQ(r.idles, 4);
}

TEST(Worker, AJobThatShowsItsOwnOutcomeKeepsTheLampItLeft) {
  Recorder r;
  r.table.Add({Job::BatchStep, [] { return true; }, LampRule::OwnLamp});
  Worker w(r.table, r.Hooks());
  w.Start(Job::BatchStep);
  WaitIdle(w);
  w.Exit();
  std::lock_guard l(r.m);
  // Busy at the start, then nothing: no "succeeded" on a chip the job did not end with.
  EXPECT_EQ(r.lamps, (std::vector<std::uint8_t>{1}));
}

TEST(Worker, NoIdleCommandWhileTheLinkIsClosed) {
  Recorder r;
  r.linkOpen = false;
  Worker w(r.table, r.Hooks());
  w.Start(Job::DetectQuiet);
  WaitIdle(w);
  w.Exit();
  EXPECT_EQ(r.idles, 0);
}

TEST(Worker, ARequestDuringAJobIsNotQueued) {
  Recorder r;
  r.holdJob = true;
  Worker w(r.table, r.Hooks());
  w.Start(Job::AutoProgram);
  while (r.jobsStarted.load() == 0) std::this_thread::sleep_for(1ms);
  w.StartJob(Job::Erase);  // the running job is not interrupted, and 5 never runs
  EXPECT_EQ(w.JobCode(), JobByte(Job::Erase));
  r.holdJob = false;
  WaitIdle(w);
  std::this_thread::sleep_for(20ms);
  w.Exit();
  std::lock_guard l(r.m);
  EXPECT_EQ(r.jobs, (std::vector<std::uint8_t>{B(Job::AutoProgram)}));
}

TEST(Worker, DeviceChangesDuringAJobRunDetectionOnceBelow48) {
  Recorder r;
  r.holdJob = true;
  Worker w(r.table, r.Hooks());
  w.Start(Job::DetectQuiet);
  while (r.jobsStarted.load() == 0) std::this_thread::sleep_for(1ms);
  for (int i = 0; i < 30; ++i) w.DeviceChanged();
  r.holdJob = false;
  WaitIdle(w);
  w.Exit();
  std::lock_guard l(r.m);
  EXPECT_EQ(r.jobs.size(), 1u);
  EXPECT_FALSE(w.DeviceChangeFlag().load());
  EXPECT_EQ(w.DeviceChangeCount(), 0);
}

TEST(Worker, FoldingRuleOfDeviceChangeCounts) {
  struct Case {
    int notifications;
    bool again;
  };
  for (Case c : {Case{47, false}, Case{48, true}, Case{49, true}, Case{64, false}, Case{80, false},
                 Case{96, true}}) {
    Recorder r;
    Worker w(r.table, r.Hooks());
    for (int i = 0; i < c.notifications; ++i) w.DeviceChanged();
    EXPECT_EQ(w.FoldDeviceChanges(), c.again) << c.notifications;
    EXPECT_EQ(w.DeviceChangeFlag().load(), c.again) << c.notifications;
  }
}

TEST(Worker, DeviceChangeWhileIdleRunsTheQuietDetection) {
  Recorder r;
  Worker w(r.table, r.Hooks());
  w.Start(Job::DetectQuiet);
  WaitIdle(w);
  w.DeviceChanged();
  for (int i = 0; i < 2000 && r.jobsStarted.load() < 2; ++i) std::this_thread::sleep_for(1ms);
  WaitIdle(w);
  w.Exit();
  std::lock_guard l(r.m);
  EXPECT_EQ(r.jobs, (std::vector<std::uint8_t>{B(Job::DetectQuiet), B(Job::DetectQuiet)}));
}

TEST(Worker, ExitWhileIdleEndsTheThread) {
  Recorder r;
  Worker w(r.table, r.Hooks());
  w.Start(Job::DetectQuiet);
  WaitIdle(w);
  w.Exit();
  EXPECT_FALSE(w.Running());
}

}  // namespace
}  // namespace tarnwick
