// "文件数据填充": file fill. Writes a run of one byte value into the file
// image (edit mode only); "from the end" appends, and keeps the address at
// the image's end for the next fill. The hex view shows the result.
#pragma once

#include <QDialog>

#include "ui/app/dialog_builder.h"

class QCheckBox;
class QLabel;
class QLineEdit;

namespace tarnwick {

class HexViewPanel;
class Session;

class FileFillDialog : public QDialog {
  Q_OBJECT

 public:
  FileFillDialog(Session& session, HexViewPanel& panel, QWidget* parent);

  // The menu item: shows the dialog (modal to the window).
  void ShowFromMenu();
  QWidget* Control(int id) const { return builder_.Control(id); }
  // OK: true when the fill was done.
  bool FillClicked();

 private:
  void FromEndToggled(bool ticked);
  void Warn(const QString& text, const QString& caption);
  std::uint64_t AddressUnit() const;

  Session& session_;
  HexViewPanel& panel_;
  DialogBuilder builder_;
  QLineEdit* address_ = nullptr;
  QLineEdit* length_ = nullptr;
  QLineEdit* data_ = nullptr;
  QLabel* state_ = nullptr;
  QCheckBox* fromEnd_ = nullptr;
};

}  // namespace tarnwick
