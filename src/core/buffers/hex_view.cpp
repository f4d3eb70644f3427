#include "core/buffers/hex_view.h"

#include <algorithm>
#include <cctype>

#include "core/app/text_ids.h"
#include "core/app/window_services.h"
#include "core/buffers/buffer_constants.h"
#include "core/buffers/file_image.h"
#include "resources/ids.h"

namespace tarnwick::buffers {

using hex::CellClass;
using hex::kBytesPerRow;

namespace {
bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}
}  // namespace

HexView::HexView(FileImage& image, WindowServices& services) : image_(image), services_(services) {
  image_.SetPendingEditCommitter([this] { CommitPendingEdit(); });
  SetupHexView();
}

HexView::~HexView() { image_.SetPendingEditCommitter({}); }

bool HexView::IsDataCell(int row, int column) const {
  return row >= 1 && row <= shownRows_ && column >= 1 && column <= kBytesPerRow;
}

bool HexView::OnPage(std::uint64_t imageRow) const {
  return imageRow >= top_ && imageRow < top_ + static_cast<std::uint64_t>(pageRows_);
}

void HexView::SetupHexView() {
  const auto rows = static_cast<std::size_t>(shownRows_);
  texts_.assign(rows + 1, {});
  classes_.assign(rows, {});
  classChanged_.assign(rows, {});
  imagePage_.assign(rows * kBytesPerRow, 0xFF);
  sourcePage_.assign(rows * kBytesPerRow, 0x00);
  for (int c = 0; c < hex::kGridColumns; ++c) texts_[0][c] = hex::HeaderText(c);
  for (int r = 1; r <= shownRows_; ++r) {
    texts_[r][0] = hex::AddressText(static_cast<std::uint64_t>(r - 1) * kBytesPerRow);
    for (int c = 1; c <= kBytesPerRow; ++c) texts_[r][c] = "FF";
    texts_[r][hex::kAsciiColumn] = std::string(kBytesPerRow, '.');
  }
  for (auto& row : classes_) row.fill(CellClass::NoData);
  for (auto& row : classChanged_) row.fill(false);
}

void HexView::SyncWithImage() {
  const std::uint64_t load = image_.loadGeneration();
  if (load != seenLoad_) {
    seenLoad_ = load;
    top_ = previousTop_ = 0;
    focusRow_ = focusColumn_ = -1;
    rememberedColumn_ = -1;
    focusTracking_ = false;
    HideEditor();
    lastGoodText_.clear();
    restoreText_.clear();
    SetScrollRange();
  } else if (image_.layoutGeneration() != seenLayout_) {
    SetScrollRange();
  }
}

void HexView::SetScrollRange() {
  seenLayout_ = image_.layoutGeneration();
  scrollMax_ = hex::ScrollMaximumFor(image_.totalRows(), pageRows_);
  scrollPos_ = 0;
}

void HexView::SetPageRows(int wholeRows, int shownRows) {
  wholeRows = std::max(1, wholeRows);
  shownRows = std::clamp(shownRows, wholeRows, wholeRows + 1);
  if (wholeRows == pageRows_ && shownRows == shownRows_) return;
  SyncWithImage();
  const int oldShown = shownRows_;
  auto oldTexts = std::move(texts_);
  auto oldClasses = std::move(classes_);
  pageRows_ = wholeRows;
  shownRows_ = shownRows;
  SetupHexView();
  // Rows both sizes share keep what they showed until the next refresh.
  for (int r = 1; r <= std::min(oldShown, shownRows_); ++r) {
    texts_[r] = oldTexts[r];
    classes_[r - 1] = oldClasses[r - 1];
  }
  // A taller view at the end of the image shows more rows above, not empty
  // ones below.
  const std::uint64_t total = image_.totalRows();
  const auto page = static_cast<std::uint64_t>(pageRows_);
  if (total <= page) {
    top_ = 0;
  } else if (top_ + page > total) {
    top_ = total - page;
  }
  scrollMax_ = hex::ScrollMaximumFor(total, pageRows_);
  if (image_.loaded()) scrollPos_ = hex::ScrollPositionFor(top_, total, pageRows_);
}

