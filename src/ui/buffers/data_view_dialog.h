// "数据查看": the file's and the chip's value at one address. The chip is
// identified and read on a thread of the session's own (it must not hold up
// this thread), and the result is posted back; the dialog may close, and
// the window too, while that runs: a result nobody waits for is dropped.
#pragma once

#include <QDialog>
#include <string>

#include "ui/app/dialog_builder.h"
#include "ui/app/gui_poster.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace tarnwick {

class HexViewPanel;
class Session;
struct DataViewResult;

class DataViewDialog : public QDialog {
  Q_OBJECT

 public:
  DataViewDialog(Session& session, HexViewPanel& panel, QWidget* parent);
  ~DataViewDialog() override;

  // The menu item: shows the dialog (modal to the window).
  void ShowFromMenu();
  // No result reaches the dialog from now on. Safe to call twice.
  void Detach();
  QWidget* Control(int id) const { return builder_.Control(id); }
  // OK: true when the look-up started.
  bool ViewClicked();
  // Between OK and the result.
  bool busy() const { return busy_; }

 private:
  void ShowResult(const DataViewResult& r, unsigned generation);
  void Warn(int text);

  Session& session_;
  HexViewPanel& panel_;
  DialogBuilder builder_;
  QLineEdit* address_ = nullptr;
  QLabel* fileValue_ = nullptr;
  QLabel* chipValue_ = nullptr;
  QLabel* state_ = nullptr;
  QPushButton* ok_ = nullptr;
  bool busy_ = false;
  // Counts openings: a result that comes after its dialog closed is old.
  unsigned generation_ = 0;
  GuiPoster poster_;
};

}  // namespace tarnwick
