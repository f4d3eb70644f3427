#include "ui/app/qt_window_surface.h"

#include <QApplication>
#include <QMetaObject>
#include <QStringList>
#include <QThread>
#include <chrono>
#include <condition_variable>
#include <memory>

#include "resources/ids.h"
#include "ui/app/message_box.h"

namespace tarnwick {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// The answer of a box nobody will see: its cancelling button.
BoxAnswer CancellingAnswer(BoxButtons buttons) {
  switch (buttons) {
    case BoxButtons::Ok:
      return BoxAnswer::Ok;
    case BoxButtons::YesNo:
      return BoxAnswer::No;
    default:
      return BoxAnswer::Cancel;
  }
}

// A question handed from a worker to the GUI thread.
struct PendingAnswer {
  std::mutex m;
  std::condition_variable cv;
  bool done = false;
  BoxAnswer answer = BoxAnswer::Cancel;
};

}  // namespace

QtWindowSurface::QtWindowSurface(QObject* context, SurfaceView& view)
    : context_(context), view_(view) {}

QtWindowSurface::~QtWindowSurface() { Shutdown(); }

bool QtWindowSurface::OnGuiThread() const {
  return QThread::currentThread() == (context_ ? context_->thread() : qApp->thread());
}

void QtWindowSurface::Shutdown() {
  shutdown_ = true;
  std::lock_guard lock(queueMutex_);
  queue_.clear();
}

void QtWindowSurface::Post(std::function<void()> work) {
  if (shutdown_) return;
  bool postDrain = false;
  {
    std::lock_guard lock(queueMutex_);
    queue_.push_back(std::move(work));
    if (!drainPosted_) {
      drainPosted_ = true;
      postDrain = true;
    }
  }
  if (OnGuiThread()) {
    Flush();
    return;
  }
  if (postDrain && context_) {
    QMetaObject::invokeMethod(
        context_, [this] { Flush(); }, Qt::QueuedConnection);
  }
}

void QtWindowSurface::Flush() {
  // A widget call may raise a signal that reports again; its work joins the
  // queue and runs after the current item, keeping the call order.
  if (draining_) return;
  draining_ = true;
  for (;;) {
    std::function<void()> work;
    {
      std::lock_guard lock(queueMutex_);
      if (queue_.empty()) {
        drainPosted_ = false;
        break;
      }
      work = std::move(queue_.front());
      queue_.pop_front();
    }
    if (!shutdown_) work();
  }
  draining_ = false;
}

void QtWindowSurface::SetStatusLine(const std::string& text, bool error) {
  {
    std::lock_guard lock(shadowMutex_);
    texts_[ids::kStatusLine] = text;
  }
  Post([this, t = Q(text), error] { view_.ViewStatusLine(t, error); });
}

void QtWindowSurface::Beep() {
  Post([] { QApplication::beep(); });
}

void QtWindowSurface::WritePaneLine(const std::string& line, bool replaceLast) {
  Post([this, l = Q(line), replaceLast] { view_.ViewPaneLine(l, replaceLast); });
}

void QtWindowSurface::ClearPane() {
  Post([this] { view_.ViewClearPane(); });
}

void QtWindowSurface::ShowProgress(bool visible) {
  Post([this, visible] { view_.ViewProgressVisible(visible); });
}

void QtWindowSurface::SetProgress(int position, const std::string& text) {
  Post([this, position, t = Q(text)] { view_.ViewProgress(position, t); });
}

void QtWindowSurface::SetCommandEnabled(int id, bool enabled) {
  {
    std::lock_guard lock(shadowMutex_);
    enabled_[id] = enabled;
  }
  Post([this, id, enabled] { view_.ViewCommandEnabled(id, enabled); });
}

bool QtWindowSurface::IsCommandEnabled(int id) {
  std::lock_guard lock(shadowMutex_);
  const auto it = enabled_.find(id);
  return it == enabled_.end() || it->second;
}

void QtWindowSurface::SetMenuChecked(int id, bool checked) {
  {
    std::lock_guard lock(shadowMutex_);
    checked_[id] = checked;
  }
  Post([this, id, checked] { view_.ViewMenuChecked(id, checked); });
}

