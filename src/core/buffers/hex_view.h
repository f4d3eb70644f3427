// The hex view's page model: rows of 16 bytes (20 whole ones unless the view
// says how many fit, and maybe a partly visible one below them) read from the
// working copy and the source on every refresh, the colour class of each
// byte, the scroll state, the focus cell and the overlay editor that writes
// typed digits straight into the working copy.
//
// GUI thread only. The model never paints: after a call the grid glue reads
// the texts, classes (repainting the cells whose class changed), focus,
// editor and scroll state. When the image changes elsewhere (a load or save,
// possibly on the worker) the surface gets HexViewChanged(); the glue then
// calls RefreshHexView(), which first takes over a new load (top row 0, no
// focus, editor hidden, new scroll range).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/buffers/hex_layout.h"

namespace tarnwick {
class WindowServices;
}

namespace tarnwick::buffers {

class FileImage;

// Selected characters [start, end) of the overlay editor.
struct Selection {
  int start = 0;
  int end = 0;
  bool operator==(const Selection&) const = default;
};

struct EditorState {
  bool visible = false;
  int row = -1;
  int column = -1;
  std::string text;
  Selection selection;
};

enum class ScrollCode {
  LineUp,
  LineDown,
  PageUp,
  PageDown,
  ThumbTrack,
  ThumbPosition,
  Top,
  Bottom,
  EndScroll
};

class HexView {
 public:
  HexView(FileImage& image, WindowServices& services);
  ~HexView();
  HexView(const HexView&) = delete;
  HexView& operator=(const HexView&) = delete;

  void SetupHexView();
  void RefreshHexView();
  void SetScrollRange();
  // How many data rows the view holds: `wholeRows` fit completely (they set
  // the scroll range, the page step and where a shown address lands) and
  // `shownRows` (wholeRows or one more) are read and shown, the last of them
  // maybe only in part. The top row moves up when the end of the image would
  // otherwise leave rows of the view empty.
  void SetPageRows(int wholeRows, int shownRows);
  int pageRows() const { return pageRows_; }
  int shownRows() const { return shownRows_; }

  void OnHexScroll(ScrollCode code, std::uint64_t position);
  // delta > 0: wheel turned away from the user. `focusInView`: the grid, the
  // scroll bar or the editor has the keyboard focus.
  void OnHexWheel(int delta, bool focusInView);
  bool ShowAddress(std::uint64_t address);

  // The edit-mode check box 1006 was clicked.
  void ToggleEditMode();
  // The edit-mode menu item 32783.
  void OnEditModeMenu();

  // A click on a grid cell; `rightHalf` when it hit the cell's right half.
  void OnHexCellClicked(int row, int column, bool rightHalf);
  void StartCellEdit(int row, int column, const std::string& text, Selection selection);
  // The editor's text changed; `caret` is the caret position after the change.
  void OnEditorChanged(const std::string& text, int caret);
  // One key typed into the editor: it replaces the selected digit.
  void TypeCharacter(char c);
  void CommitCellEdit();
  // Save's commit of an open edit: only what the editor holds that its byte
  // does not yet hold goes in; an editor merely parked on a cell (even past
  // the end) writes nothing.
  void CommitPendingEdit();
  // Left or Right in the editor: moves between the two digits and on to the
  // neighbouring byte, so the editor always has a digit selected to replace.
  void OnEditorArrow(bool right);
  // The grid's focus cell moved by the user's hand (mouse or keyboard).
  void OnGridFocusMoved(int row, int column);

  // Find marks a hit; the next refresh gives the cell its own class again.
  void MarkSearchHit(int row, int column);
  // Find's hit of `length` bytes at `offset`: the view shows it and marks
  // its cells from the focus cell on, row after row, as far as the page
  // goes. False when the image has no such byte.
  bool ShowSearchHit(std::uint64_t offset, std::size_t length);

  // ---- State for the grid glue ----
  const std::string& CellText(int row, int column) const { return texts_[row][column]; }
  hex::CellClass CellClassAt(int row, int column) const { return classes_[row - 1][column - 1]; }
  // The class was set by the last refresh (or mark). One model call can run
  // several refreshes, so the glue keeps its own record of what it showed.
  bool ClassChanged(int row, int column) const { return classChanged_[row - 1][column - 1]; }
  int focusRow() const { return focusRow_; }
  int focusColumn() const { return focusColumn_; }
  const EditorState& editor() const { return editor_; }
  bool inPlaceEditing() const { return inPlace_; }
  std::uint64_t topRow() const { return top_; }
  std::uint64_t scrollMaximum() const { return scrollMax_; }
  std::uint64_t scrollPosition() const { return scrollPos_; }
  bool scrollEnabled() const { return scrollMax_ > 0; }
  // Counts the times the grid should take the keyboard focus (the editor
  // went away under it), so the glue can act on each one.
  std::uint64_t gridFocusRequests() const { return gridFocusRequests_; }
  // Counts refreshes, so the glue can tell whether to repaint.
  std::uint64_t revision() const { return revision_; }

 private:
  void SyncWithImage();
  void SetFocusCell(int row, int column);
  void OpenEditor(int row, int column, const std::string& text, Selection selection);
  void HideEditor();
  void FollowFocus();
  void MoveToNextCell();
  void MoveToPreviousCell();
  bool CanScroll() const;
  bool IsDataCell(int row, int column) const;
  bool OnPage(std::uint64_t imageRow) const;
  // Scrolls a click on the partly shown row into full view; the row it is
  // on afterwards.
  int BringRowIntoView(int row);

  FileImage& image_;
  WindowServices& services_;

  int pageRows_ = hex::kPageRows;
  int shownRows_ = hex::kPageRows;
  // Row 0 is the header; rows 1..shownRows_ the data rows.
  std::vector<std::array<std::string, hex::kGridColumns>> texts_;
  std::vector<std::array<hex::CellClass, hex::kBytesPerRow>> classes_;
  std::vector<std::array<bool, hex::kBytesPerRow>> classChanged_;
  std::vector<std::uint8_t> imagePage_;
  std::vector<std::uint8_t> sourcePage_;
  std::uint64_t sourceLength_ = 0;

  std::uint64_t top_ = 0;
  std::uint64_t previousTop_ = 0;
  std::uint64_t scrollMax_ = 0;
  std::uint64_t scrollPos_ = 0;

  int focusRow_ = -1;
  int focusColumn_ = -1;
  std::string focusText_;
  std::uint64_t focusImageRow_ = 0;
  int rememberedColumn_ = -1;
  Selection rememberedSelection_;
  bool focusTracking_ = false;

  bool inPlace_ = false;
  EditorState editor_;
  std::string lastGoodText_;
  std::string restoreText_;
  bool typedPending_ = false;  // a valid digit typed and not yet written
  std::uint64_t gridFocusRequests_ = 0;

  std::uint64_t seenLoad_ = ~0ull;
  std::uint64_t seenLayout_ = ~0ull;
  std::uint64_t revision_ = 0;
};

}  // namespace tarnwick::buffers
