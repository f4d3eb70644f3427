// A main window in its own temporary base directory, for the window tests.
#pragma once

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>
#include <string>

#include "sim/box_description.h"
#include "sim/virtual_box.h"
#include "ui/app/programmer_dlg.h"
#include "ui/app/qt_window_surface.h"

namespace tarnwick::test {

struct WindowFiles {
  bool texts = true;
  bool catalogue = true;
  const char* textSet = "en";  // the shipped set copied into the base directory
  std::string textDir;         // as --lang gives it; empty: the base directory's tables
};

class WindowHarness {
 public:
  // `describe` may change the virtual box (faults, chip, absent box) before it is built.
  explicit WindowHarness(WindowFiles files = {}, sim::SpeedKind speed = sim::SpeedKind::Instant,
                         const std::function<void(sim::BoxDescription&)>& describe = {}) {
    base_ = WithSlash(dir_.path());
    if (files.texts) {
      for (const char* f : {"ftext.ini", "itext.ini"}) {
        QFile::copy(
            QStringLiteral(TARNWICK_SOURCE_DIR "/resources/lang/") + files.textSet + '/' + f,
            base_ + f);
      }
    }
    if (files.catalogue) {
      QFile::copy(QStringLiteral(TARNWICK_PORTABLE_DIR "/database.dat"), base_ + "database.dat");
    }
    sim::BoxDescription d = sim::DefaultBoxDescription(base_.toStdString());
    d.speed = speed;
    if (describe) describe(d);
    std::string error;
    box_ = sim::VirtualBox::Create(d, error);
    if (!box_) qFatal("virtual box: %s", error.c_str());
    DataLayout layout = OneFolderLayout(base_.toStdString());
    if (!files.textDir.empty()) {
      layout.ftextFile = files.textDir + "ftext.ini";
      layout.itextFile = files.textDir + "itext.ini";
    }
    window_ = std::make_unique<ProgrammerDlg>(ProgrammerDlg::Options{layout, true}, *box_);
  }

  ProgrammerDlg& window() { return *window_; }
  sim::VirtualBox& box() { return *box_; }
  const QString& base() const { return base_; }
  bool hasCatalogue() const { return QFile::exists(base_ + "database.dat"); }
  // Destroys the window (as the end of the run does).
  void Reset() { window_.reset(); }

  // Lets queued surface work and pending events run.
  void Settle(int ms = 0) {
    QCoreApplication::processEvents();
    if (ms > 0) QTest::qWait(ms);
    window_->surface().Flush();
    QCoreApplication::processEvents();
  }

 private:
  static QString WithSlash(const QString& p) { return p.endsWith('/') ? p : p + '/'; }

  QTemporaryDir dir_;
  QString base_;
  std::unique_ptr<sim::VirtualBox> box_;
  std::unique_ptr<ProgrammerDlg> window_;
};

}  // namespace tarnwick::test

#include <QAbstractButton>
#include <QMessageBox>
#include <QTimer>
#include <vector>

namespace tarnwick::test {

// Answers every modal message box that appears, recording its text.
class BoxWatcher {
 public:
  explicit BoxWatcher(QMessageBox::StandardButton answer = QMessageBox::Ok) : answer_(answer) {
    timer_.setInterval(20);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start();
  }
  void SetAnswer(QMessageBox::StandardButton a) { answer_ = a; }
  const std::vector<QString>& texts() const { return texts_; }
  const std::vector<QString>& captions() const { return captions_; }
  // Called with the box still open, before it is answered.
  std::function<void()> onShown;

 private:
  void Poll() {
    // onShown may wait in an event loop of its own: the box is answered once.
    if (inPoll_) return;
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    texts_.push_back(box->text());
    captions_.push_back(box->windowTitle());
    inPoll_ = true;
    if (onShown) onShown();
    inPoll_ = false;
    QAbstractButton* b = box->button(answer_);
    if (b == nullptr) b = box->buttons().value(0);
    b->click();
  }

  QTimer timer_;
  bool inPoll_ = false;
  QMessageBox::StandardButton answer_;
  std::vector<QString> texts_;
  std::vector<QString> captions_;
};

}  // namespace tarnwick::test
