// The batch dialog's number boxes: unsigned decimal, each with its range. A
// value outside the range gets the usual prompt and the box gets the focus.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

class QLineEdit;

namespace tarnwick {

struct NumberRange {
  std::uint32_t min;
  std::uint32_t max;
};

inline constexpr NumberRange kAnyNumber{0, 0xFFFFFFFFu};
inline constexpr NumberRange kIncrementRange{1, 0xFFFFFFFFu};

// Only digits can be typed, and no more than the largest value has.
void MakeNumberField(QLineEdit* edit);

// The box's value when it is a number within `range`; nothing for an empty
// box, other text or a value outside the range.
std::optional<std::uint32_t> NumberIn(const QString& text, NumberRange range);

// "Please enter an integer between 1 and 4294967295."
QString RangePrompt(NumberRange range);

// NumberIn of the box; otherwise shows RangePrompt in a box over `edit`'s
// window, then focuses and selects the box.
std::optional<std::uint32_t> ReadNumberField(QLineEdit* edit, NumberRange range,
                                             const QString& caption);

}  // namespace tarnwick
