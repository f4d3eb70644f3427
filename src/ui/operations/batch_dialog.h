// "批量模式": the batch dialog. It collects the fields of a batch, starts and
// stops it through the core's BatchRunner, and shows what the runner reports
// (running or not, the count, the list entry in work, a field to correct).
//
// Modeless and long-lived: the window makes it hidden at start-up and the
// batch button shows it. The runner calls the BatchView side on its own
// thread; every call only posts to the GUI thread, and after Detach() nothing
// posted reaches the dialog. The owner detaches it and lets the runner's
// thread end before the dialog is deleted.
#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>
#include <optional>

#include "core/operations/batch/batch_plan.h"
#include "core/operations/batch/batch_view.h"
#include "ui/app/dialog_builder.h"
#include "ui/app/gui_poster.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace tarnwick {

class BatchFileList;
class BatchRunner;
class TextTable;

class BatchDialog : public QDialog, public BatchView {
  Q_OBJECT

 public:
  BatchDialog(BatchRunner& runner, const TextTable& texts, QWidget* parent = nullptr);
  ~BatchDialog() override;

  // The batch button: shows the dialog, or brings it to the front.
  void ShowFromMenu();
  // No report of the runner reaches the dialog from now on (any thread may
  // still call the view; the calls are dropped). Safe to call twice.
  void Detach();

  // A control by id, the file list included.
  QWidget* Control(int id) const;
  BatchFileList* fileList() const { return list_; }
  // The mode the combo shows.
  batch::Mode mode() const;
  // Between the runner's "running" and "stopped" reports.
  bool running() const { return running_; }

  // The buttons' handlers. StartClicked is false when a number box holds a
  // value outside its range (its prompt was shown and the batch not asked).
  bool StartClicked();
  void AddFilesClicked();
  void MasterClicked();
  // The master file as the master button sets it: the fill address becomes
  // the file's length.
  void SetMasterFile(const QString& path);

  // BatchView: on the runner's thread; each one posts.
  void ShowRunning(bool running) override;
  void ShowProgress(std::uint32_t count, int selected) override;
  void ShowFieldProblem(batch::Field field) override;
  void ShowChipEnded(const BatchChipLine& line) override;

 protected:
  // Escape, the window's close button and the exit button: the batch stops
  // and the dialog hides.
  void reject() override;

 private:
  void FillChoices(const TextTable& texts);
  void ConnectControls();
  // Everything enabled, then the mode's own table; the count box always on.
  void ApplyModeEnabling(batch::Mode mode);
  void ApplyRunning(bool running);
  void ApplyProgress(std::uint32_t count, int selected);
  void PointAtField(batch::Field field);
  void OnCountEdited();
  // The dialog's fields, or nothing when a number box stopped the start.
  std::optional<batch::Fields> CollectFields();
  QString PromptCaption() const;
  void Enable(int id, bool on);

  BatchRunner& runner_;
  DialogBuilder builder_;
  BatchFileList* list_ = nullptr;
  QComboBox* mode_ = nullptr;
  QComboBox* idLength_ = nullptr;
  QComboBox* byteOrder_ = nullptr;
  QLineEdit* master_ = nullptr;
  QLineEdit* fillAddress_ = nullptr;
  QLineEdit* startId_ = nullptr;
  QLineEdit* increment_ = nullptr;
  QLineEdit* count_ = nullptr;
  QCheckBox* autoStart_ = nullptr;
  bool running_ = false;
  bool detached_ = false;
  GuiPoster poster_;
};

}  // namespace tarnwick
