#include "ui/app/gui_poster.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace tarnwick {

namespace {

// The GUI thread's end of the hand-off. A worker only queues a call to its
// Drain slot by name: the work itself waits in the state's locked queue, so
// nothing a worker allocated travels through Qt's event queue, and the lock
// is what orders the worker's writes before the GUI's reads.
class DrainTarget : public QObject {
  Q_OBJECT
 public:
  DrainTarget(QObject* parent, std::function<void()> drain)
      : QObject(parent), drain_(std::move(drain)) {}

  Q_INVOKABLE void Drain() { drain_(); }

 private:
  std::function<void()> drain_;  // set on the GUI thread before any worker posts
};

}  // namespace

struct GuiPoster::State {
  QObject* context = nullptr;
  // Lives on the GUI thread and belongs to the poster; set before any worker
  // posts. A drain call that arrives after the shutdown finds nothing to do.
  DrainTarget* target = nullptr;
  QMetaObject::Connection destroyedHook;
  std::mutex m;
  std::condition_variable cv;  // an answer arrived or the poster shut down
  std::deque<std::function<void()>> queue;
  std::atomic<bool> shutdown{false};
  bool drainPosted = false;
  bool draining = false;  // GUI thread only

  void Shut() {
    std::deque<std::function<void()>> dropped;
    {
      std::lock_guard lock(m);
      shutdown = true;
      dropped.swap(queue);
    }
    cv.notify_all();
  }

  void Drain() {
    if (draining) return;
    draining = true;
    for (;;) {
      std::function<void()> work;
      {
        std::lock_guard lock(m);
        if (queue.empty()) {
          drainPosted = false;
          break;
        }
        work = std::move(queue.front());
        queue.pop_front();
      }
      if (!shutdown) work();
    }
    draining = false;
  }
};

GuiPoster::GuiPoster(QObject* context)
    : guiThread_(context ? context->thread() : QCoreApplication::instance()->thread()),
      state_(std::make_shared<State>()) {
  state_->context = context ? context : QCoreApplication::instance();
  state_->target = new DrainTarget(nullptr, [weak = std::weak_ptr<State>(state_)] {
    if (const auto s = weak.lock()) s->Drain();
  });
  if (state_->target->thread() != guiThread_) state_->target->moveToThread(guiThread_);
  // A context that goes away takes its widgets along: nothing may run on
  // them any more, and a waiting worker must not wait for them.
  state_->destroyedHook =
      QObject::connect(state_->context, &QObject::destroyed, [weak = std::weak_ptr<State>(state_)] {
        if (const auto s = weak.lock()) s->Shut();
      });
}

GuiPoster::~GuiPoster() {
  Shutdown();
  QObject::disconnect(state_->destroyedHook);
  // A pending drain call goes with its target.
  if (OnGuiThread()) {
    delete state_->target;
  } else {
    state_->target->deleteLater();
  }
}

void GuiPoster::Shutdown() { state_->Shut(); }

bool GuiPoster::IsShutDown() const { return state_->shutdown; }

void GuiPoster::Post(std::function<void()> work) {
  State& s = *state_;
  const bool here = OnGuiThread();
  {
    std::lock_guard lock(s.m);
    if (s.shutdown) return;
    s.queue.push_back(std::move(work));
    // One drain call at a time; the GUI clears the mark under this lock
    // when it finds the queue empty.
    if (!s.drainPosted) {
      s.drainPosted = true;
      if (!here) QMetaObject::invokeMethod(s.target, "Drain", Qt::QueuedConnection);
    }
  }
  if (here) s.Drain();
}

void GuiPoster::Flush() { state_->Drain(); }

bool GuiPoster::RunAndWait(std::function<void()> work) {
  // The state outlives a poster destroyed while this thread waits.
  const std::shared_ptr<State> keep = state_;
  State& s = *keep;
  if (s.shutdown) return false;
  if (OnGuiThread()) {
    s.Drain();  // what was reported before the question shows before it
    work();
    return true;
  }
  // Shared with the queued work: after a shutdown the GUI may still finish
  // it (a box was open) when this caller has long gone.
  auto done = std::make_shared<bool>(false);
  Post([raw = &s, done, work = std::move(work)] {
    work();
    {
      std::lock_guard lock(raw->m);
      *done = true;
    }
    raw->cv.notify_all();
  });
  std::unique_lock lock(s.m);
  s.cv.wait(lock, [&] { return *done || s.shutdown; });
  return *done;
}

}  // namespace tarnwick

#include "gui_poster.moc"
