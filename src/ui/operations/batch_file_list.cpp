#include "ui/operations/batch_file_list.h"

namespace tarnwick {

BatchFileList::BatchFileList(QWidget* parent) : QListWidget(parent) {
  // A click adds an entry to the selection or takes it out.
  setSelectionMode(QAbstractItemView::MultiSelection);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void BatchFileList::AddSorted(const QStringList& paths) {
  for (const QString& path : paths) {
    int row = 0;
    while (row < count() && QString::compare(item(row)->text(), path, Qt::CaseInsensitive) <= 0) {
      ++row;
    }
    insertItem(row, path);
  }
}

bool BatchFileList::MoveSelected(int step) {
  const QList<QListWidgetItem*> chosen = selectedItems();
  if (chosen.size() != 1) return false;
  const int from = row(chosen.front());
  const int to = from + step;
  if (to < 0 || to >= count()) return false;
  QListWidgetItem* moving = takeItem(from);
  insertItem(to, moving);
  SelectOnly(to);
  setCurrentRow(to, QItemSelectionModel::NoUpdate);
  return true;
}

void BatchFileList::DeleteSelected() {
  for (int r = count() - 1; r >= 0; --r) {
    if (item(r)->isSelected()) delete takeItem(r);
  }
}

void BatchFileList::SelectEverything(bool on) {
  if (on) {
    selectAll();
  } else {
    clearSelection();
  }
}

void BatchFileList::SelectOnly(int row) {
  clearSelection();
  if (row >= 0 && row < count()) item(row)->setSelected(true);
}

int BatchFileList::FirstSelected() const {
  for (int r = 0; r < count(); ++r) {
    if (item(r)->isSelected()) return r;
  }
  return -1;
}

QStringList BatchFileList::Paths() const {
  QStringList out;
  for (int r = 0; r < count(); ++r) out.append(item(r)->text());
  return out;
}

std::vector<std::string> BatchFileList::PathsForBatch() const {
  std::vector<std::string> out;
  out.reserve(static_cast<std::size_t>(count()));
  for (int r = 0; r < count(); ++r) out.push_back(item(r)->text().toStdString());
  return out;
}

}  // namespace tarnwick
