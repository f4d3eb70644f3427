// The job table keeps one row per code and finds rows by code and by their
// stop button; the worker runs nothing for a code without a row.
#include "core/device/job_table.h"

#include <gtest/gtest.h>

#include "core/app/command_router.h"

namespace tarnwick {
namespace {

TEST(JobTable, OneRowPerCodeAndNoneForTheIdleCode) {
  JobTable table;
  std::atomic<bool> cancel{false};
  int ran = 0;
  EXPECT_TRUE(
      table.Add({Job::Erase, [&ran] { return ++ran > 0; }, LampRule::Outcome, 1020, 36, &cancel}));
  EXPECT_FALSE(table.Add({Job::Erase, [] { return false; }})) << "a second row for a code";
  EXPECT_FALSE(table.Add({Job::Idle, [] { return true; }})) << "the idle code is no job";
  EXPECT_FALSE(table.Add({Job::Read, {}})) << "a row that runs nothing";
  ASSERT_NE(table.Find(Job::Erase), nullptr);
  EXPECT_TRUE(table.Find(Job::Erase)->run());
  EXPECT_EQ(ran, 1) << "the first row stayed";
  EXPECT_EQ(table.Find(Job::Read), nullptr);
  EXPECT_EQ(table.Find(std::uint8_t{99}), nullptr);
  EXPECT_EQ(table.FindByStopButton(1020), table.Find(Job::Erase));
  EXPECT_EQ(table.FindByStopButton(0), nullptr) << "0 means no stop button";
  EXPECT_EQ(table.Codes(), std::vector<Job>{Job::Erase});
}

TEST(CommandRouter, OneHandlerPerIdAndNothingForAnUnknownId) {
  CommandRouter router;
  int first = 0;
  int second = 0;
  EXPECT_TRUE(router.Register(7, [&] { ++first; }));
  EXPECT_FALSE(router.Register(7, [&] { ++second; }));
  EXPECT_TRUE(router.Dispatch(7));
  EXPECT_FALSE(router.Dispatch(8));
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 0);
  EXPECT_TRUE(router.Handles(7));
  EXPECT_EQ(router.Ids(), std::vector<int>{7});
}

}  // namespace
}  // namespace tarnwick
