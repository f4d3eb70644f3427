// The version dialog the update check shows. A report list with
// the program row and the firmware row (current version, latest version,
// verdict), the maker's web address as a link, and OK. It only shows the six
// texts the check produced.
#pragma once

#include <QDialog>
#include <QString>

#include "core/services/update/update_check.h"
#include "ui/app/dialog_builder.h"

class QTreeWidget;

namespace tarnwick {

class TextTable;

class VersionDlg : public QDialog {
  Q_OBJECT

 public:
  // `webAddress` is the [links] web of services.ini; empty leaves no link.
  VersionDlg(const update::VersionRows& rows, const TextTable& texts, const QString& webAddress,
             QWidget* parent = nullptr);

  QWidget* Control(int id) const { return builder_.Control(id); }
  QTreeWidget* list() const { return list_; }

 private:
  void FillList(const update::VersionRows& rows, const TextTable& texts);
  // Widens the columns to their texts and the dialog to the columns.
  void FitColumns();

  DialogBuilder builder_;
  QTreeWidget* list_ = nullptr;
};

// What the window does with a finished check: the version dialog (modal,
// deleted when closed), or the failure's messages in order and no dialog.
// Returns the dialog, or nullptr when there is none.
VersionDlg* ShowUpdateCheckResult(const update::UpdateCheckResult& result, const TextTable& texts,
                                  const std::string& baseDir, QWidget* parent);

}  // namespace tarnwick