void HexView::RefreshHexView() {
  SyncWithImage();
  std::fill(imagePage_.begin(), imagePage_.end(), std::uint8_t{0xFF});
  std::fill(sourcePage_.begin(), sourcePage_.end(), std::uint8_t{0x00});
  const std::uint64_t total = image_.totalRows();
  const bool loaded = image_.ReadPage(top_ * kBytesPerRow, imagePage_.data(), sourcePage_.data(),
                                      imagePage_.size(), &sourceLength_);
  if (loaded) scrollPos_ = hex::ScrollPositionFor(top_, total, pageRows_);
  const std::uint64_t size = image_.size();
  const std::uint64_t capacity = image_.chipCapacity();

  bool changedShown = false;
  for (int r = 1; r <= shownRows_; ++r) {
    texts_[r][0] = hex::AddressText((top_ + static_cast<std::uint64_t>(r - 1)) * kBytesPerRow);
    for (int k = 1; k <= kBytesPerRow; ++k) {
      const int i = (r - 1) * kBytesPerRow + (k - 1);
      const std::uint64_t o = hex::OffsetOf(top_, r, k);
      CellClass cls = CellClass::Normal;
      if (!loaded) {
        cls = CellClass::NoData;
      } else if (imagePage_[i] != sourcePage_[i] || o >= sourceLength_) {
        cls = o >= size ? CellClass::NoData : CellClass::Changed;
      } else if (o >= capacity) {
        cls = CellClass::PastChipEnd;
      }
      if (cls == CellClass::Changed) changedShown = true;
      classChanged_[r - 1][k - 1] = classes_[r - 1][k - 1] != cls;
      classes_[r - 1][k - 1] = cls;
      texts_[r][k] = hex::ByteText(imagePage_[i]);
    }
    texts_[r][hex::kAsciiColumn] =
        hex::AsciiText(imagePage_.data() + static_cast<std::size_t>(r - 1) * kBytesPerRow);
  }
  if (changedShown) services_.EnableCommand(ids::kSaveFile);
  FollowFocus();
  ++revision_;
}

void HexView::FollowFocus() {
  if (focusTracking_) {
    const bool editing = inPlace_ && image_.editMode();
    if (focusRow_ < 0) {
      if (rememberedColumn_ > 0 && OnPage(focusImageRow_)) {
        focusRow_ = static_cast<int>(focusImageRow_ - top_) + 1;
        focusColumn_ = rememberedColumn_;
        if (editing) {
          OpenEditor(focusRow_, focusColumn_, texts_[focusRow_][focusColumn_],
                     rememberedSelection_);
        }
      }
    } else {
      rememberedColumn_ = focusColumn_;
      focusImageRow_ = previousTop_ + static_cast<std::uint64_t>(focusRow_ - 1);
      if (editor_.visible) rememberedSelection_ = editor_.selection;
      if (OnPage(focusImageRow_)) {
        focusRow_ = static_cast<int>(focusImageRow_ - top_) + 1;
        // The cell now under the focus holds the same byte: take its text.
        focusText_ = texts_[focusRow_][focusColumn_];
        if (editing) OpenEditor(focusRow_, focusColumn_, focusText_, rememberedSelection_);
      } else {
        focusRow_ = focusColumn_ = -1;
        // The edit stays pending and reopens when its row scrolls back; the
        // grid takes the keyboard so the wheel goes on scrolling.
        if (editing) {
          editor_.visible = false;
          ++gridFocusRequests_;
        }
      }
    }
  }
  previousTop_ = top_;
}

bool HexView::CanScroll() const {
  return !image_.busy() && image_.loaded() &&
         image_.totalRows() > static_cast<std::uint64_t>(pageRows_);
}

void HexView::OnHexScroll(ScrollCode code, std::uint64_t position) {
  SyncWithImage();
  if (!CanScroll()) return;
  const std::uint64_t total = image_.totalRows();
  const auto page = static_cast<std::uint64_t>(pageRows_);
  switch (code) {
    case ScrollCode::LineUp:
      if (top_ > 0) --top_;
      break;
    case ScrollCode::LineDown:
      if (top_ + page < total) ++top_;
      break;
    // A click on the bar's track moves a whole page, stopping at either end.
    case ScrollCode::PageUp:
      top_ -= std::min<std::uint64_t>(top_, page);
      break;
    case ScrollCode::PageDown:
      top_ = std::min<std::uint64_t>(top_ + page, total - page);
      break;
    case ScrollCode::ThumbTrack:
      if (auto top = hex::TopRowFromThumb(position, total, pageRows_)) top_ = *top;
      break;
    default:
      return;
  }
  scrollPos_ = hex::ScrollPositionFor(top_, total, pageRows_);
  RefreshHexView();
}

