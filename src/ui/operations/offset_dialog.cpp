#include "ui/operations/offset_dialog.h"

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <array>

#include "core/app/text_ids.h"
#include "core/app/text_table.h"
#include "core/app/window_services.h"
#include "core/buffers/offset_load.h"
#include "ui/app/qt_text.h"

namespace tarnwick {

namespace {

enum : int {
  kOk = 1,
  kCancel = 2,
  kAddressEdit = 1094,
  kFileEdit = 1095,
  kBrowse = 1096,
  kStateText = 1097,
  kAddressLabel = 1153,
  kNote = 1154,
  kFileLabel = 1155,
};

using K = ControlKind;

constexpr std::array kControls = {
    ControlSpec{kAddressLabel, K::Label, QRect(7, 10, 82, 8), ftext::kOffsetStartAddress,
                "起始地址(十进制):", 0},
    ControlSpec{kAddressEdit, K::Edit, QRect(92, 8, 80, 12), kNoText, "0", 0},
    ControlSpec{kNote, K::Label, QRect(7, 25, 246, 8), ftext::kOffsetNote,
                "(此地址将会作为0起始烧录地址烧入芯片)", 0},
    ControlSpec{kFileLabel, K::Label, QRect(7, 42, 24, 8), ftext::kOffsetFileLabel, "文件:", 0},
    ControlSpec{kFileEdit, K::Edit, QRect(33, 40, 198, 12), kNoText, "", 0},
    ControlSpec{kBrowse, K::PushButton, QRect(234, 39, 19, 14), kNoText, "...", 0},
    ControlSpec{kStateText, K::Label, QRect(7, 60, 246, 8), kNoText, "", 0},
    ControlSpec{kOk, K::DefaultButton, QRect(146, 74, 50, 14), ftext::kOk, "确定", 0},
    ControlSpec{kCancel, K::PushButton, QRect(203, 74, 50, 14), ftext::kClose, "取消", 0},
};

constexpr DialogTemplate kTemplate{QSize(260, 95), ftext::kOffsetTitle,
                                   "时光平移(指定文件地址烧录)", kControls};

}  // namespace

OffsetDialog::OffsetDialog(buffers::FileImage& image, WindowServices& services,
                           const TextTable& texts, const std::string& initialPath, QWidget* parent)
    : QDialog(parent), image_(image), services_(services), builder_(DialogUnits(font())) {
  setObjectName("offsetDialog");
  builder_.Build(kTemplate, this);
  builder_.ApplyTexts(texts);

  address_ = builder_.Get<QLineEdit>(kAddressEdit);
  // A decimal count of bytes, as the label says.
  address_->setValidator(
      new QRegularExpressionValidator(QRegularExpression("[0-9]{0,19}"), address_));
  file_ = builder_.Get<QLineEdit>(kFileEdit);
  file_->setText(Q(initialPath));
  state_ = builder_.Get<QLabel>(kStateText);

  connect(builder_.Get<QPushButton>(kBrowse), &QPushButton::clicked, this, &OffsetDialog::Browse);
  connect(file_, &QLineEdit::textChanged, this, &OffsetDialog::ApplyCapRule);
  connect(builder_.Get<QPushButton>(kOk), &QPushButton::clicked, this, [this] {
    if (OffsetLoadClicked()) accept();
  });
  connect(builder_.Get<QPushButton>(kCancel), &QPushButton::clicked, this, &QDialog::reject);
  ApplyCapRule();
}

void OffsetDialog::ApplyCapRule() {
  const std::optional<std::uint64_t> fixed = buffers::FixedOffsetStart(file_->text().toStdString());
  if (fixed) {
    address_->setText(QString::number(*fixed));
    address_->setReadOnly(true);
  } else {
    address_->setReadOnly(false);
  }
}

void OffsetDialog::Browse() {
  const QString path = QFileDialog::getOpenFileName(
      this, QString(), file_->text(),
      QStringLiteral("*.bin;*.rom (*.bin *.rom);;*.cap (*.cap *.CAP *.Cap);;all files (*)"));
  if (!path.isEmpty()) file_->setText(path);  // the CAP rule follows the text change
}

bool OffsetDialog::OffsetLoadClicked() {
  bool ok = false;
  const std::uint64_t start = address_->text().isEmpty() ? 0 : address_->text().toULongLong(&ok);
  const std::uint64_t address = address_->text().isEmpty() || ok ? start : ~std::uint64_t{0};
  const buffers::OffsetLoadResult r =
      buffers::OffsetLoad(image_, services_, file_->text().toStdString(), address,
                          [this](const std::string& text) { state_->setText(Q(text)); });
  return r == buffers::OffsetLoadResult::Loaded;
}

}  // namespace tarnwick
