// The program's ways of writing texts: printf into a string, and numbers
// with printf widths whose padding blanks show as '0' ("%8X" of 0x10 reads
// 00000010).
#pragma once

#include <string>

namespace tarnwick {

// printf into a std::string.
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// Every blank of `s` becomes '0'.
std::string BlanksToZeros(std::string s);
// One unsigned value through `format`, blanks turned to '0'.
std::string ZeroFilled(const char* format, unsigned long long value);

}  // namespace tarnwick
