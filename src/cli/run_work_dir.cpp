#include "cli/run_work_dir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <vector>

namespace fs = std::filesystem;

namespace tarnwick::cli {

namespace {

constexpr std::string_view kRoot = "cli-work";

// "<pid>-XXXXXX": the pid of the run that made it, or 0 for another name.
long OwnerPid(const std::string& name) {
  const std::size_t dash = name.find('-');
  if (dash == 0 || dash == std::string::npos || name.size() - dash != 7) return 0;
  long pid = 0;
  for (std::size_t i = 0; i < dash; ++i) {
    if (name[i] < '0' || name[i] > '9' || pid > 4194304) return 0;
    pid = pid * 10 + (name[i] - '0');
  }
  return pid;
}

bool ProcessGone(long pid) { return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH; }

void RemoveLeftovers(const std::string& root) {
  std::error_code ec;
  for (const fs::directory_entry& e : fs::directory_iterator(root, ec)) {
    const std::string name = e.path().filename().string();
    const long pid = OwnerPid(name);
    // Only our own folders (a real directory, not a link), of runs that are over.
    if (pid <= 0 || !e.is_directory(ec) || e.is_symlink(ec) || !ProcessGone(pid)) continue;
    fs::remove_all(e.path(), ec);
  }
}

}  // namespace

RunWorkDir::RunWorkDir(const std::string& baseDir) : root_(baseDir + std::string(kRoot)) {
  if (::mkdir(root_.c_str(), 0700) != 0 && errno != EEXIST) return;
  struct stat st {};
  // A link or a file in its place is not ours to write into.
  if (::lstat(root_.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return;
  RemoveLeftovers(root_);
  std::string pattern = root_ + "/" + std::to_string(::getpid()) + "-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (::mkdtemp(name.data()) == nullptr) return;
  path_ = std::string(name.data()) + "/";
}

RunWorkDir::~RunWorkDir() {
  std::error_code ec;
  if (!path_.empty()) fs::remove_all(path_, ec);
  ::rmdir(root_.c_str());  // only when no other run uses it
}

}  // namespace tarnwick::cli
