#include "core/app/field_filter.h"

namespace tarnwick {
namespace {

bool Accepted(char c, FieldChars chars) {
  if (c >= '0' && c <= '9') return true;
  return chars == FieldChars::Hex && c >= 'A' && c <= 'F';
}

}  // namespace

FilteredField FilterField(const std::string& text, int caret, FieldChars chars) {
  FilteredField out;
  out.caret = caret;
  int index = 0;
  for (char c : text) {
    if (chars == FieldChars::Hex && c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
    if (Accepted(c, chars)) {
      out.text += c;
    } else {
      out.refused = true;
      // A byte of a multi-byte character counts once, as the box counts it.
      const bool continuation = (static_cast<unsigned char>(c) & 0xC0) == 0x80;
      if (!continuation && index < caret) --out.caret;
    }
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++index;
  }
  if (out.caret < 0) out.caret = 0;
  if (out.caret > static_cast<int>(out.text.size())) out.caret = static_cast<int>(out.text.size());
  return out;
}

}  // namespace tarnwick
