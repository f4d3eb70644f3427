#include "ui/services/link_opener.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QUrl>

#include "core/services/links/link_errors.h"
#include "core/services/links/registered_browser.h"

namespace tarnwick {

namespace {

DesktopOpener& Opener() {
  static DesktopOpener opener;
  return opener;
}

QUrl UrlOf(const QString& target) {
  // A path that exists is a file; anything else is taken as the user wrote it.
  if (QFileInfo::exists(target)) return QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath());
  return QUrl::fromUserInput(target);
}

}  // namespace

void SetDesktopOpener(DesktopOpener opener) { Opener() = std::move(opener); }

int OpenLinkTarget(const QString& target) {
  const QUrl url = UrlOf(target);
  const bool opened = Opener() ? Opener()(url) : QDesktopServices::openUrl(url);
  if (opened) return links::kOpened;
  const links::BrowserLaunch launch =
      links::RegisteredBrowserFor(target.toStdString(), links::DesktopDirs::FromProcess());
  if (!links::Opened(launch.result)) return launch.result;
  QStringList arguments;
  for (std::size_t i = 1; i < launch.argv.size(); ++i)
    arguments << QString::fromStdString(launch.argv[i]);
  return QProcess::startDetached(QString::fromStdString(launch.argv.front()), arguments)
             ? links::kOpened
             : links::kFileNotFound;
}

}  // namespace tarnwick
