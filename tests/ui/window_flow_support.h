// Helpers for the whole-window flow tests: what the user sees, files on disk,
// dropped files and answers to modal dialogs (file choosers, the offset
// dialog) that a click opens.
#pragma once

#include <QApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <vector>

#include "core/app/text_table.h"
#include "core/buffers/file_image.h"
#include "core/device/worker.h"
#include "core/session/session.h"
#include "main_window_fixture.h"
#include "resources/ids.h"
#include "ui/app/main_menu.h"
#include "ui/grid/grid_ctrl.h"

namespace tarnwick::test {

inline constexpr int kLongWaitMs = 60000;

// Opens `d` through the main window's menu item; true once it shows.
template <typename D>
bool Open(ProgrammerDlg& w, int menuId, D& d) {
  w.menu().Action(menuId)->trigger();
  return QTest::qWaitFor([&] { return d.isVisible(); }, kLongWaitMs);
}

// Typed into the dialog's edit `id` as the user types, then Enter.
inline void TypeAndEnter(QWidget& d, int id, const QString& text) {
  auto* e = d.findChild<QLineEdit*>(QStringLiteral("ctl%1").arg(id));
  e->setFocus();
  e->selectAll();
  QTest::keyClicks(e, text);
  QTest::keyClick(e, Qt::Key_Return);
}

inline QString Itext(ProgrammerDlg& w, int n) {
  return QString::fromStdString(w.session().texts().itext(n));
}
inline QString Ftext(ProgrammerDlg& w, int n) {
  return QString::fromStdString(w.session().texts().ftext(n));
}
inline QString StatusText(ProgrammerDlg& w) {
  return qobject_cast<QLabel*>(w.Control(ids::kStatusLine))->text();
}
inline QString PaneText(ProgrammerDlg& w) {
  return qobject_cast<QPlainTextEdit*>(w.Control(ids::kLogPane))->toPlainText();
}
inline QString ControlCaption(ProgrammerDlg& w, int id) {
  QWidget* c = w.Control(id);
  if (auto* b = qobject_cast<QAbstractButton*>(c)) return b->text();
  if (auto* l = qobject_cast<QLabel*>(c)) return l->text();
  if (auto* e = qobject_cast<QLineEdit*>(c)) return e->text();
  return {};
}
inline QComboBox* Combo(ProgrammerDlg& w, int id) {
  return qobject_cast<QComboBox*>(w.Control(id));
}
inline CGridCtrl* Grid(ProgrammerDlg& w) {
  return qobject_cast<CGridCtrl*>(w.Control(ids::kHexGrid));
}
inline QPushButton* Button(ProgrammerDlg& w, int id) {
  return qobject_cast<QPushButton*>(w.Control(id));
}

// A dialog's control by its id, as the dialog's builder made it.
template <typename W, typename D>
W* DialogControl(D& dialog, int id) {
  return qobject_cast<W*>(dialog.Control(id));
}

inline bool WorkerIdle(ProgrammerDlg& w) {
  const Worker& k = w.session().worker();
  return k.AtRest();
}

// Shows the window, runs the rest of the start-up and waits until the quiet
// start-up detection has finished.
inline bool ShowAndStart(WindowHarness& h) {
  ProgrammerDlg& w = h.window();
  w.show();
  if (!QTest::qWaitForWindowExposed(&w)) return false;
  w.Start();
  // The worker starts with the detection job; wait until it picked it up and ran it.
  QTest::qWait(50);
  return QTest::qWaitFor([&] { return WorkerIdle(w); }, kLongWaitMs);
}

// Waits for the worker to finish what a click started.
inline bool WaitForJob(ProgrammerDlg& w, const std::function<bool()>& done = {}) {
  return QTest::qWaitFor(
      [&] {
        QCoreApplication::processEvents();
        w.surface().Flush();
        return WorkerIdle(w) && (!done || done());
      },
      kLongWaitMs);
}

// Picks an entry of a chip list the way a user's choice does.
inline bool Choose(ProgrammerDlg& w, int listId, const QString& text) {
  QComboBox* c = Combo(w, listId);
  const int index = c->findText(text, Qt::MatchExactly);
  if (index < 0) return false;
  c->setCurrentIndex(index);
  QCoreApplication::processEvents();
  return c->currentText() == text;
}
inline bool ChooseChip(ProgrammerDlg& w, const QString& type, const QString& maker,
                       const QString& model) {
  return Choose(w, ids::kTypeList, type) && Choose(w, ids::kMakerList, maker) &&
         Choose(w, ids::kModelList, model);
}

inline QByteArray ReadAll(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll();
}
inline bool WriteAll(const QString& path, const QByteArray& data) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(data) == data.size();
}
// Bytes that differ from their neighbours and from the virtual chip's pattern.
inline QByteArray Pattern(int size, unsigned seed = 7) {
  QByteArray b(size, '\0');
  unsigned x = seed * 2654435761u + 1;
  for (int i = 0; i < size; ++i) {
    x = x * 1103515245u + 12345u;
    b[i] = static_cast<char>(x >> 16);
  }
  return b;
}

// A file dropped from a file manager onto `target`.
inline void DropFile(QWidget* target, const QString& path) {
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(path)});
  const QPoint pos(target->width() / 2, target->height() / 2);
  QDragEnterEvent enter(pos, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  QDropEvent drop(QPointF(pos), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
}

// Acts on modal dialogs as they come up, one step after the other. A click
// that opens a dialog blocks in its event loop; the steps run from a timer
// inside it. Dialogs still open after the time limit are rejected, so a
// broken flow fails instead of hanging.
class ModalScript {
 public:
  using Ready = std::function<bool(QWidget*)>;
  using Act = std::function<void(QWidget*)>;

  explicit ModalScript(int limitMs = 30000) {
    timer_.setInterval(20);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    deadline_.start();
    limitMs_ = limitMs;
    timer_.start();
  }
  void Then(Ready ready, Act act) { steps_.push_back({std::move(ready), std::move(act)}); }
  // The next file dialog gets `path` and is accepted.
  void ChooseFile(const QString& path) {
    Then([](QWidget* m) { return qobject_cast<QFileDialog*>(m) != nullptr; },
         [path](QWidget* m) {
           auto* d = qobject_cast<QFileDialog*>(m);
           d->selectFile(path);
           // selectFile leaves a focused name field alone (the save dialog's).
           if (auto* name = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
             name->setText(path);
           }
           static_cast<QDialog*>(d)->accept();  // the file dialog's own checks run
         });
  }
  bool Done() const { return next_ == steps_.size(); }
  bool TimedOut() const { return timedOut_; }

  // A dialog of the given object name.
  static Ready Named(const char* name) {
    return [name](QWidget* m) { return m->objectName() == QLatin1String(name) && m->isVisible(); };
  }

 private:
  struct Step {
    Ready ready;
    Act act;
  };
  void Poll() {
    QWidget* m = QApplication::activeModalWidget();
    if (deadline_.elapsed() > limitMs_) {
      timedOut_ = true;
      if (auto* d = qobject_cast<QDialog*>(m)) d->reject();
      return;
    }
    if (m == nullptr || Done() || busy_) return;
    if (!steps_[next_].ready(m)) return;
    busy_ = true;  // an action may open a nested loop (a message box)
    const Act act = steps_[next_].act;
    ++next_;
    act(m);
    busy_ = false;
  }

  QTimer timer_;
  QElapsedTimer deadline_;
  int limitMs_ = 30000;
  std::vector<Step> steps_;
  std::size_t next_ = 0;
  bool busy_ = false;
  bool timedOut_ = false;
};

}  // namespace tarnwick::test
