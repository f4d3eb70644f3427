// "文件合并": joins the listed files end to end into one new file in the
// chosen folder. Files on disk only; the file image and the box are not
// touched. Every outcome is an information box.
#pragma once

#include <QDialog>
#include <string>

#include "core/app/data_layout.h"
#include "ui/app/dialog_builder.h"

class QLineEdit;
class QListWidget;

namespace tarnwick {

class TextTable;

class MergeDialog : public QDialog {
  Q_OBJECT

 public:
  // The merged file may not land on one of the program's files in `layout`.
  MergeDialog(const TextTable& texts, DataLayout layout, QWidget* parent);

  // The menu item: shows the dialog modally; the fields keep what the last
  // opening left in them.
  void ShowFromMenu();
  QWidget* Control(int id) const { return builder_.Control(id); }

  void FolderClicked();
  void AddClicked();
  void DeleteClicked();
  // OK: true when the merged file was written whole.
  bool MergeClicked();

 private:
  const TextTable& texts_;
  const DataLayout layout_;
  DialogBuilder builder_;
  QLineEdit* folder_ = nullptr;
  QLineEdit* name_ = nullptr;
  QListWidget* files_ = nullptr;
};

}  // namespace tarnwick
