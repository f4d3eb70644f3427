#include "ui/operations/chip_fill_dialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <array>

#include "core/app/text_ids.h"
#include "core/app/text_table.h"
#include "core/catalogue/chip_selection.h"
#include "core/operations/chip_fill/chip_filler.h"
#include "core/session/session.h"
#include "resources/ids.h"
#include "ui/app/file_dialogs.h"
#include "ui/app/filtered_edit.h"
#include "ui/app/message_box.h"
#include "ui/app/qt_text.h"

namespace tarnwick {

namespace {

using K = ControlKind;

constexpr int kAddressDigits = 8;
constexpr int kLengthDigits = 8;
constexpr int kByteDigits = 2;
constexpr int kWordDigits = 4;
// How often the open dialog looks at the selected chip's organisation.
constexpr int kFollowSelectionMs = 100;

constexpr const char* kFillFileFilter = "*.*|*.*|*.bin;*.rom(*.bin;*.rom)|*.bin;*.rom||";

// The byte and the word box share one place; only the one the chip's
// organisation needs is shown.
constexpr QRect kDataBox(72, 39, 40, 12);

constexpr std::array kControls = {
    ControlSpec{ids::kChipFillAddressLabel, K::Label, QRect(7, 9, 62, 8), ftext::kAddressHexLabel,
                "地址(16进制)", 0},
    ControlSpec{ids::kChipFillAddressEdit, K::Edit, QRect(72, 7, 70, 12), kNoText, "0", 0},
    ControlSpec{ids::kChipFillFileModeCheck, K::CheckBox, QRect(150, 8, 100, 10),
                ftext::kChipFillFileMode, "填充文件模式", 0},
    ControlSpec{ids::kChipFillLengthLabel, K::Label, QRect(7, 25, 62, 8), ftext::kLengthDecLabel,
                "长度(10进制)", 0},
    ControlSpec{ids::kChipFillLengthEdit, K::Edit, QRect(72, 23, 70, 12), kNoText, "1", 0},
    ControlSpec{ids::kChipFillDataLabel, K::Label, QRect(7, 41, 62, 8), ftext::kDataHexLabel,
                "数据(16进制)", 0},
    ControlSpec{ids::kChipFillByteEdit, K::Edit, kDataBox, kNoText, "FF", 0},
    ControlSpec{ids::kChipFillWordEdit, K::Edit, kDataBox, kNoText, "FFFF", 0},
    ControlSpec{ids::kChipFillFileEdit, K::Edit, QRect(7, 57, 189, 12), kNoText, "", 0},
    ControlSpec{ids::kChipFillBrowseButton, K::PushButton, QRect(200, 56, 50, 14),
                ftext::kChipFillBrowse, "打开", 0},
    ControlSpec{ids::kChipFillNote, K::Label, QRect(7, 75, 243, 18), ftext::kChipFillNote,
                "注:适用于EEPROM及部分FLASH芯片", 0},
    ControlSpec{ids::kChipFillStateLabel, K::Label, QRect(7, 99, 62, 8), ftext::kStateLabel,
                "状态:", 0},
    ControlSpec{ids::kChipFillState, K::Label, QRect(72, 99, 178, 8), kNoText, "", 0},
    ControlSpec{ids::kChipFillOkButton, K::DefaultButton, QRect(144, 114, 50, 14), ftext::kOk,
                "确定", 0},
    ControlSpec{ids::kDialogCancel, K::PushButton, QRect(200, 114, 50, 14), ftext::kClose, "取消",
                0},
};

constexpr DialogTemplate kTemplate{QSize(257, 135), ftext::kChipFillTitle, "芯片数据填充",
                                   kControls};

}  // namespace

ChipFillDialog::ChipFillDialog(Session& session, QWidget* parent)
    : QDialog(parent), session_(session), builder_(DialogUnits(font())), poster_(this) {
  setObjectName("chipFillDialog");
  setModal(false);
  builder_.Build(kTemplate, this);
  builder_.ApplyTexts(session_.texts());
  address_ = builder_.Get<QLineEdit>(ids::kChipFillAddressEdit);
  length_ = builder_.Get<QLineEdit>(ids::kChipFillLengthEdit);
  byteData_ = builder_.Get<QLineEdit>(ids::kChipFillByteEdit);
  wordData_ = builder_.Get<QLineEdit>(ids::kChipFillWordEdit);
  file_ = builder_.Get<QLineEdit>(ids::kChipFillFileEdit);
  browse_ = builder_.Get<QPushButton>(ids::kChipFillBrowseButton);
  cancel_ = builder_.Get<QPushButton>(ids::kDialogCancel);
  fileMode_ = builder_.Get<QCheckBox>(ids::kChipFillFileModeCheck);
  state_ = builder_.Get<QLabel>(ids::kChipFillState);
  if (auto* note = builder_.Get<QLabel>(ids::kChipFillNote)) note->setWordWrap(true);

  const TextTable& t = session_.texts();
  AttachFieldFilter(address_, FieldChars::Hex, kAddressDigits, t);
  AttachFieldFilter(length_, FieldChars::Decimal, kLengthDigits, t);
  AttachFieldFilter(byteData_, FieldChars::Hex, kByteDigits, t);
  AttachFieldFilter(wordData_, FieldChars::Hex, kWordDigits, t);
  FileModeToggled(false);

  connect(fileMode_, &QCheckBox::toggled, this, &ChipFillDialog::FileModeToggled);
  connect(browse_, &QPushButton::clicked, this, &ChipFillDialog::BrowseClicked);
  connect(builder_.Get<QPushButton>(ids::kChipFillOkButton), &QPushButton::clicked, this,
          &ChipFillDialog::OkClicked);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  // The dialog stays open while the user picks another chip in the window
  // (or a detection picks it): the byte or word box follows the selection.
  followTimer_ = new QTimer(this);
  followTimer_->setInterval(kFollowSelectionMs);
  connect(followTimer_, &QTimer::timeout, this, [this] { FollowSelection(); });
  followTimer_->start();
  session_.chipFill().SetView(this);
}

ChipFillDialog::~ChipFillDialog() { Detach(); }

void ChipFillDialog::Detach() {
  if (detached_) return;
  detached_ = true;
  if (followTimer_) followTimer_->stop();
  poster_.Shutdown();
  session_.chipFill().SetView(nullptr);
  for (QDialog* d : findChildren<QDialog*>()) {
    if (d->isVisible()) d->reject();
  }
  hide();
}

void ChipFillDialog::ShowFromMenu() {
  if (detached_) return;
  if (!isVisible()) ShowOrganisation(session_.selection().WordOrganised());
  show();
  raise();
  activateWindow();
  address_->setFocus();
}

QLineEdit* ChipFillDialog::DataBox() const { return word_ ? wordData_ : byteData_; }

void ChipFillDialog::ShowOrganisation(bool word) {
  word_ = word;
  byteData_->setVisible(!word_);
  wordData_->setVisible(word_);
}

bool ChipFillDialog::FollowSelection() {
  if (detached_ || !isVisible()) return false;
  const bool word = session_.selection().WordOrganised();
  if (word == word_) return false;
  ShowOrganisation(word);
  // A chosen fill file's length counts in the new units.
  if (fileMode_->isChecked() && !file_->text().isEmpty()) {
    const qint64 bytes = QFileInfo(file_->text()).size();
    length_->setText(QString::number(word_ ? (bytes + 1) / 2 : bytes));
  }
  return true;
}

void ChipFillDialog::FileModeToggled(bool ticked) {
  file_->setEnabled(ticked);
  browse_->setEnabled(ticked);
  byteData_->setEnabled(!ticked);
  wordData_->setEnabled(!ticked);
  length_->setEnabled(!ticked);
}

void ChipFillDialog::BrowseClicked() {
  const QString path = ChooseFileToOpen(this, kFillFileFilter);
  if (path.isEmpty()) return;
  file_->setText(path);
  // The length counts what the file holds, in the dialog's units: words
  // for a 16-bit chip (a last odd byte makes one more word).
  const qint64 bytes = QFileInfo(path).size();
  length_->setText(QString::number(word_ ? (bytes + 1) / 2 : bytes));
}

void ChipFillDialog::Refuse(int text) {
  const TextTable& t = session_.texts();
  state_->setText(Q(t.itext(text)));
  ShowNoticeBox(this, t, text);
}

bool ChipFillDialog::OkClicked() {
  const bool fileMode = fileMode_->isChecked();
  // The chip changed since the last look: the value typed was for the
  // other box, and the box now shown holds only its default.
  if (FollowSelection() && !fileMode) {
    Refuse(itext::kEnterData);
    return false;
  }
  if (fileMode && file_->text().isEmpty()) {
    Refuse(itext::kChooseFile);
    return false;
  }
  if (address_->text().isEmpty()) {
    Refuse(itext::kEnterAddress);
    return false;
  }
  if (!fileMode && length_->text().isEmpty()) {
    Refuse(itext::kEnterLength);
    return false;
  }
  if (!fileMode && DataBox()->text().isEmpty()) {
    Refuse(itext::kEnterData);
    return false;
  }
  ChipFillRequest request;
  request.start = address_->text().toULongLong(nullptr, 16);
  // In file mode an emptied length takes the whole file.
  request.length = length_->text().toULongLong(nullptr, 10);
  request.value = DataBox()->text().toStdString();
  request.fileMode = fileMode;
  request.file = file_->text().toStdString();
  session_.chipFill().Request(std::move(request));
  return true;
}

void ChipFillDialog::done(int result) {
  // Esc and the title bar end here too: nothing closes a running fill.
  if (MayClose()) QDialog::done(result);
}

void ChipFillDialog::closeEvent(QCloseEvent* event) {
  if (MayClose()) {
    QDialog::closeEvent(event);
  } else {
    event->ignore();
  }
}

// ---- ChipFillView: the worker thread ----------------------------------------

void ChipFillDialog::ShowFillStatus(const std::string& text) {
  poster_.Post([this, t = Q(text)] {
    state_->setText(t);
    emit stateShown(t);
  });
}

void ChipFillDialog::EnableCancel(bool enabled) {
  poster_.Post([this, enabled] {
    running_ = !enabled;
    cancel_->setEnabled(enabled);
  });
}

}  // namespace tarnwick
