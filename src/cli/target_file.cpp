#include "cli/target_file.h"

#include <unistd.h>

#include <filesystem>

#include "core/buffers/posix_file.h"

namespace tarnwick::cli {

namespace fs = std::filesystem;

std::string TargetProblem(const CliContext& c, const std::string& file) {
  std::error_code ec;
  const fs::path target = fs::weakly_canonical(fs::path(file), ec);
  if (ec) return "the path cannot be resolved (" + ec.message() + ")";
  for (const std::string& own : c.ownFiles) {
    if (buffers::SameFile(own, file)) return "it is one of the program's own files";
  }
  const fs::file_status st = fs::status(target, ec);
  if (fs::exists(st)) {
    if (!fs::is_regular_file(st)) return "it is not a regular file";
    // No write bit at all is a read-only file, for root as well.
    const fs::perms anyWrite =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if ((st.permissions() & anyWrite) == fs::perms::none || access(target.c_str(), W_OK) != 0) {
      return "it is read-only";
    }
  }
  const fs::path dir = target.parent_path();
  if (access(dir.empty() ? "." : dir.c_str(), W_OK) != 0) return "its folder is not writable";
  return {};
}

}  // namespace tarnwick::cli
