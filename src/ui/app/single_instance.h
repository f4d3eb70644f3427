// One program at a time: a lock file that the first instance holds until it
// ends (also when it crashes: the lock dies with the process).
#pragma once

#include <QLockFile>
#include <QString>
#include <QStringList>
#include <memory>

namespace tarnwick {

inline constexpr const char* kInstanceLockName = "Tarnwick.exe.lock";
// When the lock cannot be made at all (%1: the folder or the lock's path).
inline constexpr const char* kLockFailedCaption = "Tarnwick";
inline constexpr const char* kLockFolderNotWritableText =
    "Tarnwick cannot start: the folder %1 is not writable. The program keeps its lock file, "
    "its work files and its settings there.";
inline constexpr const char* kLockNotAFileText =
    "Tarnwick cannot start: %1 is in the place of its lock file but is not a plain file. "
    "Remove it and start again.";
inline constexpr const char* kLockCannotBeMadeText =
    "Tarnwick cannot start: its lock file %1 cannot be made.";

// The box a second window on the same base directory shows, in the language
// of the first of `textDirs` (each with its trailing '/') whose itext.ini
// holds it; in English when none does (an older table).
struct AlreadyRunningBox {
  QString text;
  QString caption;
};
inline constexpr const char* kAlreadyRunningFallbackText =
    "Tarnwick is already running on this base directory.";
inline constexpr const char* kAlreadyRunningFallbackCaption = "Notice";
AlreadyRunningBox AlreadyRunningTexts(const QStringList& textDirs);

class SingleInstance {
 public:
  enum class Outcome {
    Acquired,       // this process now holds the lock
    HeldByAnother,  // another instance runs on the same folder
    Failed,         // no lock can be made here: failureText() says why
  };

  // `directory`: the base directory the instance works in (empty: the
  // user's runtime directory, else the temp directory).
  explicit SingleInstance(const QString& directory = QString());
  Outcome Acquire();
  QString lockPath() const { return path_; }
  // Why Acquire() failed, with the folder or file named.
  QString failureText() const { return failure_; }

 private:
  QString path_;
  std::unique_ptr<QLockFile> lock_;
  QString failure_;
};

}  // namespace tarnwick
