// The work files of one command-line run: a folder of its own under the base
// directory, so that runs beside each other (two boxes, or a run beside the
// window) never stream, verify or replace each other's file image.
#pragma once

#include <string>

namespace tarnwick::cli {

class RunWorkDir {
 public:
  // Makes "<baseDir>cli-work/<pid>-XXXXXX/" and first removes the folders of
  // runs that ended without removing theirs (their process is gone).
  explicit RunWorkDir(const std::string& baseDir);
  // Removes the folder with what the run left in it, and cli-work/ when empty.
  ~RunWorkDir();
  RunWorkDir(const RunWorkDir&) = delete;
  RunWorkDir& operator=(const RunWorkDir&) = delete;

  // With its trailing '/'; empty when it could not be made (the run then
  // keeps its work files in the base directory, as the window does).
  const std::string& path() const { return path_; }

 private:
  std::string root_;
  std::string path_;
};

}  // namespace tarnwick::cli
