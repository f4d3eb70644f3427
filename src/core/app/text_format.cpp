#include "core/app/text_format.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace tarnwick {

std::string Format(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  va_list ap2;
  va_copy(ap2, ap);
  const int n = std::vsnprintf(nullptr, 0, fmt, ap);
  va_end(ap);
  std::string out(n > 0 ? static_cast<std::size_t>(n) : 0, '\0');
  if (n > 0) std::vsnprintf(out.data(), out.size() + 1, fmt, ap2);
  va_end(ap2);
  return out;
}

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
