// Handing work to the GUI thread: call order across threads, questions from
// a worker answered while the GUI keeps running, and a poster that goes
// away under a waiting worker.
#include "ui/app/gui_poster.h"

#include <QEventLoop>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

using namespace tarnwick;

namespace {

// Runs `ask` on a thread of its own; the future holds its answer.
template <typename F>
auto OnWorker(F ask) {
  return std::async(std::launch::async, std::move(ask));
}

// Keeps the GUI busy in a nested loop for `ms`, as a modal box does.
void NestedLoop(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

}  // namespace

class GuiPosterTest : public QObject {
  Q_OBJECT

 private slots:
  void workRunsOnTheGuiThreadInCallOrder();
  void askFromAWorkerIsAnsweredWhileTheGuiRuns();
  void shutdownReleasesAWaitingWorkerAndDropsWork();
  void contextGoingAwayShutsThePosterDown();
};

void GuiPosterTest::workRunsOnTheGuiThreadInCallOrder() {
  QObject context;
  GuiPoster poster(&context);
  std::vector<std::pair<int, int>> ran;  // (thread, sequence); GUI thread only
  bool offGui = false;
  constexpr int kThreads = 4;
  constexpr int kEach = 500;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kEach; ++i) {
        poster.Post([&, t, i] {
          if (!poster.OnGuiThread()) offGui = true;
          ran.emplace_back(t, i);
        });
      }
    });
  }
  for (auto& t : threads) t.join();
  QVERIFY(ran.empty());  // nothing runs off the GUI thread's loop

  // Posting on the GUI thread runs at once, after what the workers queued;
  // work posted from inside work runs after it, not in the middle.
  poster.Post([&] {
    poster.Post([&] { ran.emplace_back(kThreads + 1, 0); });
    ran.emplace_back(kThreads, 0);
  });
  QCOMPARE(ran.size(), std::size_t{kThreads * kEach + 2});
  QCOMPARE(ran[ran.size() - 2], std::make_pair(kThreads, 0));
  QCOMPARE(ran.back(), std::make_pair(kThreads + 1, 0));
  QVERIFY(!offGui);
  std::vector<int> next(kThreads, 0);
  for (std::size_t k = 0; k + 2 < ran.size(); ++k) {
    const auto [t, i] = ran[k];
    QCOMPARE(i, next[static_cast<std::size_t>(t)]);
    ++next[static_cast<std::size_t>(t)];
  }

  // Work from a worker reaches the GUI through its event loop alone.
  ran.clear();
  std::thread([&] { poster.Post([&] { ran.emplace_back(0, 0); }); }).join();
  QTRY_COMPARE(ran.size(), std::size_t{1});
}

void GuiPosterTest::askFromAWorkerIsAnsweredWhileTheGuiRuns() {
  QObject context;
  GuiPoster poster(&context);
  int ticks = 0;
  QTimer ticker;
  connect(&ticker, &QTimer::timeout, this, [&] { ++ticks; });
  ticker.start(5);

  int ticksWhenAsked = -1;
  bool reportShown = false;
  bool reportShownFirst = false;
  auto answer = OnWorker([&] {
    poster.Post([&] { reportShown = true; });
    return poster.Ask(
        [&] {
          // Reported before the question, shown before it; the GUI keeps
          // running events while it answers.
          reportShownFirst = reportShown;
          ticksWhenAsked = ticks;
          NestedLoop(80);
          return std::make_unique<int>(42);  // any movable answer
        },
        std::unique_ptr<int>());
  });
  QTRY_VERIFY(answer.wait_for(std::chrono::seconds(0)) == std::future_status::ready);
  const std::unique_ptr<int> got = answer.get();
  QVERIFY(got != nullptr);
  QCOMPARE(*got, 42);
  QVERIFY(reportShownFirst);
  QVERIFY(ticksWhenAsked >= 0);
  QVERIFY(ticks > ticksWhenAsked + 3);

  // Asked on the GUI thread itself: answered at once, after what was posted.
  std::vector<int> order;
  std::thread([&] { poster.Post([&] { order.push_back(1); }); }).join();
  const int direct = poster.Ask(
      [&] {
        order.push_back(2);
        return 7;
      },
      -1);
  QCOMPARE(direct, 7);
  QCOMPARE(order, (std::vector<int>{1, 2}));
}

void GuiPosterTest::shutdownReleasesAWaitingWorkerAndDropsWork() {
  QObject context;
  auto poster = std::make_unique<GuiPoster>(&context);

  // A worker waits on a question the GUI has not taken up yet.
  std::atomic<bool> asked{false};
  bool answeredOnGui = false;
  auto waiting = OnWorker([&] {
    asked = true;
    return poster->Ask(
        [&] {
          answeredOnGui = true;
          return 1;
        },
        -1);
  });
  while (!asked) std::this_thread::yield();
  QTest::qSleep(20);  // the worker is inside Ask, the GUI loop has not run
  poster->Shutdown();
  QVERIFY(waiting.wait_for(std::chrono::seconds(5)) == std::future_status::ready);
  QCOMPARE(waiting.get(), -1);

  // A question the GUI is answering (a box is up) when the window goes:
  // the worker is released at once, the box ends later into nothing.
  poster = std::make_unique<GuiPoster>(&context);
  std::atomic<bool> workerBack{false};
  bool backWhileBoxUp = false;
  auto inBox = OnWorker([&] {
    const int a = poster->Ask(
        [&] {
          QTimer::singleShot(20, &context, [&] { poster->Shutdown(); });
          for (int i = 0; i < 500 && !workerBack; ++i) NestedLoop(10);
          backWhileBoxUp = workerBack;
          return 1;
        },
        -1);
    workerBack = true;
    return a;
  });
  QTRY_VERIFY(inBox.wait_for(std::chrono::seconds(0)) == std::future_status::ready);
  QCOMPARE(inBox.get(), -1);
  QVERIFY(backWhileBoxUp);

  // Later questions and work: cancelled at once, dropped.
  bool ran = false;
  std::thread([&] { poster->Post([&] { ran = true; }); }).join();
  poster->Post([&] { ran = true; });
  QCOMPARE(OnWorker([&] { return poster->Ask([] { return 1; }, -1); }).get(), -1);
  QCOMPARE(poster->Ask([] { return 1; }, -1), -1);
  QTest::qWait(20);
  QVERIFY(!ran);
  QVERIFY(!answeredOnGui);
  QVERIFY(poster->IsShutDown());
}

void GuiPosterTest::contextGoingAwayShutsThePosterDown() {
  auto context = std::make_unique<QObject>();
  GuiPoster poster(context.get());
  bool ran = false;
  std::atomic<bool> asked{false};
  auto waiting = OnWorker([&] {
    poster.Post([&] { ran = true; });
    asked = true;
    return poster.Ask([] { return 1; }, -1);
  });
  while (!asked) std::this_thread::yield();
  QTest::qSleep(20);
  context.reset();
  QVERIFY(waiting.wait_for(std::chrono::seconds(5)) == std::future_status::ready);
  QCOMPARE(waiting.get(), -1);
  QTest::qWait(20);
  QVERIFY(!ran);
  QVERIFY(poster.IsShutDown());
}

QTEST_MAIN(GuiPosterTest)
#include "gui_poster.moc"
