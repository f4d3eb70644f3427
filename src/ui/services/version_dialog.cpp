#include "ui/services/version_dialog.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <algorithm>
#include <array>

#include "core/app/text_ids.h"
#include "core/app/text_table.h"
#include "core/services/services_config.h"
#include "resources/ids.h"
#include "ui/app/message_box.h"
#include "ui/app/qt_text.h"
#include "ui/services/hyperlink.h"
#include "version.h"

namespace tarnwick {

namespace {

using K = ControlKind;
using A = Anchor;

constexpr std::array kControls = {
    ControlSpec{ids::kVersionList, K::ReportList, QRect(7, 7, 229, 50), kNoText, "", 0, A::All},
    ControlSpec{ids::kVersionWebLink, K::Link, QRect(7, 66, 160, 10), kNoText, "", 0, A::Bottom},
    ControlSpec{ids::kDialogOk, K::DefaultButton, QRect(186, 63, 50, 14), ftext::kOk, "确定", 0,
                A::RightBottom},
};

constexpr DialogTemplate kTemplate{QSize(243, 84), ftext::kVersionTitle, "版本信息", kControls};

// The columns' least widths in pixels; a column whose texts need more gets
// more, and the dialog's least width grows with them. A larger dialog gives
// the room to the list.
constexpr std::array kColumnWidths = {70, 70, 70, 120};
// Room either side of a column's widest text, in pixels.
constexpr int kColumnPadding = 12;

}  // namespace

VersionDlg::VersionDlg(const update::VersionRows& rows, const TextTable& texts,
                       const QString& webAddress, QWidget* parent)
    : QDialog(parent), builder_(DialogUnits(font())) {
  setObjectName("versionDialog");
  setModal(true);
  builder_.Build(kTemplate, this);
  builder_.ApplyTexts(texts);
  list_ = builder_.Get<QTreeWidget>(ids::kVersionList);
  FillList(rows, texts);
  FitColumns();
  auto* link = builder_.Get<HyperLink>(ids::kVersionWebLink);
  link->setText(webAddress);
  link->SetURL(webAddress);
  link->SetUnderline(HyperLink::kAlways);
  link->Attach();
  connect(builder_.Get<QPushButton>(ids::kDialogOk), &QPushButton::clicked, this, &QDialog::accept);
}

void VersionDlg::FillList(const update::VersionRows& rows, const TextTable& texts) {
  list_->clear();
  const QStringList headers = {QStringLiteral(" "), Q(texts.itext(itext::kVersionCurrentColumn)),
                               Q(texts.itext(itext::kVersionLatestColumn)),
                               Q(texts.itext(itext::kVersionVerdictColumn))};
  list_->setColumnCount(static_cast<int>(headers.size()));
  list_->setHeaderLabels(headers);
  list_->header()->setStretchLastSection(false);  // the verdict keeps its width
  for (int c = 0; c < list_->columnCount(); ++c) {
    list_->setColumnWidth(c, kColumnWidths[static_cast<std::size_t>(c)]);
    list_->headerItem()->setTextAlignment(c, Qt::AlignCenter);
  }
  const std::array<QStringList, 2> cells = {
      QStringList{Q(texts.itext(itext::kVersionSoftwareRow)), Q(rows.programCurrent),
                  Q(rows.programLatest), Q(rows.programVerdict)},
      QStringList{Q(texts.itext(itext::kVersionFirmwareRow)), Q(rows.firmwareCurrent),
                  Q(rows.firmwareLatest), Q(rows.firmwareVerdict)}};
  for (const QStringList& row : cells) {
    auto* item = new QTreeWidgetItem(list_, row);
    for (int c = 0; c < row.size(); ++c) item->setTextAlignment(c, Qt::AlignCenter);
  }
  // Grid lines between the cells, as the report view draws them.
  list_->setStyleSheet(QStringLiteral(
      "QTreeView::item { border-right: 1px solid #d0d0d0; border-bottom: 1px solid #d0d0d0; }"));
  list_->setAllColumnsShowFocus(true);
}

void VersionDlg::FitColumns() {
  int total = 0;
  for (int c = 0; c < list_->columnCount(); ++c) {
    list_->resizeColumnToContents(c);
    const int least = kColumnWidths[static_cast<std::size_t>(c)];
    list_->setColumnWidth(c, std::max(least, list_->columnWidth(c) + kColumnPadding));
    total += list_->columnWidth(c);
  }
  // The list's inside, known before the dialog shows (its viewport is laid
  // out only then); two rows need no scroll bar. The dialog's least width
  // grows by what the columns need more; the list and the button follow.
  const int wider = total - (list_->width() - 2 * list_->frameWidth());
  if (wider > 0) builder_.Grow(QSize(wider, 0));
}

VersionDlg* ShowUpdateCheckResult(const update::UpdateCheckResult& result, const TextTable& texts,
                                  const std::string& baseDir, QWidget* parent) {
  if (result.failure) {
    for (const update::UpdateMessage& m : update::FailureMessages(*result.failure, texts)) {
      const QString caption = m.caption.empty() ? QString::fromUtf8(kProgramTitle) : Q(m.caption);
      RunMessageBox(parent, Q(m.text), caption, m.icon, BoxButtons::Ok);
    }
    return nullptr;
  }
  std::string problem;
  const ServicesConfig config = LoadServicesConfig(baseDir + kServicesFileName, problem);
  auto* dialog =
      new VersionDlg(update::MakeVersionRows(result, texts), texts, Q(config.links.web), parent);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->open();
  return dialog;
}

}  // namespace tarnwick
