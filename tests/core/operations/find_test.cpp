// Find in the file image (job 24): the job waits at each hit until the
// dialog answers through the job-code byte, and says at the end what it
// found.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <mutex>
#include <thread>

#include "core/app/text_ids.h"
#include "core/operations/find/find_texts.h"
#include "core/operations/find/image_finder.h"
#include "core/operations/operation_rig.h"

namespace tarnwick::test {
namespace {

class RecordingFindView : public FindView {
 public:
  void ShowHit(std::uint64_t offset, std::size_t) override {
    std::lock_guard l(m);
    hits.push_back(offset);
  }
  void SearchEnded(int n) override {
    std::lock_guard l(m);
    ended = n;
  }
  std::size_t Count() {
    std::lock_guard l(m);
    return hits.size();
  }
  std::mutex m;
  std::vector<std::uint64_t> hits;
  int ended = -1;
};

// Goes on at once at every hit, counting them.
class CountingContinueView : public FindView {
 public:
  explicit CountingContinueView(ImageFinder& f) : finder(f) {}
  void ShowHit(std::uint64_t, std::size_t) override {
    ++hits;
    finder.Continue();
  }
  void SearchEnded(int n) override { ended = n; }
  ImageFinder& finder;
  std::atomic<int> hits{0};
  std::atomic<int> ended{-1};
};

class FindTest : public ChipRigTest {
 protected:
  void SetUp() override {
    ChipRigTest::SetUp();
    Boot(DefaultBox());
    finder = std::make_unique<ImageFinder>(rig->ctx, rig->worker, rig->launcher);
    finder->AddJobs(rig->jobs);
    finder->SetView(&view);
  }
  void TearDown() override {
    finder->SetView(nullptr);
    ChipRigTest::TearDown();
  }
  // Starts the search and waits until it stands at hit number `n`.
  void WaitAtHit(std::size_t n) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!(finder->WaitingAtHit() && view.Count() == n)) {
      ASSERT_LT(std::chrono::steady_clock::now(), deadline);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  RecordingFindView view;
  std::unique_ptr<ImageFinder> finder;
};

TEST_F(FindTest, TheSearchWaitsAtEachHitAndGoesOnWhenTold) {
  Bytes data(3 << 20, 0x00);  // three reads' worth
  for (std::uint64_t at : {5u, (1u << 20) - 2, 2u << 20}) {
    data[at] = 0x12;
    data[at + 1] = 0x34;
    data[at + 2] = 0x56;
  }
  LoadFile("image.bin", data);
  finder->SetPattern({0x12, 0x34, 0x56});
  rig->worker.Start(Job::Find);
  WaitAtHit(1);
  finder->Continue();
  WaitAtHit(2);
  finder->Continue();
  WaitAtHit(3);
  finder->Continue();
  WaitIdle();
  EXPECT_EQ(view.hits, (std::vector<std::uint64_t>{5, (1u << 20) - 2, 2u << 20}));
  EXPECT_EQ(view.ended, 3);
  ASSERT_FALSE(surface.Boxes().empty());
  EXPECT_EQ(surface.Boxes().back().text, I(itext::kFindFinished));
  EXPECT_EQ(rig->worker.JobCode(), kJobIdle);
}

TEST_F(FindTest, AbandoningEndsTheSearchAtOnceAndNothingFoundIsSaid) {
  LoadFile("image.bin", Bytes{0xAA, 0xAA, 0xAA, 0xAB, 0xAA, 0xAB});
  finder->SetPattern({0xAA, 0xAB});
  rig->worker.Start(Job::Find);
  WaitAtHit(1);
  finder->Abandon();
  WaitIdle();
  EXPECT_EQ(view.hits, std::vector<std::uint64_t>{2});
  EXPECT_EQ(view.ended, -1);  // no end report after an abandon

  finder->SetPattern({0x01});
  EXPECT_FALSE(Run(Job::Find));
  EXPECT_EQ(surface.Boxes().back().text, I(itext::kFindNothing));
}

TEST_F(FindTest, AnImageThatCannotBeReadIsAnErrorNotNothingFound) {
  LoadFile("image.bin", Bytes(4096, 0x00));
  // The working copy now reads with an I/O error, as a failing disk would:
  // the kernel refuses reads of this process's unmapped first page.
  const std::string copy = rig->image.workingCopyPath();
  ASSERT_TRUE(std::filesystem::remove(copy));
  std::filesystem::create_symlink("/proc/self/mem", copy);
  finder->SetPattern({0x12, 0x34});
  EXPECT_FALSE(Run(Job::Find));
  EXPECT_TRUE(finder->SearchFailed());
  ASSERT_FALSE(surface.Boxes().empty());
  EXPECT_EQ(surface.Boxes().back().text, find_texts::ReadFailedAt(0));
  EXPECT_NE(surface.Boxes().back().text, I(itext::kFindNothing));

  // The next search over a readable image is a search like any other.
  std::filesystem::remove(copy);
  LoadFile("image.bin", Bytes{0x12, 0x35});
  EXPECT_FALSE(Run(Job::Find));
  EXPECT_FALSE(finder->SearchFailed());
  EXPECT_EQ(surface.Boxes().back().text, I(itext::kFindNothing));
}

TEST_F(FindTest, NoImageIsAWarning) {
  finder->SetPattern({0x01});
  EXPECT_FALSE(Run(Job::Find));
  EXPECT_EQ(surface.Boxes().back().text, I(itext::kNoFileLoaded));
}

// Answers each hit at once with "go on", then cancels while the search
// scans towards the next hit, as a dialog closed during a long scan does.
class CancelWhileScanningView : public FindView {
 public:
  explicit CancelWhileScanningView(ImageFinder& f) : finder(f) {}
  void ShowHit(std::uint64_t offset, std::size_t) override {
    hits.push_back(offset);
    finder.Continue();
    finder.Abandon();
  }
  void SearchEnded(int) override { ended = true; }
  ImageFinder& finder;
  std::vector<std::uint64_t> hits;
  std::atomic<bool> ended{false};
};

TEST_F(FindTest, ACancelWhileScanningEndsTheSearchWithoutAFinishedBox) {
  Bytes data(std::size_t{8} << 20, 0x00);
  data[3] = 0x5A;
  data[data.size() - 1] = 0x5A;
  LoadFile("image.bin", data);
  CancelWhileScanningView canceller(*finder);
  finder->SetView(&canceller);
  finder->SetPattern({0x5A});
  const std::size_t boxesBefore = surface.Boxes().size();
  Run(Job::Find);
  finder->SetView(&view);
  EXPECT_EQ(canceller.hits, std::vector<std::uint64_t>{3});
  EXPECT_FALSE(canceller.ended.load());
  EXPECT_EQ(surface.Boxes().size(), boxesBefore);
  EXPECT_EQ(rig->worker.JobCode(), kJobIdle);
}

// A hit every 256 bytes over two read buffers: each is shown once and counted,
// also those the search finds in the buffer it already holds.
TEST_F(FindTest, ManyHitsAcrossReadBuffersAreAllShownAndCounted) {
  Bytes image(std::size_t{2} << 20, 0x00);
  for (std::size_t i = 0; i < image.size(); i += 256) image[i] = image[i + 1] = 0xFF;
  LoadFile("image.bin", image);
  CountingContinueView counter(*finder);
  finder->SetView(&counter);
  finder->SetPattern({0xFF, 0xFF});
  EXPECT_TRUE(Run(Job::Find));
  finder->SetView(&view);
  constexpr int kHits = (2 << 20) / 256;
  EXPECT_EQ(counter.hits.load(), kHits);
  EXPECT_EQ(finder->HitsShown(), kHits);
  EXPECT_EQ(counter.ended.load(), kHits);
  EXPECT_EQ(surface.Boxes().back().text, I(itext::kFindFinished));
}

TEST_F(FindTest, ADeviceChangeWhileWaitingAtAHitIsNotOverwrittenByAnAnswer) {
  LoadFile("image.bin", Bytes{0x01, 0x02, 0x01, 0x02});
  finder->SetPattern({0x01});
  rig->worker.Start(Job::Find);
  WaitAtHit(1);
  rig->worker.DeviceChanged();
  finder->Continue();
  WaitIdle();
  // The search ended at the hit it stood at: the answer did not revive it.
  EXPECT_EQ(view.hits, std::vector<std::uint64_t>{0});
  EXPECT_EQ(view.ended, -1);
}

TEST_F(FindTest, AnAbandonWithNoSearchRunningLeavesAnotherJobsCodeAlone) {
  // A dialog closed while programming runs (the window closing) abandons.
  rig->worker.SetJobCode(JobByte(Job::Program));
  finder->Abandon();
  finder->Continue();
  EXPECT_EQ(rig->worker.JobCode(), JobByte(Job::Program));
  rig->worker.SetJobCode(kJobIdle);
}

}  // namespace
}  // namespace tarnwick::test
