// A full disk for the length of a scope: files may grow to `bytes` only, and
// a write beyond fails with EFBIG as one on a full disk fails with ENOSPC
// (the signal the kernel would send instead is ignored meanwhile).
#pragma once

#include <sys/resource.h>

#include <csignal>

namespace tarnwick::test {

class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &before_);
    rlimit limited = before_;
    limited.rlim_cur = bytes;
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &limited);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &before_);
    std::signal(SIGXFSZ, previousHandler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit before_{};
  void (*previousHandler_)(int) = SIG_DFL;
};

}  // namespace tarnwick::test