void HexView::OnHexWheel(int delta, bool focusInView) {
  SyncWithImage();
  if (!CanScroll() || !focusInView || delta == 0) return;
  if (delta > 0) {
    if (top_ > 0) --top_;
  } else if (top_ + static_cast<std::uint64_t>(pageRows_) < image_.totalRows()) {
    ++top_;
  }
  RefreshHexView();
}

bool HexView::ShowAddress(std::uint64_t address) {
  SyncWithImage();
  const std::uint64_t size = image_.size();
  if (!image_.loaded() || address >= size) {
    const std::string& text = services_.texts().itext(itext::kAddressBeyondFile);
    services_.ShowStatus(text, true);
    services_.Box(text, BoxIcon::Warning);
    return false;
  }
  const std::uint64_t row = address / kBytesPerRow;
  const bool onPage = OnPage(row);
  const auto page = static_cast<std::uint64_t>(pageRows_);
  if (size > page * kBytesPerRow) {
    if (!onPage) {
      top_ = row;
      const std::uint64_t fileRows = image_.fileRows();
      if (fileRows - top_ < page) top_ = fileRows - page;
    }
  } else if (!onPage) {
    // A small image scrolled down by a larger chip: its bytes are on page 0.
    top_ = 0;
  }
  RefreshHexView();
  const int gridRow = static_cast<int>(row - top_) + 1;
  const int gridColumn = static_cast<int>(address % kBytesPerRow) + 1;
  if (image_.editMode()) {
    restoreText_ = texts_[gridRow][gridColumn];
    lastGoodText_.clear();
    StartCellEdit(gridRow, gridColumn, texts_[gridRow][gridColumn], {0, 2});
  }
  SetFocusCell(gridRow, gridColumn);
  focusTracking_ = true;
  return true;
}

void HexView::SetFocusCell(int row, int column) {
  focusRow_ = row;
  focusColumn_ = column;
  rememberedColumn_ = column;
  focusImageRow_ = top_ + static_cast<std::uint64_t>(row - 1);
  focusText_ = texts_[row][column];
}

void HexView::ToggleEditMode() {
  SyncWithImage();
  auto& surface = services_.surface();
  const auto& t = services_.texts();
  if (image_.busy()) {
    surface.SetCheckBox(ids::kEditModeCheck, image_.editMode());
    return;
  }
  if (!image_.loaded()) {
    surface.SetCheckBox(ids::kEditModeCheck, false);
    services_.ShowStatus(t.itext(itext::kNoFileForEditMode), true);
    return;
  }
  if (!image_.editMode()) {
    image_.SetEditMode(true);
    services_.EnableCommand(ids::kFileFill);
    if (focusRow_ > 0) {
      restoreText_ = texts_[focusRow_][focusColumn_];
      lastGoodText_.clear();
      rememberedSelection_ = {0, 1};
      StartCellEdit(focusRow_, focusColumn_, texts_[focusRow_][focusColumn_], {0, 1});
    }
    surface.SetMenuChecked(ids::kEditModeMenu, true);
    surface.SetCheckBox(ids::kEditModeCheck, true);
    services_.ShowStatus(t.itext(itext::kEditModeOn));
    surface.HexViewChanged();
    return;
  }
  image_.SetEditMode(false);
  services_.DisableCommand(ids::kFileFill);
  if (focusRow_ > 0 && hex::OffsetOf(top_, focusRow_, focusColumn_) < image_.size()) {
    CommitCellEdit();
  }
  // An editor left over a cell past the end would otherwise stay open
  // outside edit mode; it is dropped, not appended.
  HideEditor();
  ++gridFocusRequests_;
  surface.SetMenuChecked(ids::kEditModeMenu, false);
  surface.SetCheckBox(ids::kEditModeCheck, false);
  services_.ShowStatus(t.itext(itext::kEditModeOff));
  surface.HexViewChanged();
}

