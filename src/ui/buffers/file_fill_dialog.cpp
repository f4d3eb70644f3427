#include "ui/buffers/file_fill_dialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <array>

#include "core/app/text_ids.h"
#include "core/app/text_table.h"
#include "core/buffers/file_image.h"
#include "core/buffers/tools/file_fill.h"
#include "core/catalogue/chip_selection.h"
#include "core/session/session.h"
#include "resources/ids.h"
#include "ui/app/filtered_edit.h"
#include "ui/app/message_box.h"
#include "ui/app/qt_text.h"
#include "ui/buffers/hex_view_panel.h"

namespace tarnwick {

namespace {

using K = ControlKind;

// Labels: numbers of our own, for their captions.
enum : int {
  kAddressLabel = 1205,
  kLengthLabel = 1206,
  kDataLabel = 1207,
  kStateLabel = 1208,
};
constexpr int kAddressDigits = 8;
constexpr int kLengthDigits = 10;
constexpr int kDataDigits = 2;

// The image is too large for the hex view to show all of it; it can still
// be programmed.
constexpr const char* kTooLargeText = "文件过大,无法全部显示，但可以烧录！";
constexpr const char* kTooLargeCaption = "警告";

constexpr std::array kControls = {
    ControlSpec{kAddressLabel, K::Label, QRect(7, 9, 62, 8), ftext::kAddressHexLabel,
                "地址(16进制)", 0},
    ControlSpec{ids::kFileFillAddressEdit, K::Edit, QRect(72, 7, 70, 12), kNoText, "0", 0},
    ControlSpec{ids::kFileFillFromEndCheck, K::CheckBox, QRect(148, 8, 100, 10),
                ftext::kFileFillFromEnd, "从文件末尾填充", 0},
    ControlSpec{kLengthLabel, K::Label, QRect(7, 25, 62, 8), ftext::kLengthDecLabel, "长度(10进制)",
                0},
    ControlSpec{ids::kFileFillLengthEdit, K::Edit, QRect(72, 23, 70, 12), kNoText, "1", 0},
    ControlSpec{kDataLabel, K::Label, QRect(7, 41, 62, 8), ftext::kDataHexLabel, "数据(16进制)", 0},
    ControlSpec{ids::kFileFillDataEdit, K::Edit, QRect(72, 39, 30, 12), kNoText, "", 0},
    ControlSpec{kStateLabel, K::Label, QRect(7, 57, 62, 8), ftext::kStateLabel, "状态:", 0},
    ControlSpec{ids::kFileFillState, K::Label, QRect(72, 57, 176, 8), kNoText, "null", 0},
    ControlSpec{ids::kFileFillOkButton, K::DefaultButton, QRect(142, 72, 50, 14), ftext::kOk,
                "确定", 0},
    ControlSpec{ids::kDialogCancel, K::PushButton, QRect(198, 72, 50, 14), ftext::kClose, "取消",
                0},
};

constexpr DialogTemplate kTemplate{QSize(255, 93), ftext::kFileFillTitle, "文件数据填充",
                                   kControls};

}  // namespace

FileFillDialog::FileFillDialog(Session& session, HexViewPanel& panel, QWidget* parent)
    : QDialog(parent), session_(session), panel_(panel), builder_(DialogUnits(font())) {
  setObjectName("fileFillDialog");
  setModal(true);
  builder_.Build(kTemplate, this);
  builder_.ApplyTexts(session_.texts());
  address_ = builder_.Get<QLineEdit>(ids::kFileFillAddressEdit);
  length_ = builder_.Get<QLineEdit>(ids::kFileFillLengthEdit);
  data_ = builder_.Get<QLineEdit>(ids::kFileFillDataEdit);
  state_ = builder_.Get<QLabel>(ids::kFileFillState);
  fromEnd_ = builder_.Get<QCheckBox>(ids::kFileFillFromEndCheck);
  AttachFieldFilter(address_, FieldChars::Hex, kAddressDigits, session_.texts());
  AttachFieldFilter(length_, FieldChars::Decimal, kLengthDigits, session_.texts());
  AttachFieldFilter(data_, FieldChars::Hex, kDataDigits, session_.texts());
  connect(fromEnd_, &QCheckBox::toggled, this, &FileFillDialog::FromEndToggled);
  connect(builder_.Get<QPushButton>(ids::kFileFillOkButton), &QPushButton::clicked, this,
          &FileFillDialog::FillClicked);
  connect(builder_.Get<QPushButton>(ids::kDialogCancel), &QPushButton::clicked, this,
          &QDialog::reject);
}

void FileFillDialog::ShowFromMenu() {
  // Each opening starts from the template's fields.
  {
    const QSignalBlocker block(fromEnd_);
    fromEnd_->setChecked(false);
  }
  FromEndToggled(false);
  length_->setText(QStringLiteral("1"));
  data_->clear();
  state_->setText(QStringLiteral("null"));
  open();
  address_->setFocus();
}

std::uint64_t FileFillDialog::AddressUnit() const {
  return session_.selection().WordOrganised() ? 2 : 1;
}

void FileFillDialog::FromEndToggled(bool ticked) {
  if (ticked) {
    address_->setText(QString::number(session_.image().size() / AddressUnit(), 16).toUpper());
    address_->setCursorPosition(static_cast<int>(address_->text().size()));
  } else {
    address_->setText(QStringLiteral("0"));
  }
  address_->setReadOnly(ticked);
}

void FileFillDialog::Warn(const QString& text, const QString& caption) {
  RunMessageBox(this, text, caption, BoxIcon::Warning, BoxButtons::Ok);
}

bool FileFillDialog::FillClicked() {
  const TextTable& t = session_.texts();
  const QString notice = Q(t.itext(itext::kNoticeCaption));
  state_->setText(Q(t.itext(itext::kFileFilling)));
  const buffers::FileFillFields fields{address_->text().toStdString(),
                                       length_->text().toStdString(), data_->text().toStdString(),
                                       fromEnd_->isChecked()};
  const buffers::FileFillResult r = buffers::FillFileImage(
      session_.image(), session_.services(), fields, session_.selection().WordOrganised());
  if (!r.done) {
    state_->setText(Q(t.itext(r.message)));
    Warn(Q(t.itext(r.message)), notice);
    return false;
  }
  state_->setText(Q(t.itext(r.message)));
  address_->setText(Q(r.nextAddress));
  panel_.Refresh();
  if (r.tooLargeToShow) Warn(QString::fromUtf8(kTooLargeText), QString::fromUtf8(kTooLargeCaption));
  return true;
}

}  // namespace tarnwick
