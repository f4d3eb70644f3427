// Hands work from any thread to the GUI thread, in call order, and lets a
// worker ask the GUI something and wait for the answer while the GUI keeps
// running its event loop. The window's surface and every dialog's view
// interface report through one of these.
//
// Once shut down (by Shutdown(), the destructor, or the context object going
// away) posted work is dropped and every waiting or later Ask() returns its
// cancelling answer at once: nobody is left to answer.
#pragma once

#include <QObject>
#include <QThread>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>

namespace tarnwick {

class GuiPoster {
 public:
  // `context` lives on the GUI thread; its thread is where the work runs.
  explicit GuiPoster(QObject* context);
  ~GuiPoster();

  GuiPoster(const GuiPoster&) = delete;
  GuiPoster& operator=(const GuiPoster&) = delete;

  // Queues `work` for the GUI thread. On the GUI thread itself it runs at
  // once, after whatever was queued before it.
  void Post(std::function<void()> work);

  // Runs the work queued so far (GUI thread only). Work posted while an item
  // runs (a widget signal that reports again) runs after it, in order.
  void Flush();

  // Runs `onGui` on the GUI thread and returns its answer; the caller blocks
  // until then, unless it is the GUI thread (then what was posted before
  // shows first). Returns `cancelling` when shut down before the answer.
  template <typename T>
  T Ask(std::type_identity_t<std::function<T()>> onGui, T cancelling) {
    auto answer = std::make_shared<std::optional<T>>();
    const bool answered = RunAndWait([answer, f = std::move(onGui)] { *answer = f(); });
    return answered && answer->has_value() ? std::move(**answer) : std::move(cancelling);
  }

  void Shutdown();
  bool IsShutDown() const;
  bool OnGuiThread() const { return QThread::currentThread() == guiThread_; }

 private:
  struct State;

  // Runs `work` on the GUI thread and waits for it to finish; false when the
  // poster shut down first.
  bool RunAndWait(std::function<void()> work);

  QThread* guiThread_;
  // Shared with the queued drain calls and the context's destroyed hook,
  // which may outlive the poster.
  std::shared_ptr<State> state_;
};

}  // namespace tarnwick
