#include "ui/app/filtered_edit.h"

#include <QLineEdit>
#include <QSignalBlocker>

#include "core/app/text_ids.h"
#include "core/app/text_table.h"
#include "ui/app/message_box.h"
#include "ui/app/qt_text.h"

namespace tarnwick {

void AttachFieldFilter(QLineEdit* edit, FieldChars chars, int maxLength, const TextTable& texts) {
  edit->setMaxLength(maxLength);
  QObject::connect(edit, &QLineEdit::textEdited, edit, [edit, chars, &texts](const QString& text) {
    const FilteredField f = FilterField(text.toStdString(), edit->cursorPosition(), chars);
    const QString kept = Q(f.text);
    if (kept != text) {
      const QSignalBlocker block(edit);
      edit->setText(kept);
      edit->setCursorPosition(f.caret);
    }
    if (f.refused) {
      ShowNoticeBox(edit->window(), texts, itext::kCharacterNotAllowed);
      edit->setFocus();
      edit->setCursorPosition(f.caret);
    }
  });
}

}  // namespace tarnwick
