// The hex view on screen: the grid 1057, the scroll bar 1002 and the overlay
// editor 1027, driven by the core's page model. The panel only copies what
// the model says into the widgets and turns widget events into model calls.
#pragma once

#include <QFont>
#include <QObject>
#include <QPoint>
#include <QRect>

#include <array>
#include <cstdint>
#include <vector>

#include "core/buffers/hex_layout.h"

class QLineEdit;
class QScrollBar;
class QWidget;

namespace tarnwick {

class CGridCtrl;
namespace buffers {
class HexView;
}

class HexViewPanel : public QObject {
  Q_OBJECT

 public:
  HexViewPanel(buffers::HexView& model, CGridCtrl* grid, QScrollBar* bar, QLineEdit* editor,
               QWidget* window);

  // Re-reads the page and shows it (after a load, an operation, a save...).
  void Refresh();
  // Enter in the window.
  void CommitCellEdit();
  // The mouse wheel over the window; delta > 0 turns away from the user.
  void Wheel(int delta);
  // Go to address; true when shown.
  bool ShowAddress(std::uint64_t address);
  // Find's hit: shown with its cells in the search-hit colours.
  bool ShowSearchHit(std::uint64_t offset, std::size_t length);
  // Shows what the model holds after a call made on it directly.
  void Show();

  // On the screen: the cells of the view with their scroll bar, and the
  // rows of the focus cell and of find's marked bytes (empty when there are
  // none), so the tool dialogs can stand beside them.
  QRect DataRect() const;
  QRect ShownRowsRect() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void SetupGrid();
  // Gives the grid as many data rows as its height holds, the last one
  // maybe only in part, so the rows reach the bottom of the view.
  void FitRows();
  void SetupRows(int from);
  // The grid scrolled itself (a keyboard move onto the partly shown row):
  // the page scrolls instead and the grid stays at its first row.
  void OnGridScrolled(int value);
  void PlaceEditor();
  void OnCellClicked(int row, int column, const QPoint& pos);
  void OnScrollAction(int action);
  void OnEditorEdited(const QString& text);
  void OnGridNotify(int row, int column, int code);
  void ShowClasses();
  bool FocusInView() const;

  buffers::HexView& model_;
  CGridCtrl* grid_;
  QScrollBar* bar_;
  QLineEdit* editor_;
  QWidget* window_;
  QObject* gridViewport_ = nullptr;
  bool updating_ = false;
  // The class each byte cell was last coloured with. One model call may
  // refresh the page several times; what counts is what the grid shows.
  std::vector<std::array<buffers::hex::CellClass, buffers::hex::kBytesPerRow>> shown_;
  QFont font_;
  std::uint64_t gridFocusSeen_ = 0;
};

}  // namespace tarnwick
