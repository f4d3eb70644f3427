#include "ui/app/skin.h"

#include <QApplication>
#include <QDir>
#include <QFile>

namespace tarnwick {

bool ApplySkin(QApplication& app, const QString& baseDir) {
  QFile file(QDir(baseDir).filePath(QString::fromLatin1(kSkinFile)));
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QString sheet = QString::fromUtf8(file.readAll());
  if (sheet.trimmed().isEmpty()) return false;
  app.setStyleSheet(sheet);
  return true;
}

}  // namespace tarnwick
