// The one-line editor laid over a cell while it is edited in place.
#pragma once

#include <QLineEdit>
#include <QRect>
#include <QString>

namespace tarnwick {

class GridInPlaceEdit : public QLineEdit {
  Q_OBJECT

 public:
  // start_key is the Qt key that started editing (kGridEditStartMouse for the
  // mouse); start_text is the character typed when a character started it.
  GridInPlaceEdit(QWidget* parent, const QRect& rect, const QFont& font, int row, int col,
                  const QString& text, int start_key, const QString& start_text);

  int Row() const { return row_; }
  int Col() const { return col_; }
  bool IsEnded() const { return ended_; }
  // Ends the edit exactly once: reports text and last key, then closes.
  void EndEdit();

 signals:
  void EditEnded(const QString& text, int row, int col, int last_key);

 protected:
  bool event(QEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;

 private:
  void Widen();

  QString initial_text_;
  QRect cell_rect_;
  int row_;
  int col_;
  bool exit_on_arrows_ = true;
  bool ended_ = false;
  int last_key_ = 0;
};

// Page Up/Down and the arrows: they end an edit (with Ctrl, or always when
// the edit was not started by the mouse or Enter) and then move the focus.
bool IsPageOrArrowKey(int key);

}  // namespace tarnwick