void HexView::OnEditModeMenu() {
  if (image_.busy()) return;
  if (!image_.loaded()) {
    services_.ShowStatus(services_.texts().itext(itext::kNoFileForEditMode), true, true);
    return;
  }
  ToggleEditMode();
}

int HexView::BringRowIntoView(int row) {
  if (row <= pageRows_ || !CanScroll()) return row;
  const std::uint64_t total = image_.totalRows();
  const auto page = static_cast<std::uint64_t>(pageRows_);
  const auto need = static_cast<std::uint64_t>(row - pageRows_);
  const std::uint64_t room = total > top_ + page ? total - top_ - page : 0;
  const std::uint64_t step = std::min(need, room);
  if (step == 0) return row;
  top_ += step;
  scrollPos_ = hex::ScrollPositionFor(top_, total, pageRows_);
  RefreshHexView();
  return row - static_cast<int>(step);
}

void HexView::OnHexCellClicked(int row, int column, bool rightHalf) {
  SyncWithImage();
  if (!IsDataCell(row, column)) return;
  row = BringRowIntoView(row);
  SetFocusCell(row, column);
  focusTracking_ = true;
  if (!image_.editMode() || !image_.loaded() || image_.busy()) return;
  restoreText_ = focusText_;
  lastGoodText_.clear();
  StartCellEdit(row, column, focusText_, rightHalf ? Selection{1, 2} : Selection{0, 1});
}

void HexView::StartCellEdit(int row, int column, const std::string& text, Selection selection) {
  if (!IsDataCell(row, column)) return;
  services_.ShowStatus(services_.texts().itext(itext::kEditingHint));
  OpenEditor(row, column, text, selection);
}

void HexView::OpenEditor(int row, int column, const std::string& text, Selection selection) {
  editor_.visible = true;
  editor_.row = row;
  editor_.column = column;
  editor_.text = text;
  editor_.selection = selection;
  inPlace_ = true;
  typedPending_ = false;
}

void HexView::HideEditor() {
  editor_.visible = false;
  inPlace_ = false;
  typedPending_ = false;
}

void HexView::TypeCharacter(char c) {
  if (!editor_.visible) return;
  const std::string& t = editor_.text;
  const int length = static_cast<int>(t.size());  // two digits at most
  const auto start = static_cast<std::size_t>(std::min(editor_.selection.start, length));
  const auto end = static_cast<std::size_t>(std::min(editor_.selection.end, length));
  std::string text = t.substr(0, start) + c + t.substr(std::max(start, end));
  OnEditorChanged(text, static_cast<int>(start) + 1);
}

void HexView::OnEditorChanged(const std::string& typed, int caret) {
  SyncWithImage();
  if (image_.busy() || !image_.loaded() || !inPlace_) return;
  const auto& t = services_.texts();
  const std::string text = Upper(typed);
  editor_.text = text;
  if (text.empty()) {
    services_.ShowStatus(t.itext(itext::kValueEmpty), true);
    services_.Box(t.itext(itext::kValueEmpty), t.itext(itext::kWarningCaption), BoxIcon::Warning);
    editor_.text = lastGoodText_ = restoreText_;
    editor_.selection = {0, static_cast<int>(restoreText_.size())};
    return;
  }
  if (caret <= 0 || caret > static_cast<int>(text.size())) return;
  const int p = caret - 1;
  if (!IsHexDigit(text[static_cast<std::size_t>(p)])) {
    services_.Box(t.itext(itext::kCharacterNotAllowed), BoxIcon::Warning);
    editor_.text = lastGoodText_.empty() ? restoreText_ : lastGoodText_;
    editor_.selection = {p, p + 1};
    return;
  }
  lastGoodText_ = text;
  typedPending_ = true;
  if (p == 0) {
    CommitCellEdit();
    if (IsDataCell(focusRow_, focusColumn_)) {
      StartCellEdit(focusRow_, focusColumn_, texts_[focusRow_][focusColumn_], {1, 2});
    }
    return;
  }
  if (text.size() == 2) {
    CommitCellEdit();
    MoveToNextCell();
  }
}

