#include "ui/operations/batch_number_field.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QRegularExpressionValidator>

#include "ui/app/message_box.h"

namespace tarnwick {

void MakeNumberField(QLineEdit* edit) {
  // Ten digits hold 4294967295; a larger ten-digit value gets the prompt.
  edit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,10}"), edit));
}

std::optional<std::uint32_t> NumberIn(const QString& text, NumberRange range) {
  bool ok = false;
  const qulonglong value = text.trimmed().toULongLong(&ok, 10);
  if (!ok || value < range.min || value > range.max) return std::nullopt;
  return static_cast<std::uint32_t>(value);
}

QString RangePrompt(NumberRange range) {
  return QCoreApplication::translate("BatchDialog", "Please enter an integer between %1 and %2.")
      .arg(range.min)
      .arg(range.max);
}

std::optional<std::uint32_t> ReadNumberField(QLineEdit* edit, NumberRange range,
                                             const QString& caption) {
  const std::optional<std::uint32_t> value = NumberIn(edit->text(), range);
  if (value) return value;
  RunMessageBox(edit->window(), RangePrompt(range), caption, BoxIcon::Warning, BoxButtons::Ok);
  edit->setFocus(Qt::OtherFocusReason);
  edit->selectAll();
  return std::nullopt;
}

}  // namespace tarnwick
