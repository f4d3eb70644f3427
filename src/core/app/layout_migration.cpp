#include "core/app/layout_migration.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace tarnwick {

namespace {

bool SameBytes(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  if (!fs::is_regular_file(a, ec) || !fs::is_regular_file(b, ec)) return false;
  if (fs::file_size(a, ec) != fs::file_size(b, ec) || ec) return false;
  std::ifstream fa(a, std::ios::binary);
  std::ifstream fb(b, std::ios::binary);
  if (!fa || !fb) return false;
  return std::equal(std::istreambuf_iterator<char>(fa), std::istreambuf_iterator<char>(),
                    std::istreambuf_iterator<char>(fb));
}

// Moves `from` to `to` when `to` is not there; across file systems by copy.
bool MoveIfFree(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  if (!fs::is_regular_file(from, ec) || fs::exists(to, ec)) return false;
  fs::create_directories(to.parent_path(), ec);
  fs::rename(from, to, ec);
  if (!ec) return true;
  ec.clear();
  if (!fs::copy_file(from, to, fs::copy_options::skip_existing, ec) || ec) return false;
  fs::remove(from, ec);
  return true;
}

// The shipped files an older copy of `rel` may equal: the same path in the
// share folder, and for the text tables at the top each set's table.
std::vector<fs::path> ShippedOriginals(const fs::path& share, const fs::path& rel) {
  std::vector<fs::path> originals{share / rel};
  const std::string name = rel.string();
  if (name != kFtextFileName && name != kItextFileName) return originals;
  std::error_code ec;
  for (const fs::directory_entry& set : fs::directory_iterator(share / "lang", ec)) {
    originals.push_back(set.path() / rel);
  }
  return originals;
}

}  // namespace

std::string OldUserFolder(const XdgFolders& xdg) {
  if (!xdg.dataHome.empty() && xdg.dataHome.front() == '/') {
    return (fs::path(xdg.dataHome) / kProgramFolderName).string() + "/";
  }
  if (xdg.home.empty()) return {};
  return (fs::path(xdg.home) / ".local/share" / kProgramFolderName).string() + "/";
}

MigrationReport MigrateOldUserFolder(const std::string& oldDir, const DataLayout& layout) {
  MigrationReport report;
  std::error_code ec;
  const fs::path old(oldDir);
  if (oldDir.empty() || !fs::is_directory(old, ec) || !layout.installed) return report;
  if (MoveIfFree(old / kOneFolderSettingsName, layout.settingsFile)) ++report.moved;
  if (MoveIfFree(old / kLogFileName, layout.logFile)) ++report.moved;

  const fs::path share(layout.dataDir);
  std::vector<fs::path> copies;
  for (auto it = fs::recursive_directory_iterator(old, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (!it->is_regular_file(ec) || it->is_symlink(ec)) continue;
    const fs::path rel = it->path().lexically_relative(old);
    for (const fs::path& original : ShippedOriginals(share, rel)) {
      if (SameBytes(it->path(), original)) {
        copies.push_back(it->path());
        break;
      }
    }
  }
  for (const fs::path& copy : copies) {
    if (fs::remove(copy, ec)) ++report.removed;
  }
  // The folders the copies leave empty go too, the old folder last.
  std::vector<fs::path> dirs;
  for (auto it = fs::recursive_directory_iterator(old, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (it->is_directory(ec) && !it->is_symlink(ec)) dirs.push_back(it->path());
  }
  for (auto d = dirs.rbegin(); d != dirs.rend(); ++d) {
    if (fs::is_empty(*d, ec)) fs::remove(*d, ec);
  }
  if (fs::is_empty(old, ec)) fs::remove(old, ec);
  return report;
}

}  // namespace tarnwick
