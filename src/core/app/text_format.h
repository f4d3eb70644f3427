// The program's way of writing numbers: printf widths with the padding blanks
// shown as '0' ("%8X" of 0x10 reads 00000010).
#pragma once

#include <string>

namespace tarnwick {

// Every blank of `s` becomes '0'.
std::string BlanksToZeros(std::string s);
// One unsigned value through `format`, blanks turned to '0'.
std::string ZeroFilled(const char* format, unsigned long long value);

}  // namespace tarnwick
