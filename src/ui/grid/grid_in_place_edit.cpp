#include "ui/grid/grid_in_place_edit.h"

#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>

#include "ui/grid/grid_types.h"

namespace tarnwick {

GridInPlaceEdit::GridInPlaceEdit(QWidget* parent, const QRect& rect, const QFont& font, int row,
                                 int col, const QString& text, int start_key,
                                 const QString& start_text)
    : QLineEdit(parent), initial_text_(text), cell_rect_(rect), row_(row), col_(col) {
  setFont(font);
  setFrame(true);
  setGeometry(rect);
  setText(text);
  switch (start_key) {
    case kGridEditStartMouse:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_F2:
      // The user means to work inside the text: arrows move the caret.
      exit_on_arrows_ = false;
      end(false);
      break;
    case Qt::Key_Backspace:
      end(false);
      backspace();
      break;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Space:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_End:
    case Qt::Key_Home:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
      selectAll();
      break;
    default:
      if (start_text.isEmpty()) {
        selectAll();
      } else {
        setText(start_text);
        end(false);
        Widen();
      }
      break;
  }
  show();
  setFocus(Qt::OtherFocusReason);
}

void GridInPlaceEdit::EndEdit() {
  if (ended_) return;
  ended_ = true;
  emit EditEnded(text(), row_, col_, last_key_);
  hide();
  deleteLater();
}

bool GridInPlaceEdit::event(QEvent* e) {
  // The editor wants every key, including the ones bound to shortcuts.
  if (e->type() == QEvent::ShortcutOverride) {
    e->accept();
    return true;
  }
  if (e->type() == QEvent::KeyPress) {
    auto* ke = static_cast<QKeyEvent*>(e);
    if (ke->key() == Qt::Key_Tab || ke->key() == Qt::Key_Backtab) {
      keyPressEvent(ke);
      return true;
    }
  }
  return QLineEdit::event(e);
}

void GridInPlaceEdit::keyPressEvent(QKeyEvent* e) {
  const int key = e->key();
  const bool ctrl = e->modifiers() & Qt::ControlModifier;
  if (key == Qt::Key_Escape) {
    setText(initial_text_);
    last_key_ = key;
    EndEdit();
    return;
  }
  if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Tab ||
      key == Qt::Key_Backtab || (IsPageOrArrowKey(key) && (ctrl || exit_on_arrows_))) {
    last_key_ = key;
    EndEdit();
    return;
  }
  QLineEdit::keyPressEvent(e);
  if (!e->text().isEmpty()) Widen();
}

void GridInPlaceEdit::focusOutEvent(QFocusEvent* e) {
  QLineEdit::focusOutEvent(e);
  // The editor's own context menu takes the focus for a moment only.
  if (e->reason() == Qt::PopupFocusReason) return;
  EndEdit();
}

void GridInPlaceEdit::Widen() {
  const QFontMetrics fm(font());
  // Room for the frame and the line edit's inner padding around the text.
  constexpr int kFramePadding = 8;
  const int wanted = fm.horizontalAdvance(text() + QStringLiteral("  ")) + kFramePadding;
  const int limit = parentWidget() ? parentWidget()->width() - x() : wanted;
  const int w = std::max(cell_rect_.width(), std::min(wanted, limit));
  if (w > width()) resize(w, height());
}

bool IsPageOrArrowKey(int key) {
  switch (key) {
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
      return true;
    default:
      return false;
  }
}

}  // namespace tarnwick
