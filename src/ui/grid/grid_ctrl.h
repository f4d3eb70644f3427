// CGridCtrl: a grid of cells painted by the program itself, with fixed header
// rows and columns, trailing fixed columns/rows, keyboard and mouse selection,
// in-place editing, clipboard copy/paste, resizing and title tips.
#pragma once

#include <QAbstractScrollArea>
#include <QPixmap>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <array>
#include <memory>
#include <set>
#include <vector>

#include "ui/grid/grid_cell.h"
#include "ui/grid/grid_types.h"

namespace tarnwick {

class GridInPlaceEdit;
class GridTitleTip;

inline constexpr int kGridLinesNone = 0;
inline constexpr int kGridLinesHorz = 1;
inline constexpr int kGridLinesVert = 2;
inline constexpr int kGridLinesBoth = 3;

class CGridCtrl : public QAbstractScrollArea {
  Q_OBJECT

 public:
  enum class MouseMode {
    kNone,
    kSelectCells,
    kSelectRows,
    kSelectColumns,
    kSizingColumnArmed,
    kSizingColumn,
    kSizingRowArmed,
    kSizingRow,
    kPrepareEdit,
    kPrepareDrag,
    kDrag,
  };

  explicit CGridCtrl(int rows = 0, int cols = 0, int fixed_rows = 0, int fixed_cols = 0,
                     QWidget* parent = nullptr);
  ~CGridCtrl() override;

  // ---- shape ----
  int GetRowCount() const { return static_cast<int>(rows_.size()); }
  int GetColumnCount() const { return static_cast<int>(col_widths_.size()); }
  int GetFixedRowCount() const { return fixed_rows_; }
  int GetFixedColumnCount() const { return fixed_cols_; }
  int GetTrailingFixedRowCount() const { return trailing_rows_; }
  int GetTrailingFixedColumnCount() const { return trailing_cols_; }
  bool SetRowCount(int n);
  bool SetColumnCount(int n);
  bool SetFixedRowCount(int n);
  bool SetFixedColumnCount(int n);
  bool SetTrailingFixedColumnCount(int n);
  bool SetTrailingFixedRowCount(int n);

  // ---- sizes ----
  bool SetRowHeight(int row, int px);
  bool SetColumnWidth(int col, int px);
  int GetRowHeight(int row) const;
  int GetColumnWidth(int col) const;
  bool AutoSizeColumn(int col);
  bool AutoSizeRow(int row);

  // ---- colours and look ----
  void SetFixedTextColor(GridColor c);
  void SetFixedBackColor(GridColor c);
  GridColor GetFixedTextColor() const;
  GridColor GetFixedBackColor() const;
  void SetGridLineColor(GridColor c);
  GridColor GetGridLineColor() const { return grid_line_color_; }
  void SetGridLines(int which);
  int GetGridLines() const { return grid_lines_; }
  CGridDefaultCell* GetDefaultCell(bool fixed_row, bool fixed_col);
  const CGridDefaultCell* GetDefaultCell(bool fixed_row, bool fixed_col) const;
  void SetImageList(std::vector<QPixmap> images);

  // ---- cells ----
  CGridCellBase* GetCell(int row, int col) const;
  bool SetCell(const GridCellDescription& d);
  bool SetCellText(int row, int col, const QString& text);
  QString GetCellText(int row, int col) const;
  bool SetCellState(int row, int col, unsigned state);
  unsigned GetCellState(int row, int col) const;
  bool SetCellBackColor(int row, int col, GridColor c);
  bool SetCellTextColor(int row, int col, GridColor c);
  bool SetCellFont(int row, int col, const QFont* font);
  QFont GetCellFont(int row, int col) const;
  bool SetCellFormat(int row, int col, unsigned format);
  bool SetCellImage(int row, int col, int image);
  bool SetCellData(int row, int col, std::intptr_t data);
  std::intptr_t GetCellData(int row, int col) const;
  bool SetCellMargin(int row, int col, unsigned margin);
  // Rectangle in viewport() coordinates; false when the cell is not in view.
  bool GetCellRect(int row, int col, QRect& rect) const;
  CellId GetCellFromPt(const QPoint& viewport_pos) const;
  bool IsValid(int row, int col) const {
    return row >= 0 && col >= 0 && row < GetRowCount() && col < GetColumnCount();
  }
  bool IsCellFixed(int row, int col) const;
  bool IsCellVisible(int row, int col) const;
  bool IsCellEditable(int row, int col) const;
  bool IsCellSelected(int row, int col) const;

