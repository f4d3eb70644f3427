#include "ui/buffers/merge_dialog.h"

#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "core/app/text_ids.h"
#include "core/app/text_table.h"
#include "core/buffers/merge_split/file_tools.h"
#include "core/buffers/program_files.h"
#include "resources/ids.h"
#include "ui/app/file_dialogs.h"
#include "ui/app/message_box.h"
#include "ui/app/qt_text.h"

namespace tarnwick {

namespace {

using K = ControlKind;
using A = Anchor;

constexpr const char* kInputFilter = "(*.bin;*.rom)|*.bin;*.rom|all files|*.*||";
constexpr const char* kDefaultName = "Cmbin.bin";

constexpr std::array kControls = {
    ControlSpec{ids::kMergeFolderEdit, K::ReadOnlyEdit, QRect(7, 7, 189, 12), kNoText, "", 0,
                A::LeftRight},
    ControlSpec{ids::kMergeFolderButton, K::PushButton, QRect(200, 6, 50, 14), ftext::kMergeFolder,
                "存储路径", 0, A::Right},
    ControlSpec{ids::kMergeNameEdit, K::Edit, QRect(7, 25, 189, 12), kNoText, kDefaultName, 0,
                A::LeftRight},
    ControlSpec{ids::kMergeFileList, K::ListBox, QRect(7, 43, 189, 100), kNoText, "", 0, A::All},
    ControlSpec{ids::kMergeAddButton, K::PushButton, QRect(200, 43, 50, 14), ftext::kMergeAdd,
                "添加", 0, A::Right},
    ControlSpec{ids::kMergeDeleteButton, K::PushButton, QRect(200, 61, 50, 14), ftext::kMergeDelete,
                "删除", 0, A::Right},
    ControlSpec{ids::kDialogOk, K::DefaultButton, QRect(144, 150, 50, 14), ftext::kOk, "确定", 0,
                A::RightBottom},
    ControlSpec{ids::kDialogCancel, K::PushButton, QRect(200, 150, 50, 14), ftext::kClose, "取消",
                0, A::RightBottom},
};

constexpr DialogTemplate kTemplate{QSize(257, 171), ftext::kMergeTitle, "文件合并", kControls};

}  // namespace

MergeDialog::MergeDialog(const TextTable& texts, DataLayout layout, QWidget* parent)
    : QDialog(parent), texts_(texts), layout_(std::move(layout)), builder_(DialogUnits(font())) {
  setObjectName("mergeDialog");
  setModal(true);
  builder_.Build(kTemplate, this);
  builder_.ApplyTexts(texts_);
  folder_ = builder_.Get<QLineEdit>(ids::kMergeFolderEdit);
  name_ = builder_.Get<QLineEdit>(ids::kMergeNameEdit);
  files_ = builder_.Get<QListWidget>(ids::kMergeFileList);
  // The result goes into the user's home folder until another one is chosen.
  folder_->setText(QDir::toNativeSeparators(QDir::homePath()));
  connect(builder_.Get<QPushButton>(ids::kMergeFolderButton), &QPushButton::clicked, this,
          &MergeDialog::FolderClicked);
  connect(builder_.Get<QPushButton>(ids::kMergeAddButton), &QPushButton::clicked, this,
          &MergeDialog::AddClicked);
  connect(builder_.Get<QPushButton>(ids::kMergeDeleteButton), &QPushButton::clicked, this,
          &MergeDialog::DeleteClicked);
  connect(builder_.Get<QPushButton>(ids::kDialogOk), &QPushButton::clicked, this,
          &MergeDialog::MergeClicked);
  connect(builder_.Get<QPushButton>(ids::kDialogCancel), &QPushButton::clicked, this,
          &QDialog::reject);
}

void MergeDialog::ShowFromMenu() {
  open();
  name_->setFocus();
}

void MergeDialog::FolderClicked() {
  const QString chosen = ChooseFolder(this, Q(texts_.itext(itext::kMergeFolderPrompt)));
  if (!chosen.isEmpty()) folder_->setText(chosen);
}

void MergeDialog::AddClicked() {
  for (const QString& path : ChooseFilesToOpen(this, kInputFilter)) files_->addItem(path);
}

void MergeDialog::DeleteClicked() {
  for (QListWidgetItem* item : files_->selectedItems()) delete item;
}

bool MergeDialog::MergeClicked() {
  std::vector<std::string> inputs;
  inputs.reserve(std::size_t(files_->count()));
  for (int i = 0; i < files_->count(); ++i) inputs.push_back(files_->item(i)->text().toStdString());
  const buffers::FileToolResult r =
      buffers::MergeFiles(folder_->text().toStdString(), name_->text().toStdString(), inputs,
                          buffers::ProgramFiles(layout_));
  if (r.message != buffers::FileToolResult::kNoMessage)
    ShowNoticeBox(this, texts_, r.message, BoxIcon::Information);
  return r.done;
}

}  // namespace tarnwick
