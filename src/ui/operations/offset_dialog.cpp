#include "ui/operations/offset_dialog.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include "core/app/text_table.h"
#include "core/app/window_services.h"
#include "core/buffers/offset_load.h"

namespace tarnwick {

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

OffsetDialog::OffsetDialog(buffers::FileImage& image, WindowServices& services, const TextTable& texts,
                           const std::string& initialPath, QWidget* parent)
    : QDialog(parent), image_(image), services_(services) {
  setObjectName("offsetDialog");
  setWindowTitle(Q(texts.ftext(69)));
  auto* grid = new QGridLayout(this);

  auto* addressLabel = new QLabel(Q(texts.ftext(70)), this);
  addressLabel->setObjectName("ctl1153");
  address_ = new QLineEdit(QStringLiteral("0"), this);
  address_->setObjectName("ctl1094");
  // A decimal count of bytes, as the label says.
  address_->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,19}"), address_));
  auto* note = new QLabel(Q(texts.ftext(71)), this);
  note->setObjectName("ctl1154");

  auto* fileLabel = new QLabel(Q(texts.ftext(72)), this);
  fileLabel->setObjectName("ctl1155");
  file_ = new QLineEdit(Q(initialPath), this);
  file_->setObjectName("ctl1095");
  auto* browse = new QPushButton(QStringLiteral("..."), this);
  browse->setObjectName("ctl1096");
  state_ = new QLabel(this);
  state_->setObjectName("ctl1097");

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(Q(texts.ftext(77)), QDialogButtonBox::AcceptRole);
  ok->setObjectName("ctl1");
  QPushButton* cancel = buttons->addButton(Q(texts.ftext(76)), QDialogButtonBox::RejectRole);
  cancel->setObjectName("ctl2");

  grid->addWidget(addressLabel, 0, 0);
  grid->addWidget(address_, 0, 1, 1, 2);
  grid->addWidget(note, 1, 0, 1, 3);
  grid->addWidget(fileLabel, 2, 0);
  grid->addWidget(file_, 2, 1);
  grid->addWidget(browse, 2, 2);
  grid->addWidget(state_, 3, 0, 1, 3);
  grid->addWidget(buttons, 4, 0, 1, 3);

  connect(browse, &QPushButton::clicked, this, &OffsetDialog::Browse);
  connect(file_, &QLineEdit::textChanged, this, &OffsetDialog::ApplyCapRule);
  connect(ok, &QPushButton::clicked, this, [this] {
    if (OffsetLoadClicked()) accept();
  });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
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
