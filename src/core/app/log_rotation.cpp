#include "core/app/log_rotation.h"

#include <sys/stat.h>

#include <cstdio>

namespace tarnwick {

bool RotateLogIfLarge(const std::string& path, std::uint64_t limit) {
  struct stat st {};
  if (limit == 0 || ::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  if (static_cast<std::uint64_t>(st.st_size) < limit) return false;
  return std::rename(path.c_str(), (path + ".1").c_str()) == 0;
}

}  // namespace tarnwick
