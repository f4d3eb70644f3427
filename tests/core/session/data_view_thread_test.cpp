// The data view started from the window: it runs on a thread of its own,
// one at a time, and the close sequence waits for it before it lets the
// link go.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "core/app/text_ids.h"
#include "core/operations/data_view/data_view.h"
#include "protocol/protocol.h"
#include "resources/ids.h"
#include "session_fixture.h"

namespace tarnwick::test {
namespace {

class DataViewThreadTest : public SessionTest {
 protected:
  // Waits for `done` a few seconds at most.
  static bool WaitFor(const std::atomic<bool>& done) {
    for (int i = 0; i < 20000 && !done.load(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return done.load();
  }
};

TEST_F(DataViewThreadTest, TheResultComesFromAnotherThreadAndOnlyOneRunsAtATime) {
  Boot(DefaultBox(), true);
  LoadFile("f.bin", Bytes{0x11, 0x22, 0x33});
  std::atomic<bool> done{false};
  std::mutex m;
  DataViewResult got;
  std::thread::id where;
  ASSERT_TRUE(session->StartViewData("1", [&](const DataViewResult& r) {
    std::lock_guard lock(m);
    got = r;
    where = std::this_thread::get_id();
    done = true;
  }));
  // While the first one runs (or until its report), a second is refused.
  const bool second = session->StartViewData("2", {});
  ASSERT_TRUE(WaitFor(done));
  std::lock_guard lock(m);
  EXPECT_NE(where, std::this_thread::get_id());
  EXPECT_EQ(got.fileValue, "22");
  EXPECT_TRUE(got.chipRead);
  EXPECT_EQ(got.state, I(itext::kFileValueRead) + I(itext::kChipValueRead) + "...");
  if (!second) {
    // Refused while running: a new one is taken once it ended.
    for (int i = 0; i < 2000 && session->ViewDataRunning(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_TRUE(session->StartViewData("0", {}));
  }
}

TEST_F(DataViewThreadTest, TheCloseWaitsForARunningDataViewAndEndsItsWaitForTheWorker) {
  sim::BoxDescription d = DefaultBox();
  d.speed = sim::SpeedKind::Realistic;  // reading 8 MiB takes seconds
  Boot(d, true);
  // The worker reads the chip when the data view starts: the data view
  // waits for it, and the end of the run must end that wait.
  session->OnCommand(ids::kReadButton);
  for (int i = 0; i < 5000 && session->worker().AtRest(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_FALSE(session->worker().AtRest());
  std::atomic<bool> done{false};
  ASSERT_TRUE(session->StartViewData("0", [&](const DataViewResult&) { done = true; }));
  session->BeginExit();
  for (int i = 0; i < 20000 && !session->WorkerGone(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_TRUE(session->WorkerGone());
  EXPECT_TRUE(done.load());
  EXPECT_FALSE(session->ViewDataRunning());
  session->FinishClose();
  // Nothing starts once the run ends.
  EXPECT_FALSE(session->StartViewData("0", {}));
}

}  // namespace
}  // namespace tarnwick::test
