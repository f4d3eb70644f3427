#include "ui/app/single_instance.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "core/app/text_ids.h"
#include "core/app/text_table.h"
#include "ui/app/qt_text.h"

namespace tarnwick {

namespace {

QString LockDirectory() {
  QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (dir.isEmpty() || !QDir(dir).exists()) dir = QDir::tempPath();
  return dir;
}

}  // namespace

AlreadyRunningBox AlreadyRunningTexts(const QStringList& textDirs) {
  for (const QString& dir : textDirs) {
    TextTable texts;
    texts.LoadItext((dir + QStringLiteral("itext.ini")).toStdString());
    const std::string& text = texts.itext(itext::kAlreadyRunning);
    if (text.empty() || text == TextTable::kItextPlaceholder) continue;
    return {Q(text), Q(texts.itext(itext::kNoticeCaption))};
  }
  return {QString::fromUtf8(kAlreadyRunningFallbackText),
          QString::fromUtf8(kAlreadyRunningFallbackCaption)};
}

SingleInstance::SingleInstance(const QString& directory)
    : path_(QDir(directory.isEmpty() ? LockDirectory() : directory)
                .filePath(QString::fromLatin1(kInstanceLockName))),
      lock_(std::make_unique<QLockFile>(path_)) {
  // Only a dead owner makes a lock stale, never its age: the first instance
  // may run for days.
  lock_->setStaleLockTime(0);
}

SingleInstance::Outcome SingleInstance::Acquire() {
  // A folder in the lock's place reads as a lock held by someone, and a
  // FIFO would block the lock's look at its owner for ever.
  const QFileInfo info(path_);
  if (info.exists() && !info.isFile()) {
    failure_ = QString::fromUtf8(kLockNotAFileText).arg(QDir::toNativeSeparators(path_));
    return Outcome::Failed;
  }
  if (lock_->tryLock(0)) return Outcome::Acquired;
  switch (lock_->error()) {
    case QLockFile::LockFailedError:
      return Outcome::HeldByAnother;
    case QLockFile::PermissionError:
      failure_ = QString::fromUtf8(kLockFolderNotWritableText)
                     .arg(QDir::toNativeSeparators(info.absolutePath()));
      return Outcome::Failed;
    default:
      failure_ = QString::fromUtf8(kLockCannotBeMadeText).arg(QDir::toNativeSeparators(path_));
      return Outcome::Failed;
  }
}

}  // namespace tarnwick