  // ---- focus, selection, view ----
  bool SetFocusCell(int row, int col);
  CellId GetFocusCell() const { return focus_; }
  void ClearSelection();
  bool SetSelectedRange(const CellRange& range);
  CellRange GetSelectedRange() const;
  int GetSelectedCount() const { return static_cast<int>(selected_.size()); }
  bool EnsureVisible(int row, int col);
  CellId GetTopLeftNonFixedCell() const { return CellId(top_row_, left_col_); }
  bool SetModified(bool flag = true, int row = -1, int col = -1);
  bool GetModified(int row = -1, int col = -1) const;
  void Refresh();

  // ---- commands ----
  bool CopySelection();
  bool PasteAtFocus();
  bool CutSelection();
  void SelectAll();
  // Opens the in-place editor; start_key is a Qt key or kGridEditStartMouse.
  bool EditCell(int row, int col, int start_key, const QString& start_text = QString());
  bool IsEditing() const;
  GridInPlaceEdit* GetInPlaceEdit() const;
  bool SortByColumn(int col, bool ascending);

  // ---- behaviour flags ----
  void SetEditable(bool on) { editable_ = on; }
  bool IsEditable() const { return editable_; }
  void EnableSelection(bool on);
  bool IsSelectable() const { return selection_enabled_; }
  void SetListMode(bool on) { list_mode_ = on; }
  bool GetListMode() const { return list_mode_; }
  void SetFixedRowSelection(bool on) { fixed_row_selection_ = on; }
  bool GetFixedRowSelection() const { return fixed_row_selection_; }
  void SetFixedColumnSelection(bool on) { fixed_col_selection_ = on; }
  bool GetFixedColumnSelection() const { return fixed_col_selection_; }
  void SetHeaderSort(bool on) { header_sort_ = on; }
  bool GetHeaderSort() const { return header_sort_; }
  void EnableTitleTips(bool on);
  bool GetTitleTips() const { return title_tips_; }
  void SetHandleTabKey(bool on) { handle_tab_ = on; }
  bool GetHandleTabKey() const { return handle_tab_; }
  void SetColumnResize(bool on) { column_resize_ = on; }
  bool GetColumnResize() const { return column_resize_; }
  void SetRowResize(bool on) { row_resize_ = on; }
  bool GetRowResize() const { return row_resize_; }
  void SetRedraw(bool allow);
  bool GetRedraw() const { return redraw_; }
  void SetDoubleBuffering(bool on) { double_buffer_ = on; }
  bool GetDoubleBuffering() const { return double_buffer_; }
  void EnableDragAndDrop(bool on) { drag_drop_ = on; }
  bool GetDragAndDrop() const { return drag_drop_; }
  MouseMode GetMouseMode() const { return mouse_mode_; }
  const GridTitleTip* GetTitleTip() const { return title_tip_; }

  // ---- process-wide display settings, shared by every grid ----
  static void SetSelectionColors(GridColor text, GridColor back);
  static QColor SelectedTextColor();
  static QColor SelectedBackColor();
  static void SetFixedEdgeColor(GridColor c);
  static QColor FixedEdgeColor();
  static void SetTextInsets(int normal, int fixed);
  static int NormalTextInset() { return s_normal_inset_; }
  static int FixedTextInset() { return s_fixed_inset_; }

 signals:
  // Owner notifications: code is one of the kGrid* notification codes.
  void GridNotify(int row, int col, int code);
  // A left click released over a cell (position in viewport coordinates).
  void CellClicked(int row, int col, const QPoint& pos);
  // Files dropped on the grid, handed to the owner as local paths.
  void FilesDropped(const QStringList& paths);

 protected:
  // Every new cell is made here; a grid with its own cell class overrides it.
  virtual std::unique_ptr<CGridCellBase> CreateCell(int row, int col);

