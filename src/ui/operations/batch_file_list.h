// The batch dialog's list of files: entries go in at their sorted place (as
// a sorted list box puts them), and the buttons next to it move, delete and
// select entries.
#pragma once

#include <QListWidget>
#include <QStringList>
#include <string>
#include <vector>

namespace tarnwick {

class BatchFileList : public QListWidget {
  Q_OBJECT

 public:
  explicit BatchFileList(QWidget* parent = nullptr);

  // Each path goes in before the first entry that sorts after it (case
  // ignored); an equal entry stays in front of the new one.
  void AddSorted(const QStringList& paths);
  // With exactly one entry selected: moves it one place up (-1) or down (+1)
  // and keeps it selected. False when nothing moved.
  bool MoveSelected(int step);
  void DeleteSelected();
  void SelectEverything(bool on);
  // Exactly `row` selected; -1 (or a row past the end) selects nothing.
  void SelectOnly(int row);

  // The first selected entry, -1 for none.
  int FirstSelected() const;
  QStringList Paths() const;
  std::vector<std::string> PathsForBatch() const;
};

}  // namespace tarnwick
