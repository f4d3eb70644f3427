#include "ui/buffers/data_view_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <array>

#include "core/app/text_ids.h"
#include "core/app/text_table.h"
#include "core/operations/data_view/data_view.h"
#include "core/session/session.h"
#include "resources/ids.h"
#include "ui/app/filtered_edit.h"
#include "ui/app/message_box.h"
#include "ui/app/qt_text.h"
#include "ui/buffers/beside_data.h"
#include "ui/buffers/hex_view_panel.h"

namespace tarnwick {

namespace {

using K = ControlKind;

// Labels: numbers of our own, for their captions.
enum : int {
  kAddressLabel = 1201,
  kFileLabel = 1202,
  kChipLabel = 1203,
  kStateLabel = 1204,
};
constexpr int kAddressDigits = 8;
constexpr const char* kNothingYet = "null";

constexpr std::array kControls = {
    ControlSpec{kAddressLabel, K::Label, QRect(7, 9, 62, 8), ftext::kDataViewAddressLabel,
                "地址(16进制):", 0},
    ControlSpec{ids::kDataViewAddressEdit, K::Edit, QRect(72, 7, 70, 12), kNoText, "0", 0},
    ControlSpec{kFileLabel, K::Label, QRect(7, 26, 62, 8), ftext::kDataViewFileValue,
                "文件数据:", 0},
    ControlSpec{ids::kDataViewFileValue, K::Label, QRect(72, 26, 70, 8), kNoText, kNothingYet, 0},
    ControlSpec{kChipLabel, K::Label, QRect(7, 40, 62, 8), ftext::kDataViewChipValue,
                "芯片数据:", 0},
    ControlSpec{ids::kDataViewChipValue, K::Label, QRect(72, 40, 70, 8), kNoText, kNothingYet, 0},
    ControlSpec{kStateLabel, K::Label, QRect(7, 54, 62, 8), ftext::kStateLabel, "状态:", 0},
    ControlSpec{ids::kDataViewState, K::Label, QRect(72, 54, 150, 8), kNoText, kNothingYet, 0},
    ControlSpec{ids::kDataViewOkButton, K::DefaultButton, QRect(116, 70, 50, 14), ftext::kOk,
                "确定", 0},
    ControlSpec{ids::kDialogCancel, K::PushButton, QRect(172, 70, 50, 14), ftext::kClose, "取消",
                0},
};

constexpr DialogTemplate kTemplate{QSize(229, 91), ftext::kDataViewTitle, "数据查看", kControls};

}  // namespace

DataViewDialog::DataViewDialog(Session& session, HexViewPanel& panel, QWidget* parent)
    : QDialog(parent),
      session_(session),
      panel_(panel),
      builder_(DialogUnits(font())),
      poster_(this) {
  setObjectName("dataViewDialog");
  setModal(true);
  builder_.Build(kTemplate, this);
  builder_.ApplyTexts(session_.texts());
  address_ = builder_.Get<QLineEdit>(ids::kDataViewAddressEdit);
  AttachFieldFilter(address_, FieldChars::Hex, kAddressDigits, session_.texts());
  fileValue_ = builder_.Get<QLabel>(ids::kDataViewFileValue);
  chipValue_ = builder_.Get<QLabel>(ids::kDataViewChipValue);
  state_ = builder_.Get<QLabel>(ids::kDataViewState);
  ok_ = builder_.Get<QPushButton>(ids::kDataViewOkButton);
  connect(ok_, &QPushButton::clicked, this, &DataViewDialog::ViewClicked);
  connect(builder_.Get<QPushButton>(ids::kDialogCancel), &QPushButton::clicked, this,
          &QDialog::reject);
  // A look-up still running when the dialog closes reports to nobody.
  connect(this, &QDialog::finished, this, [this] {
    ++generation_;
    busy_ = false;
    ok_->setEnabled(true);
  });
}

DataViewDialog::~DataViewDialog() { Detach(); }

void DataViewDialog::Detach() { poster_.Shutdown(); }

void DataViewDialog::ShowFromMenu() {
  address_->setText(QStringLiteral("0"));
  for (QLabel* l : {fileValue_, chipValue_, state_}) l->setText(QString::fromLatin1(kNothingYet));
  open();
  PlaceBesideData(*this, panel_);
  address_->setFocus();
  address_->selectAll();
}

void DataViewDialog::Warn(int text) { ShowNoticeBox(this, session_.texts(), text); }

bool DataViewDialog::ViewClicked() {
  if (busy_) return false;
  if (address_->text().isEmpty()) {
    Warn(itext::kDataViewNoAddress);
    return false;
  }
  const unsigned generation = generation_;
  const bool started = session_.StartViewData(
      address_->text().toStdString(), [this, generation](const DataViewResult& r) {
        poster_.Post([this, r, generation] { ShowResult(r, generation); });
      });
  if (!started) return false;
  busy_ = true;
  ok_->setEnabled(false);
  return true;
}

void DataViewDialog::ShowResult(const DataViewResult& r, unsigned generation) {
  if (generation != generation_) return;
  busy_ = false;
  ok_->setEnabled(true);
  if (r.problem != 0) {
    Warn(r.problem);
    return;
  }
  fileValue_->setText(Q(r.fileValue));
  chipValue_->setText(Q(r.chipValue));
  state_->setText(Q(r.state));
  if (r.showAddress) {
    panel_.ShowAddress(*r.showAddress);
    KeepOffShownRows(*this, panel_);
  }
}

}  // namespace tarnwick