bool QtWindowSurface::IsMenuChecked(int id) {
  std::lock_guard lock(shadowMutex_);
  const auto it = checked_.find(id);
  return it != checked_.end() && it->second;
}

void QtWindowSurface::SetControlText(int id, const std::string& text) {
  {
    std::lock_guard lock(shadowMutex_);
    texts_[id] = text;
  }
  Post([this, id, t = Q(text)] { view_.ViewControlText(id, t); });
}

std::string QtWindowSurface::ControlText(int id) {
  std::lock_guard lock(shadowMutex_);
  const auto it = texts_.find(id);
  return it == texts_.end() ? std::string() : it->second;
}

void QtWindowSurface::SetControlVisible(int id, bool visible) {
  Post([this, id, visible] { view_.ViewControlVisible(id, visible); });
}

void QtWindowSurface::SetCheckBox(int id, bool checked) {
  {
    std::lock_guard lock(shadowMutex_);
    checkBoxes_[id] = checked;
  }
  Post([this, id, checked] { view_.ViewCheckBox(id, checked); });
}

bool QtWindowSurface::IsCheckBoxChecked(int id) {
  std::lock_guard lock(shadowMutex_);
  const auto it = checkBoxes_.find(id);
  return it != checkBoxes_.end() && it->second;
}

void QtWindowSurface::SetListItems(int id, const std::vector<std::string>& items) {
  QStringList list;
  list.reserve(static_cast<qsizetype>(items.size()));
  for (const auto& s : items) list.append(Q(s));
  Post([this, id, list] { view_.ViewListItems(id, list); });
}

void QtWindowSurface::SetListSelection(int id, int index) {
  Post([this, id, index] { view_.ViewListSelection(id, index); });
}

void QtWindowSurface::SetPicture(int id, int iconResource) {
  Post([this, id, iconResource] { view_.ViewPicture(id, iconResource); });
}

void QtWindowSurface::HexViewChanged() {
  Post([this] { view_.ViewHexChanged(); });
}

BoxAnswer QtWindowSurface::Ask(const std::string& text, const std::string& caption, BoxIcon icon,
                               BoxButtons buttons) {
  if (shutdown_ || !context_) return CancellingAnswer(buttons);
  if (OnGuiThread()) {
    Flush();  // what was reported before the question shows before it
    return view_.ViewAsk(Q(text), Q(caption), icon, buttons);
  }
  // The worker waits here while the GUI thread keeps running its event loop;
  // a window that goes away meanwhile answers with the cancelling button.
  auto pending = std::make_shared<PendingAnswer>();
  Post([this, pending, t = Q(text), c = Q(caption), icon, buttons] {
    const BoxAnswer a = view_.ViewAsk(t, c, icon, buttons);
    std::lock_guard lock(pending->m);
    pending->answer = a;
    pending->done = true;
    pending->cv.notify_all();
  });
  std::unique_lock lock(pending->m);
  while (!pending->done) {
    if (shutdown_) return CancellingAnswer(buttons);
    pending->cv.wait_for(lock, std::chrono::milliseconds(50));
  }
  return pending->answer;
}

void QtWindowSurface::PlaySound(const std::string& absolutePath) {
  Post([this, p = Q(absolutePath)] { view_.ViewPlaySound(p); });
}

void QtWindowSurface::SeedEnabled(int id, bool enabled) {
  std::lock_guard lock(shadowMutex_);
  enabled_[id] = enabled;
}

void QtWindowSurface::SeedMenuChecked(int id, bool checked) {
  std::lock_guard lock(shadowMutex_);
  checked_[id] = checked;
}

void QtWindowSurface::SeedText(int id, const std::string& text) {
  std::lock_guard lock(shadowMutex_);
  texts_[id] = text;
}

void QtWindowSurface::SeedCheckBox(int id, bool checked) {
  std::lock_guard lock(shadowMutex_);
  checkBoxes_[id] = checked;
}

}  // namespace tarnwick
