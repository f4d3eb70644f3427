#include "ui/operations/batch_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <array>

#include "core/app/text_ids.h"
#include "core/app/text_table.h"
#include "core/operations/batch/batch_runner.h"
#include "core/operations/batch/batch_texts.h"
#include "resources/ids.h"
#include "ui/app/file_dialogs.h"
#include "ui/app/message_box.h"
#include "ui/app/qt_text.h"
#include "ui/operations/batch_dialog_layout.h"
#include "ui/operations/batch_file_list.h"
#include "ui/operations/batch_number_field.h"

namespace tarnwick {

namespace {

constexpr const char* kAddFilesFilter = "all files(*.*)|*.*|(*.bin;*.rom)|*.bin;*.rom||";
constexpr const char* kMasterFilter =
    "*.*|*.*|*.bin;*.rom(*.bin;*.rom)|*.bin;*.rom|*.cap(*.cap)|*.cap||";

// The ID length combo's entries, in bytes.
constexpr std::array kIdLengths = {1, 2, 4};
constexpr int kInitialIdLengthIndex = 2;

// What the master box shows when the batch found no master file.
constexpr int kMasterMarkTabs = 21;

// The list's buttons, enabled with it.
constexpr std::array kListButtons = {ids::kBatchAddFilesButton,  ids::kBatchMoveUpButton,
                                     ids::kBatchMoveDownButton,  ids::kBatchDeleteButton,
                                     ids::kBatchSelectAllButton, ids::kBatchSelectNoneButton};

// What a running batch disables (the count box and the stop button are on,
// the auto-start box and the exit button keep their state).
constexpr std::array kLockedWhileRunning = {
    ids::kBatchModeList,        ids::kBatchFileList,         ids::kBatchAddFilesButton,
    ids::kBatchMoveUpButton,    ids::kBatchMoveDownButton,   ids::kBatchDeleteButton,
    ids::kBatchSelectAllButton, ids::kBatchSelectNoneButton, ids::kBatchFillAddressEdit,
    ids::kBatchStartIdEdit,     ids::kBatchIdLengthList,     ids::kBatchIncrementEdit,
    ids::kBatchByteOrderList,   ids::kBatchMasterEdit,       ids::kBatchMasterButton,
    ids::kBatchStartButton};

}  // namespace

BatchDialog::BatchDialog(BatchRunner& runner, const TextTable& texts, QWidget* parent)
    : QDialog(parent), runner_(runner), builder_(DialogUnits(font())), poster_(this) {
  setObjectName("batchDialog");
  setModal(false);
  builder_.Build(BatchDialogTemplate(), this);
  builder_.ApplyTexts(texts);

  list_ = new BatchFileList(this);
  list_->setObjectName(QStringLiteral("ctl%1").arg(ids::kBatchFileList));
  list_->setGeometry(builder_.units().ToPixels(kBatchFileListRect));
  builder_.Follow(list_, Anchor::All);
  // In the tab order where the template has it: after the mode.
  setTabOrder(Control(ids::kBatchModeList), list_);
  setTabOrder(list_, Control(ids::kBatchAddFilesButton));

  mode_ = builder_.Get<QComboBox>(ids::kBatchModeList);
  idLength_ = builder_.Get<QComboBox>(ids::kBatchIdLengthList);
  byteOrder_ = builder_.Get<QComboBox>(ids::kBatchByteOrderList);
  master_ = builder_.Get<QLineEdit>(ids::kBatchMasterEdit);
  fillAddress_ = builder_.Get<QLineEdit>(ids::kBatchFillAddressEdit);
  startId_ = builder_.Get<QLineEdit>(ids::kBatchStartIdEdit);
  increment_ = builder_.Get<QLineEdit>(ids::kBatchIncrementEdit);
  count_ = builder_.Get<QLineEdit>(ids::kBatchCountEdit);
  autoStart_ = builder_.Get<QCheckBox>(ids::kBatchAutoStartCheck);
  for (QLineEdit* e : {fillAddress_, startId_, increment_, count_}) MakeNumberField(e);

  FillChoices(texts);
  autoStart_->setChecked(true);
  ApplyModeEnabling(mode());
  Enable(ids::kBatchStopButton, false);
  ConnectControls();
  runner_.SetView(this);
}

BatchDialog::~BatchDialog() { Detach(); }

void BatchDialog::Detach() {
  if (detached_) return;
  detached_ = true;
  // The poster first: a report already on its way is dropped from now on.
  poster_.Shutdown();
  runner_.SetView(nullptr);
}

void BatchDialog::FillChoices(const TextTable& texts) {
  for (int m = 0; m < batch::kModeCount; ++m)
    mode_->addItem(Q(texts.ftext(ftext::kBatchModeRepeat + m)));
  byteOrder_->addItem(Q(texts.ftext(ftext::kBatchLittleEndian)));
  byteOrder_->addItem(Q(texts.ftext(ftext::kBatchBigEndian)));
  for (int bytes : kIdLengths) {
    idLength_->addItem(bytes == 1 ? tr("1 byte") : tr("%1 bytes").arg(bytes));
  }
  mode_->setCurrentIndex(static_cast<int>(batch::Mode::Repeat));
  byteOrder_->setCurrentIndex(static_cast<int>(batch::ByteOrder::Little));
  idLength_->setCurrentIndex(kInitialIdLengthIndex);
}

void BatchDialog::ConnectControls() {
  auto button = [this](int id) { return builder_.Get<QPushButton>(id); };
  connect(mode_, &QComboBox::currentIndexChanged, this, [this] {
    if (!running_) ApplyModeEnabling(mode());
  });
  connect(button(ids::kBatchAddFilesButton), &QPushButton::clicked, this,
          &BatchDialog::AddFilesClicked);
  connect(button(ids::kBatchMoveUpButton), &QPushButton::clicked, this,
          [this] { list_->MoveSelected(-1); });
  connect(button(ids::kBatchMoveDownButton), &QPushButton::clicked, this,
          [this] { list_->MoveSelected(+1); });
  connect(button(ids::kBatchDeleteButton), &QPushButton::clicked, list_,
          &BatchFileList::DeleteSelected);
  connect(button(ids::kBatchSelectAllButton), &QPushButton::clicked, this,
          [this] { list_->SelectEverything(true); });
  connect(button(ids::kBatchSelectNoneButton), &QPushButton::clicked, this,
          [this] { list_->SelectEverything(false); });
  connect(button(ids::kBatchMasterButton), &QPushButton::clicked, this,
          &BatchDialog::MasterClicked);
  connect(button(ids::kBatchStartButton), &QPushButton::clicked, this, &BatchDialog::StartClicked);
  connect(button(ids::kBatchStopButton), &QPushButton::clicked, this, [this] {
    // Start stays grey until the runner reports the batch stopped: the chip
    // in work is finished first and its result belongs to this batch.
    Enable(ids::kBatchStopButton, false);
    runner_.Stop();
  });
  connect(button(ids::kBatchExitButton), &QPushButton::clicked, this, &BatchDialog::reject);
  connect(count_, &QLineEdit::editingFinished, this, &BatchDialog::OnCountEdited);
  connect(autoStart_, &QCheckBox::toggled, this, [this](bool on) { runner_.SetAutoStart(on); });
}

void BatchDialog::ShowFromMenu() {
  show();
  raise();
  activateWindow();
}

batch::Mode BatchDialog::mode() const {
  const int index = mode_->currentIndex();
  return index >= 0 && index < batch::kModeCount ? static_cast<batch::Mode>(index)
                                                 : batch::Mode::Repeat;
}

QWidget* BatchDialog::Control(int id) const {
  if (id == ids::kBatchFileList) return list_;
  return builder_.Control(id);
}

void BatchDialog::Enable(int id, bool on) {
  if (QWidget* w = Control(id)) w->setEnabled(on);
}

void BatchDialog::ApplyModeEnabling(batch::Mode mode) {
  for (int id : kLockedWhileRunning) Enable(id, true);
  const batch::Enabling e = batch::EnablingFor(mode);
  Enable(ids::kBatchFileList, e.fileList);
  for (int id : kListButtons) Enable(id, e.fileList);
  Enable(ids::kBatchFillAddressEdit, e.fillAddress);
  for (int id : {ids::kBatchStartIdEdit, ids::kBatchIdLengthList, ids::kBatchIncrementEdit,
                 ids::kBatchByteOrderList}) {
    Enable(id, e.idFields);
  }
  Enable(ids::kBatchMasterEdit, e.masterFile);
  Enable(ids::kBatchMasterButton, e.masterFile);
  Enable(ids::kBatchCountEdit, true);
}

void BatchDialog::ApplyRunning(bool running) {
  running_ = running;
  if (running) {
    for (int id : kLockedWhileRunning) Enable(id, false);
    Enable(ids::kBatchCountEdit, true);
    Enable(ids::kBatchStopButton, true);
    return;
  }
  Enable(ids::kBatchStopButton, false);
  // While the batch ran the combo could not change: its mode is the batch's,
  // and after a stop of an idle batch it is still the one the user sees.
  ApplyModeEnabling(mode());
}

void BatchDialog::ApplyProgress(std::uint32_t count, int selected) {
  count_->setText(QString::number(count));
  list_->SelectOnly(selected);
}

void BatchDialog::PointAtField(batch::Field field) {
  QApplication::beep();
  switch (field) {
    case batch::Field::MasterFile:
      // The empty master box is marked with tabs the user types over.
      master_->setText(QString(kMasterMarkTabs, QLatin1Char('\t')));
      master_->setFocus(Qt::OtherFocusReason);
      master_->selectAll();
      break;
    case batch::Field::FileList:
      list_->setFocus(Qt::OtherFocusReason);
      break;
    case batch::Field::Increment:
      increment_->setFocus(Qt::OtherFocusReason);
      increment_->selectAll();
      break;
    case batch::Field::EmptyImage:
    case batch::Field::FillAddress: {
      QString text = Q(batch::FieldProblemText(field));
      text[0] = text[0].toUpper();
      RunMessageBox(this, text + QLatin1Char('.'), PromptCaption(), BoxIcon::Warning,
                    BoxButtons::Ok);
      QLineEdit* box = field == batch::Field::FillAddress ? fillAddress_ : master_;
      box->setFocus(Qt::OtherFocusReason);
      box->selectAll();
      break;
    }
    case batch::Field::IdTooLarge:
    case batch::Field::IdRecorded: {
      // The count box holds the ID the batch refused to write.
      QString text = Q(batch::FieldProblemText(field));
      text[0] = text[0].toUpper();
      RunMessageBox(this, text + QLatin1Char('.'), PromptCaption(), BoxIcon::Warning,
                    BoxButtons::Ok);
      count_->setFocus(Qt::OtherFocusReason);
      count_->selectAll();
      break;
    }
    case batch::Field::None:
      break;
  }
}

void BatchDialog::OnCountEdited() {
  // Before a start the count goes with the other fields.
  if (!running_) return;
  if (const std::optional<std::uint32_t> count = NumberIn(count_->text(), kAnyNumber)) {
    runner_.SetCount(*count);
  }
}

QString BatchDialog::PromptCaption() const {
  return parentWidget() != nullptr ? parentWidget()->window()->windowTitle() : windowTitle();
}

std::optional<batch::Fields> BatchDialog::CollectFields() {
  batch::Fields f;
  const int lengthIndex = idLength_->currentIndex();
  f.idLength = lengthIndex >= 0 && lengthIndex < static_cast<int>(kIdLengths.size())
                   ? kIdLengths[static_cast<std::size_t>(lengthIndex)]
                   : kIdLengths[kInitialIdLengthIndex];
  // In the serial-number mode the start ID and the count (the next ID) must
  // fit in the ID length: an ID is never cut.
  const NumberRange idRange =
      mode() == batch::Mode::Serial ? NumberRange{0, batch::MaxId(f.idLength)} : kAnyNumber;
  // Checked top to bottom; the first box out of range stops the start. A box
  // the mode disables plays no part and keeps the default.
  const struct {
    QLineEdit* edit;
    NumberRange range;
    std::uint32_t& value;
  } boxes[] = {{fillAddress_, kAnyNumber, f.fillAddress},
               {startId_, idRange, f.startId},
               {increment_, kIncrementRange, f.increment},
               {count_, idRange, f.count}};
  for (const auto& box : boxes) {
    if (!box.edit->isEnabledTo(this)) continue;
    const std::optional<std::uint32_t> value =
        ReadNumberField(box.edit, box.range, PromptCaption());
    if (!value) return std::nullopt;
    box.value = *value;
  }

  f.mode = mode();
  f.masterFile = master_->text().toStdString();
  f.byteOrder = byteOrder_->currentIndex() == static_cast<int>(batch::ByteOrder::Big)
                    ? batch::ByteOrder::Big
                    : batch::ByteOrder::Little;
  f.files = list_->PathsForBatch();
  f.selected = list_->FirstSelected();
  f.autoStart = autoStart_->isChecked();
  return f;
}

bool BatchDialog::StartClicked() {
  std::optional<batch::Fields> fields = CollectFields();
  if (!fields) return false;
  // The runner checks the fields on its thread and reports back.
  runner_.Start(std::move(*fields));
  return true;
}

void BatchDialog::AddFilesClicked() {
  const QStringList paths =
      QFileDialog::getOpenFileNames(this, QString(), QString(), QtFilterFromPairs(kAddFilesFilter));
  list_->AddSorted(paths);
}

void BatchDialog::MasterClicked() {
  const QString path = ChooseFileToOpen(this, kMasterFilter);
  if (!path.isEmpty()) SetMasterFile(path);
}

void BatchDialog::SetMasterFile(const QString& path) {
  master_->setText(path);
  fillAddress_->setText(QString::number(QFileInfo(path).size()));
}

void BatchDialog::reject() {
  runner_.Stop();
  QDialog::reject();
}

// ---- BatchView: the runner's thread ----------------------------------------

void BatchDialog::ShowRunning(bool running) {
  poster_.Post([this, running] { ApplyRunning(running); });
}

void BatchDialog::ShowProgress(std::uint32_t count, int selected) {
  poster_.Post([this, count, selected] { ApplyProgress(count, selected); });
}

void BatchDialog::ShowFieldProblem(batch::Field field) {
  poster_.Post([this, field] { PointAtField(field); });
}

void BatchDialog::ShowChipEnded(const BatchChipLine& /*line*/) {
  // The window's status line and log pane already tell how the chip ended.
}

}  // namespace tarnwick
