#include "core/app/text_format.h"

#include <algorithm>
#include <cstdio>

namespace tarnwick {

std::string BlanksToZeros(std::string s) {
  std::replace(s.begin(), s.end(), ' ', '0');
  return s;
}

std::string ZeroFilled(const char* format, unsigned long long value) {
  char buf[48];
  std::snprintf(buf, sizeof buf, format, value);
  return BlanksToZeros(buf);
}

}  // namespace tarnwick