  bool event(QEvent* e) override;
  bool viewportEvent(QEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void scrollContentsBy(int dx, int dy) override;
  void keyPressEvent(QKeyEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dragMoveEvent(QDragMoveEvent* e) override;
  void dropEvent(QDropEvent* e) override;

 private:
  using Row = std::vector<std::unique_ptr<CGridCellBase>>;

  // shape helpers (grid_ctrl.cpp)
  std::unique_ptr<CGridCellBase> NewCell(int row, int col);
  unsigned ZoneBits(int row, int col) const;
  void ApplyFixedMarks();
  const CGridDefaultCell& ZoneOf(const CGridCellBase& cell) const;
  void DropOutOfRangeState();
  QColor ResolvedFixedText() const;
  QColor ResolvedFixedBack() const;
  QFont ResolvedFont(int row, int col) const;
  void Notify(int row, int col, int code);
  void RedrawCell(int row, int col);

  // geometry and scrolling (grid_ctrl_view.cpp)
  int FixedRowHeight() const;
  int FixedColumnWidth() const;
  int ColumnLeft(int col) const;  // viewport x, or INT_MIN when scrolled away
  int RowTop(int row) const;
  void UpdateScrollBars();
  void SyncScrollPositions();
  int LastNavColumn(bool from_fixed) const;
  int LastNavRow(bool from_fixed) const;
  int NextVisibleColumn(int col, int last) const;
  int PrevVisibleColumn(int col) const;
  int NextVisibleRow(int row, int last) const;
  int PrevVisibleRow(int row) const;
  int ColumnDividerAt(const QPoint& pos) const;
  int RowDividerAt(const QPoint& pos) const;
  CellId CellFromPointClamped(const QPoint& pos) const;

  // selection (grid_ctrl.cpp)
  void SelectFromStart(CellId to, bool extend, bool add_previous = false);
  void ChangeFocusByUser(CellId cell);

  // keyboard and editing (grid_ctrl_keys.cpp)
  bool HandleNavigationKey(int key, Qt::KeyboardModifiers mods);
  void DeleteFocusCellText();
  void OnEndInPlaceEdit(const QString& text, int row, int col, int last_key);

  // mouse (grid_ctrl_mouse.cpp)
  void OnAutoScroll();
  void UpdateHoverCursor(const QPoint& pos);
  void UpdateTitleTip(const QPoint& pos);
  void HideTitleTip();
  void SelectWholeColumn(int col, bool extend);
  void SelectWholeRow(int row, bool extend);
  void ExtendMouseSelection(const QPoint& pos);

  // painting (grid_ctrl_paint.cpp)
  void PaintCells(QPainter& p, const QRect& clip);
  GridDrawContext ZoneContext(bool fixed_row, bool fixed_col) const;

  std::vector<Row> rows_;
  std::vector<int> row_heights_;
  std::vector<int> col_widths_;
  int fixed_rows_ = 0;
  int fixed_cols_ = 0;
  int trailing_rows_ = 0;
  int trailing_cols_ = 0;
  int top_row_ = 0;   // first scrollable row in view
  int left_col_ = 0;  // first scrollable column in view

  // Zones: [fixed_row][fixed_col].
  std::array<std::array<std::unique_ptr<CGridDefaultCell>, 2>, 2> defaults_;
  GridColor fixed_text_color_ = kGridDefaultColor;
  GridColor fixed_back_color_ = kGridDefaultColor;
  GridColor grid_line_color_ = kGridLineColor;
  int grid_lines_ = kGridLinesBoth;
  std::vector<QPixmap> images_;

  CellId focus_;
  CellId selection_start_;
  std::set<CellId> selected_;
  std::set<CellId> previous_selection_;
  bool modified_ = false;
  int sort_column_ = -1;
  bool sort_ascending_ = true;

  MouseMode mouse_mode_ = MouseMode::kNone;
  CellId mouse_down_cell_;
  CellId last_drag_cell_;
  QPoint mouse_down_pos_;
  QPoint last_mouse_pos_;
  int sizing_index_ = -1;
  int sizing_line_ = -1;  // x (columns) or y (rows) of the inverted line
  QTimer auto_scroll_timer_;

  QPointer<GridInPlaceEdit> editor_;
  GridTitleTip* title_tip_ = nullptr;  // owned by this widget
  CellId tip_cell_;
  QPixmap buffer_;

  bool editable_ = true;
  bool selection_enabled_ = true;
  bool list_mode_ = false;
  bool fixed_row_selection_ = true;
  bool fixed_col_selection_ = true;
  bool header_sort_ = false;
  bool title_tips_ = true;
  bool handle_tab_ = true;
  bool column_resize_ = true;
  bool row_resize_ = true;
  bool redraw_ = true;
  bool double_buffer_ = true;
  bool drag_drop_ = false;

  static inline GridColor s_selected_text_ = kGridDefaultColor;
  static inline GridColor s_selected_back_ = kGridDefaultColor;
  static inline GridColor s_fixed_edge_ = kGridDefaultColor;
  static inline int s_normal_inset_ = 0;
  static inline int s_fixed_inset_ = 0;
};

}  // namespace tarnwick
