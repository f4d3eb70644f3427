// Puts the character filter on a dialog's numeric edit box: what the user
// types or pastes that the box does not take is removed again, the caret
// goes back and a warning box says why. Text the dialog sets itself is not
// checked (only user edits are).
#pragma once

#include "core/app/field_filter.h"

class QLineEdit;

namespace tarnwick {

class TextTable;

void AttachFieldFilter(QLineEdit* edit, FieldChars chars, int maxLength, const TextTable& texts);

}  // namespace tarnwick
