// What the find job says when the file image cannot be read to its end.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace tarnwick::find_texts {

inline std::string ReadFailedAt(std::uint64_t offset) {
  char text[160];
  std::snprintf(text, sizeof text,
                "The search stopped: the file image cannot be read at %08llX. "
                "The image after that was not searched.",
                static_cast<unsigned long long>(offset));
  return text;
}

}  // namespace tarnwick::find_texts
