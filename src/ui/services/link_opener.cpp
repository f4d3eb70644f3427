#include "ui/services/link_opener.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

#include "core/services/links/link_open.h"

namespace tarnwick {

namespace {

DesktopOpener& Opener() {
  static DesktopOpener opener;
  return opener;
}

bool DesktopOpen(const std::string& url) {
  const QUrl u(QString::fromStdString(url), QUrl::StrictMode);
  if (!u.isValid()) return false;
  return Opener() ? Opener()(u) : QDesktopServices::openUrl(u);
}

int Open(const links::LinkTarget& target) {
  return links::OpenLink(target, &DesktopOpen, links::DesktopDirs::FromProcess());
}

}  // namespace

void SetDesktopOpener(DesktopOpener opener) { Opener() = std::move(opener); }

int OpenWebLink(const QString& text) { return Open(links::WebLinkTarget(text.toStdString())); }

int OpenProgramFile(const QString& path) {
  return Open(links::ProgramFileTarget(QFileInfo(path).absoluteFilePath().toStdString()));
}

}  // namespace tarnwick
