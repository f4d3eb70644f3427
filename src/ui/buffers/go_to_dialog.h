// "文件地址定位": go to address. Modeless and long-lived: OK moves the hex
// view's focus cell to the typed address and the dialog stays open for the
// next one; its exit button hides it.
#pragma once

#include <QDialog>

#include "ui/app/dialog_builder.h"

class QLineEdit;

namespace tarnwick {

class HexViewPanel;
class Session;

class GoToDialog : public QDialog {
  Q_OBJECT

 public:
  GoToDialog(Session& session, HexViewPanel& panel, QWidget* parent);

  // The menu item: shows the dialog, or brings it to the front.
  void ShowFromMenu();
  QWidget* Control(int id) const { return builder_.Control(id); }
  // OK: true when the hex view moved.
  bool GoClicked();

 private:
  Session& session_;
  HexViewPanel& panel_;
  DialogBuilder builder_;
  QLineEdit* address_ = nullptr;
};

}  // namespace tarnwick
