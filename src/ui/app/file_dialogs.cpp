#include "ui/app/file_dialogs.h"

#include <QFileDialog>
#include <QRegularExpression>
#include <QStringList>

namespace tarnwick {

QString QtFilterFromPairs(const char* filter) {
  const QStringList parts = QString::fromUtf8(filter).split(QLatin1Char('|'));
  QStringList out;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString desc = parts[i].trimmed();
    const QString patterns = parts[i + 1].trimmed();
    if (desc.isEmpty() && patterns.isEmpty()) break;  // the closing "||"
    QStringList globs;
    for (const QString& p : patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
      globs.append(p.trimmed() == QLatin1String("*.*") ? QStringLiteral("*") : p.trimmed());
    }
    // Qt reads the patterns from the last parentheses, so a description that
    // carries its own list in parentheses loses it here.
    desc.remove(QRegularExpression(QStringLiteral("\\s*\\([^()]*\\)\\s*$")));
    if (desc.isEmpty()) desc = patterns;
    out.append(QStringLiteral("%1 (%2)").arg(desc, globs.join(QLatin1Char(' '))));
  }
  return out.join(QStringLiteral(";;"));
}

QString ChooseFileToOpen(QWidget* parent, const char* filter) {
  return QFileDialog::getOpenFileName(parent, QString(), QString(), QtFilterFromPairs(filter));
}

QStringList ChooseFilesToOpen(QWidget* parent, const char* filter) {
  QFileDialog chooser(parent, QString(), QString(), QtFilterFromPairs(filter));
  chooser.setObjectName(QStringLiteral("filesChooser"));
  chooser.setAcceptMode(QFileDialog::AcceptOpen);
  chooser.setFileMode(QFileDialog::ExistingFiles);
  chooser.setDefaultSuffix(QStringLiteral("bin"));
  if (chooser.exec() != QDialog::Accepted) return {};
  return chooser.selectedFiles();
}

QString ChooseFolder(QWidget* parent, const QString& title) {
  QFileDialog chooser(parent, title);
  chooser.setObjectName(QStringLiteral("folderChooser"));
  chooser.setFileMode(QFileDialog::Directory);
  chooser.setOption(QFileDialog::ShowDirsOnly);
  if (chooser.exec() != QDialog::Accepted) return {};
  const QStringList chosen = chooser.selectedFiles();
  return chosen.isEmpty() ? QString() : chosen.front();
}

}  // namespace tarnwick