void HexView::MoveToNextCell() {
  if (!IsDataCell(focusRow_, focusColumn_)) return;
  int row = focusRow_;
  int column = focusColumn_ + 1;
  if (column > kBytesPerRow) {
    column = 1;
    ++row;
  }
  if (row > pageRows_) {
    row = pageRows_;
    ++top_;
    RefreshHexView();
  }
  SetFocusCell(row, column);
  RefreshHexView();
  lastGoodText_.clear();
  restoreText_ = texts_[row][column];
  StartCellEdit(row, column, texts_[row][column], {0, 1});
}

void HexView::MoveToPreviousCell() {
  if (!IsDataCell(focusRow_, focusColumn_)) return;
  int row = focusRow_;
  int column = focusColumn_ - 1;
  if (column < 1) {
    column = kBytesPerRow;
    --row;
  }
  if (row < 1) {
    if (top_ == 0) return;  // the first byte: nowhere to go
    row = 1;
    --top_;
    RefreshHexView();
  }
  SetFocusCell(row, column);
  RefreshHexView();
  lastGoodText_.clear();
  restoreText_ = texts_[row][column];
  StartCellEdit(row, column, texts_[row][column], {1, 2});
}

void HexView::OnEditorArrow(bool right) {
  SyncWithImage();
  if (image_.busy() || !image_.loaded() || !editor_.visible) return;
  // Every typed digit is written at once, so leaving a byte loses nothing.
  if (right) {
    if (editor_.selection.start < 1) {
      editor_.selection = {1, 2};
    } else {
      MoveToNextCell();
    }
  } else if (editor_.selection.start >= 1) {
    editor_.selection = {0, 1};
  } else {
    MoveToPreviousCell();
  }
  ++revision_;
}

void HexView::OnGridFocusMoved(int row, int column) {
  SyncWithImage();
  if (IsDataCell(row, column)) SetFocusCell(row, column);
}

void HexView::CommitPendingEdit() {
  if (!inPlace_) return;
  const bool textDiffers =
      IsDataCell(focusRow_, focusColumn_) && editor_.text != texts_[focusRow_][focusColumn_];
  if (typedPending_ || textDiffers) CommitCellEdit();
}

void HexView::CommitCellEdit() {
  if (image_.busy() || !image_.loaded() || !(image_.editMode() || inPlace_)) return;
  const auto& t = services_.texts();
  if (!IsDataCell(focusRow_, focusColumn_)) {
    HideEditor();
    return;
  }
  const std::string text = editor_.text;
  const std::uint64_t o = hex::OffsetOf(top_, focusRow_, focusColumn_);
  const bool valid = !text.empty() && text.size() <= 2 && IsHexDigit(text[0]) &&
                     (text.size() == 1 || IsHexDigit(text[1]));
  if (valid && (text != texts_[focusRow_][focusColumn_] || o >= image_.size())) {
    const std::string digits = text.size() == 1 ? "0" + text : text;
    const auto value = static_cast<std::uint8_t>(std::stoul(digits, nullptr, 16));
    HideEditor();
    if (!image_.WriteByte(o, value)) {
      // A full disk must not look like a written byte.
      services_.ShowStatus(t.itext(itext::kCannotOpenFile), true);
      SetScrollRange();
      RefreshHexView();
      return;
    }
    SetScrollRange();
    RefreshHexView();
    services_.ShowStatus(t.itext(itext::kDataChanged));
    services_.EnableCommand(ids::kSaveFile);
    return;
  }
  HideEditor();
  services_.ShowStatus(t.itext(itext::kValueUnchanged));
}

void HexView::MarkSearchHit(int row, int column) {
  if (!IsDataCell(row, column)) return;
  classChanged_[row - 1][column - 1] = classes_[row - 1][column - 1] != CellClass::SearchHit;
  classes_[row - 1][column - 1] = CellClass::SearchHit;
  ++revision_;
}

bool HexView::ShowSearchHit(std::uint64_t offset, std::size_t length) {
  if (!ShowAddress(offset)) return false;
  int row = focusRow_;
  int column = focusColumn_;
  for (std::size_t i = 0; i < length && row <= shownRows_; ++i) {
    MarkSearchHit(row, column);
    if (++column > kBytesPerRow) {
      column = 1;
      ++row;
    }
  }
  return true;
}

}  // namespace tarnwick::buffers
