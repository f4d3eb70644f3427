// A file written under a side name beside its final one and renamed over it
// only once it is whole: a full disk or a failed copy leaves the file that
// was there before as it was. Nothing throws.
#pragma once

#include <string>

#include "core/buffers/posix_file.h"

namespace tarnwick::buffers {

class ReplacingFile {
 public:
  ReplacingFile() = default;
  // Drops the side file when Commit() was not called.
  ~ReplacingFile();
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  // Makes a new, empty side file in `path`'s folder. False when the folder
  // cannot take it, or when `path` names something other than a plain file
  // (a directory, a FIFO, a device): that is never replaced.
  bool Open(const std::string& path);
  // The side file, for writing.
  PosixFile& file() { return file_; }
  // Puts the side file in place of `path` (through a symbolic link to the
  // file it names, with the old file's permissions). False when that
  // fails; the side file is gone then and `path` unchanged.
  bool Commit();
  // Removes the side file; `path` keeps what it held.
  void Discard();

  // The name the content ends up under (a link resolved).
  const std::string& target() const { return target_; }

 private:
  PosixFile file_;
  std::string target_;
  std::string side_;
};

}  // namespace tarnwick::buffers
