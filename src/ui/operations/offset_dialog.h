// "时光平移": program a chip from a chosen start address of a file. The dialog
// only collects the file and the address; the copy is the core's.
#pragma once

#include <QDialog>
#include <string>

#include "ui/app/dialog_builder.h"

class QLabel;
class QLineEdit;

namespace tarnwick {

class TextTable;
class WindowServices;
namespace buffers {
class FileImage;
}

class OffsetDialog : public QDialog {
  Q_OBJECT

 public:
  OffsetDialog(buffers::FileImage& image, WindowServices& services, const TextTable& texts,
               const std::string& initialPath = {}, QWidget* parent = nullptr);

  QLineEdit* addressEdit() const { return address_; }
  QLineEdit* fileEdit() const { return file_; }
  QLabel* stateText() const { return state_; }

  // The OK handler: true when the image was replaced (the dialog then closes).
  bool OffsetLoadClicked();

 private:
  void ApplyCapRule();
  void Browse();

  buffers::FileImage& image_;
  WindowServices& services_;
  DialogBuilder builder_;
  QLineEdit* address_;
  QLineEdit* file_;
  QLabel* state_;
};

}  // namespace tarnwick
