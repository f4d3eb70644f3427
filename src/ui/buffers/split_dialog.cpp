#include "ui/buffers/split_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <array>

#include "core/app/text_ids.h"
#include "core/app/text_table.h"
#include "core/buffers/merge_split/file_tools.h"
#include "resources/ids.h"
#include "ui/app/file_dialogs.h"
#include "ui/app/message_box.h"

namespace tarnwick {

namespace {

using K = ControlKind;

constexpr const char* kSourceFilter =
    "*.bin;*.rom(*.bin;*.rom)|*.bin;*.rom|*.cap(*.cap)|*.cap|all files(*.*)|*.*||";

constexpr std::array kControls = {
    ControlSpec{ids::kSplitSourceEdit, K::Edit, QRect(7, 7, 189, 12), kNoText, "", 0},
    ControlSpec{ids::kSplitOpenButton, K::PushButton, QRect(200, 6, 50, 14), ftext::kSplitOpen,
                "打开", 0},
    ControlSpec{ids::kSplitPointsLabel, K::Label, QRect(7, 27, 243, 8), ftext::kSplitPoints,
                "分割点(10进制字节偏移):", 0},
    ControlSpec{ids::kSplitPointsEdit, K::Edit, QRect(7, 38, 243, 12), kNoText, "", 0},
    ControlSpec{ids::kSplitExample, K::Label, QRect(7, 54, 243, 18), ftext::kSplitExample,
                "例:1024,2048", 0},
    ControlSpec{ids::kDialogOk, K::DefaultButton, QRect(144, 78, 50, 14), ftext::kOk, "确定", 0},
    ControlSpec{ids::kDialogCancel, K::PushButton, QRect(200, 78, 50, 14), ftext::kClose, "取消",
                0},
};

constexpr DialogTemplate kTemplate{QSize(257, 99), ftext::kSplitTitle, "文件分割", kControls};

}  // namespace

SplitDialog::SplitDialog(const TextTable& texts, QWidget* parent)
    : QDialog(parent), texts_(texts), builder_(DialogUnits(font())) {
  setObjectName("splitDialog");
  setModal(true);
  builder_.Build(kTemplate, this);
  builder_.ApplyTexts(texts_);
  source_ = builder_.Get<QLineEdit>(ids::kSplitSourceEdit);
  points_ = builder_.Get<QLineEdit>(ids::kSplitPointsEdit);
  if (auto* example = builder_.Get<QLabel>(ids::kSplitExample)) example->setWordWrap(true);
  connect(builder_.Get<QPushButton>(ids::kSplitOpenButton), &QPushButton::clicked, this,
          &SplitDialog::OpenClicked);
  connect(builder_.Get<QPushButton>(ids::kDialogOk), &QPushButton::clicked, this,
          &SplitDialog::SplitClicked);
  connect(builder_.Get<QPushButton>(ids::kDialogCancel), &QPushButton::clicked, this,
          &QDialog::reject);
}

void SplitDialog::ShowFromMenu() {
  open();
  source_->setFocus();
}

void SplitDialog::OpenClicked() {
  const QString path = ChooseFileToOpen(this, kSourceFilter);
  if (!path.isEmpty()) source_->setText(path);
}

bool SplitDialog::SplitClicked() {
  const buffers::FileToolResult r =
      buffers::SplitFile(source_->text().toStdString(), points_->text().toStdString());
  if (r.message != buffers::FileToolResult::kNoMessage)
    ShowNoticeBox(this, texts_, r.message, BoxIcon::Information);
  return r.done;
}

}  // namespace tarnwick
