// The control state every front end reads back: its defaults for untouched
// controls, list refills, and use from several threads at once.
#include "core/app/control_state.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace tarnwick {
namespace {

TEST(ControlStateTest, UntouchedControlsReadAsTheTemplateLeavesThem) {
  const ControlState s;
  EXPECT_TRUE(s.IsEnabled(1019));  // the core only ever disables
  EXPECT_FALSE(s.IsMenuChecked(32809));
  EXPECT_EQ(s.Text(1018), "");
  EXPECT_FALSE(s.IsCheckBoxChecked(1006));
  EXPECT_TRUE(s.ListItems(1014).empty());
  EXPECT_EQ(s.ListSelection(1014), -1);
}

TEST(ControlStateTest, KindsOfStateAreKeptApartPerId) {
  // A command id names both a button and a menu item; a check box id is not
  // a menu check mark.
  ControlState s;
  s.SetEnabled(1022, false);
  s.SetMenuChecked(1006, true);
  s.SetText(1022, "Stop");
  EXPECT_FALSE(s.IsEnabled(1022));
  EXPECT_TRUE(s.IsEnabled(1023));
  EXPECT_TRUE(s.IsMenuChecked(1006));
  EXPECT_FALSE(s.IsCheckBoxChecked(1006));
  EXPECT_EQ(s.Text(1022), "Stop");
  s.SetEnabled(1022, true);
  s.SetText(1022, "");
  EXPECT_TRUE(s.IsEnabled(1022));
  EXPECT_EQ(s.Text(1022), "");
}

TEST(ControlStateTest, RefillingAListDropsItsSelection) {
  ControlState s;
  s.SetListItems(1015, {"EON", "GD"});
  EXPECT_EQ(s.ListSelection(1015), -1);
  s.SetListSelection(1015, 1);
  EXPECT_EQ(s.ListSelection(1015), 1);
  EXPECT_EQ(s.ListSelection(1016), -1);
  s.SetListItems(1015, {"MXIC"});
  EXPECT_EQ(s.ListItems(1015), std::vector<std::string>{"MXIC"});
  EXPECT_EQ(s.ListSelection(1015), -1);
}

TEST(ControlStateTest, WorkerWritesWhileTheWindowReads) {
  // Writers add ids the maps have never seen (the maps grow under the
  // readers), readers check that they only ever see whole values.
  ControlState s;
  constexpr int kWriters = 3;
  constexpr int kRounds = 2000;
  std::atomic<bool> done{false};
  std::atomic<int> torn{0};
  std::vector<std::thread> threads;
  for (int w = 0; w < kWriters; ++w) {
    threads.emplace_back([&s, w] {
      for (int i = 0; i < kRounds; ++i) {
        const int id = w * kRounds + i;
        s.SetEnabled(id, i % 2 == 0);
        s.SetText(id, std::string(64, static_cast<char>('a' + w)));
        s.SetMenuChecked(w, i % 2 == 1);
        s.SetCheckBox(id, true);
        s.SetListItems(w, std::vector<std::string>(static_cast<std::size_t>(i % 5 + 1), "x"));
        s.SetListSelection(w, i % 5);
      }
    });
  }
  for (int r = 0; r < 2; ++r) {
    threads.emplace_back([&] {
      while (!done.load()) {
        for (int w = 0; w < kWriters; ++w) {
          const std::string t = s.Text(w * kRounds + kRounds / 2);
          if (!t.empty() && t != std::string(64, static_cast<char>('a' + w))) ++torn;
          const std::vector<std::string> items = s.ListItems(w);
          if (items.size() > 5) ++torn;
          s.IsEnabled(w * kRounds);
          s.IsMenuChecked(w);
          s.IsCheckBoxChecked(w);
          s.ListSelection(w);
        }
      }
    });
  }
  for (int w = 0; w < kWriters; ++w) threads[static_cast<std::size_t>(w)].join();
  done = true;
  for (std::size_t t = kWriters; t < threads.size(); ++t) threads[t].join();

  EXPECT_EQ(torn.load(), 0);
  for (int w = 0; w < kWriters; ++w) {
    EXPECT_FALSE(s.IsEnabled(w * kRounds + kRounds - 1));
    EXPECT_TRUE(s.IsEnabled(w * kRounds + kRounds - 2));
    EXPECT_TRUE(s.IsCheckBoxChecked(w * kRounds + 7));
    EXPECT_TRUE(s.IsMenuChecked(w));
    EXPECT_EQ(s.ListItems(w).size(), std::size_t{(kRounds - 1) % 5 + 1});
    EXPECT_EQ(s.ListSelection(w), (kRounds - 1) % 5);
  }
}

}  // namespace
}  // namespace tarnwick
