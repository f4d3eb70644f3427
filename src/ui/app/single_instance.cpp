#include "ui/app/single_instance.h"

#include <QDir>
#include <QStandardPaths>

namespace tarnwick {

namespace {

QString LockDirectory() {
  QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (dir.isEmpty() || !QDir(dir).exists()) dir = QDir::tempPath();
  return dir;
}

}  // namespace

SingleInstance::SingleInstance(const QString& directory)
    : path_(QDir(directory.isEmpty() ? LockDirectory() : directory)
                .filePath(QString::fromLatin1(kInstanceLockName))),
      lock_(std::make_unique<QLockFile>(path_)) {
  // Only a dead owner makes a lock stale, never its age: the first instance
  // may run for days.
  lock_->setStaleLockTime(0);
}

bool SingleInstance::Acquire() { return lock_->tryLock(0); }

}  // namespace tarnwick
