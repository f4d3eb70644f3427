// The window's list choices and the worker's detections change the same
// selection; run together (under ThreadSanitizer in the sanitizer suite)
// they must not race, and the model applied is the one the user clicked.
#include <atomic>
#include <thread>

#include "core/session/session_fixture.h"

namespace tarnwick::test {
namespace {

class SelectionRace : public SessionTest {};

TEST_F(SelectionRace, ListChoicesDuringDetectionsApplyWhatWasClicked) {
  Boot(DefaultBox(), true);
  ChipSelection& sel = session->selection();
  std::atomic<bool> done{false};
  std::thread plug([&] {
    for (int i = 0; i < 20 && !done; ++i) {
      session->OnDeviceChange();  // a hot-plug detection
      std::this_thread::sleep_for(std::chrono::milliseconds(3));
    }
  });
  const std::vector<std::string> types = sel.Types();
  ASSERT_GE(types.size(), 2u);
  for (int round = 0; round < 200; ++round) {
    const int t = round % static_cast<int>(types.size());
    session->OnListChanged(ids::kTypeList, t, types[static_cast<std::size_t>(t)]);
    const std::vector<std::string> models = sel.Models();
    if (!models.empty()) {
      const int m = round % static_cast<int>(models.size());
      session->OnListChanged(ids::kModelList, m, models[static_cast<std::size_t>(m)]);
    }
  }
  done = true;
  plug.join();
  WaitIdle();

  // A click on an entry of a list the worker refilled meanwhile: the entry's
  // text decides, not its old position.
  session->OnListChanged(ids::kTypeList, 0, types[0]);
  const std::vector<std::string> models = sel.Models();
  ASSERT_GE(models.size(), 2u);
  const std::string wanted = models[1];
  session->OnListChanged(ids::kModelList, 0, wanted);
  EXPECT_EQ(sel.ModelText(), wanted);
  session->OnListChanged(ids::kModelList, 1, "a model no list holds");
  EXPECT_EQ(sel.ModelText(), wanted) << "a vanished entry changes nothing";
}

}  // namespace
}  // namespace tarnwick::test
