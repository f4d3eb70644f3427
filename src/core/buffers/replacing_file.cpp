#include "core/buffers/replacing_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace tarnwick::buffers {
namespace {

// The side file's name in the target's folder: the prefix, the process and
// a running number.
constexpr const char* kSidePrefix = ".tarnwick-part-";
// Names tried before giving up (another program may hold a few).
constexpr int kSideNameTries = 16;

std::atomic<unsigned> sideCounter{0};

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

ReplacingFile::~ReplacingFile() { Discard(); }

bool ReplacingFile::Open(const std::string& path) {
  Discard();
  target_.clear();
  if (path.empty()) return false;
  bool existed = false;
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) return false;
    // The file a link names is replaced, not the link.
    char* real = ::realpath(path.c_str(), nullptr);
    if (real == nullptr) return false;
    target_ = real;
    std::free(real);
    existed = true;
  } else {
    // A link that leads nowhere is not a place to write either.
    if (errno != ENOENT || ::lstat(path.c_str(), &st) == 0) return false;
    target_ = path;
  }
  const std::string stem = FolderOf(target_) + "/" + kSidePrefix + std::to_string(::getpid()) + "-";
  for (int i = 0; i < kSideNameTries; ++i) {
    std::string side = stem + std::to_string(sideCounter.fetch_add(1));
    if (file_.Open(side, PosixFile::Mode::CreateNew)) {
      side_ = std::move(side);
      if (existed) file_.SetPermissions(st.st_mode & 07777);
      return true;
    }
    if (errno != EEXIST) break;
  }
  target_.clear();
  return false;
}

bool ReplacingFile::Commit() {
  if (side_.empty()) return false;
  const bool synced = file_.Sync();
  file_.Close();
  if (!synced || std::rename(side_.c_str(), target_.c_str()) != 0) {
    Discard();
    return false;
  }
  side_.clear();
  return true;
}

void ReplacingFile::Discard() {
  file_.Close();
  if (!side_.empty()) std::remove(side_.c_str());
  side_.clear();
}

}  // namespace tarnwick::buffers
