// The cells of the grid: the abstract cell, the ordinary cell and the default
// cell that carries the look of one zone of the grid.
#pragma once

#include <QFont>
#include <QPixmap>
#include <QRect>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "ui/grid/grid_types.h"

class QPainter;
class QWidget;

namespace tarnwick {

class CGridDefaultCell;
class GridInPlaceEdit;

// Everything a cell needs from its grid to draw itself; colours here are
// already resolved (no default markers).
struct GridDrawContext {
  QColor text;           // zone text colour
  QColor back;           // zone background colour
  QColor selected_text;  // process-wide selection colours
  QColor selected_back;
  QColor edge_light;  // light top-left edge of fixed cells
  QColor edge_dark;   // dark bottom-right edge of fixed cells
  QColor focus_frame;
  const CGridDefaultCell* zone = nullptr;  // font, format and margin fallbacks
  int text_inset = 0;
  const std::vector<QPixmap>* images = nullptr;
  bool show_focus = true;
};

class CGridCellBase {
 public:
  CGridCellBase() = default;
  virtual ~CGridCellBase() = default;
  CGridCellBase(const CGridCellBase&) = delete;
  CGridCellBase& operator=(const CGridCellBase&) = delete;

  virtual void SetText(const QString& text) = 0;
  virtual QString GetText() const = 0;
  // nullptr means "use the zone's font".
  virtual void SetFont(const QFont* font) = 0;
  virtual const QFont* GetFont() const = 0;

  void SetImage(int image) { image_ = image; }
  int GetImage() const { return image_; }
  void SetData(std::intptr_t data) { data_ = data; }
  std::intptr_t GetData() const { return data_; }
  void SetState(unsigned state) { state_ = state; }
  unsigned GetState() const { return state_; }
  // Ampersands are never prefixes in this grid, whatever the caller passes.
  void SetFormat(unsigned format) { format_ = format | kDtNoPrefix; }
  // Unset format and margin follow the zone's default cell.
  bool HasFormat() const { return format_.has_value(); }
  unsigned GetFormat() const { return format_.value_or(kDtDefaultFormat); }
  void SetTextClr(GridColor c) { text_color_ = c; }
  GridColor GetTextClr() const { return text_color_; }
  void SetBackClr(GridColor c) { back_color_ = c; }
  GridColor GetBackClr() const { return back_color_; }
  void SetMargin(unsigned margin) { margin_ = margin; }
  bool HasMargin() const { return margin_.has_value(); }
  unsigned GetMargin() const { return margin_.value_or(kGridFallbackMargin); }

  bool IsFocused() const { return state_ & kCellFocused; }
  bool IsSelected() const { return state_ & kCellSelected; }
  bool IsFixed() const { return state_ & kCellFixed; }

  // Paints background, fixed edges, focus frame, image and text into rect.
  virtual void Draw(QPainter& painter, const QRect& rect, const GridDrawContext& ctx) const;
  // Creates the in-place editor over rect as a child of parent.
  virtual GridInPlaceEdit* CreateEditor(QWidget* parent, int row, int col, const QRect& rect,
                                        const QFont& font, int start_key,
                                        const QString& start_text) const;
  // Told when its editor has ended (before the grid applies the text).
  virtual void OnEndEdit() {}
  virtual void OnDblClick() {}

 protected:
  unsigned state_ = 0;
  std::optional<unsigned> format_;
  int image_ = -1;
  std::intptr_t data_ = 0;
  GridColor text_color_ = kGridDefaultColor;
  GridColor back_color_ = kGridDefaultColor;
  std::optional<unsigned> margin_;
};

class CGridCell : public CGridCellBase {
 public:
  void SetText(const QString& text) override { text_ = text; }
  QString GetText() const override { return text_; }
  void SetFont(const QFont* font) override;
  const QFont* GetFont() const override { return font_ ? &*font_ : nullptr; }
  const QString& TextRef() const { return text_; }

 private:
  QString text_;
  std::optional<QFont> font_;
};

// The defaults of one zone (normal, fixed row, fixed column, both).
class CGridDefaultCell : public CGridCellBase {
 public:
  // Measures its font when a screen exists; otherwise the fallback sizes.
  CGridDefaultCell();

  void SetText(const QString& text) override { text_ = text; }
  QString GetText() const override { return text_; }
  void SetFont(const QFont* font) override;
  const QFont* GetFont() const override { return &font_; }

  void SetWidth(int w) { width_ = w; }
  int GetWidth() const { return width_; }
  void SetHeight(int h) { height_ = h; }
  int GetHeight() const { return height_; }

 private:
  void Measure();

  QString text_;
  QFont font_;
  int width_ = kGridFallbackWidth;
  int height_ = kGridFallbackHeight;
};

}  // namespace tarnwick
