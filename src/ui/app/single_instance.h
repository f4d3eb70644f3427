// One program at a time: a lock file that the first instance holds until it
// ends (also when it crashes: the lock dies with the process).
#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

namespace tarnwick {

inline constexpr const char* kInstanceLockName = "Tarnwick.exe.lock";
inline constexpr const char* kAlreadyRunningText = "Tarnwick.exe is already exist！    ";
inline constexpr const char* kAlreadyRunningCaption = "提示";

class SingleInstance {
 public:
  // `directory`: the base directory the instance works in (empty: the
  // user's runtime directory, else the temp directory).
  explicit SingleInstance(const QString& directory = QString());
  // True when this process now holds the lock.
  bool Acquire();
  QString lockPath() const { return path_; }

 private:
  QString path_;
  std::unique_ptr<QLockFile> lock_;
};

}  // namespace tarnwick
