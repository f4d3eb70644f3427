// "文件分割": cuts one file into consecutive parts at the typed byte
// offsets, the parts written beside it. Files on disk only. Every outcome
// is an information box.
#pragma once

#include <QDialog>

#include "ui/app/dialog_builder.h"

class QLineEdit;

namespace tarnwick {

class TextTable;

class SplitDialog : public QDialog {
  Q_OBJECT

 public:
  SplitDialog(const TextTable& texts, QWidget* parent);

  // The menu item: shows the dialog modally.
  void ShowFromMenu();
  QWidget* Control(int id) const { return builder_.Control(id); }

  void OpenClicked();
  // OK: true when every part was written.
  bool SplitClicked();

 private:
  const TextTable& texts_;
  DialogBuilder builder_;
  QLineEdit* source_ = nullptr;
  QLineEdit* points_ = nullptr;
};

}  // namespace tarnwick
