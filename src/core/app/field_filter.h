// The character filter of the dialogs' numeric boxes: what was typed or
// pasted is checked as the text changes, a character the box does not take
// is removed again and the caret goes back to where it stood.
#pragma once

#include <string>

namespace tarnwick {

enum class FieldChars {
  Hex,      // 0-9, A-F (letters are turned to upper case first)
  Decimal,  // 0-9
};

struct FilteredField {
  std::string text;
  int caret = 0;
  bool refused = false;  // something was removed: the box warns
};

// `text` as the box holds it after a change, `caret` the caret position in
// characters. Every refused character goes, not only the one before the
// caret: a paste brings several at once.
FilteredField FilterField(const std::string& text, int caret, FieldChars chars);

}  // namespace tarnwick
