#include "ui/services/link_opener.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include "core/app/text_ids.h"
#include "core/app/text_table.h"
#include "core/services/links/link_open.h"
#include "ui/app/message_box.h"
#include "ui/app/qt_text.h"

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

void ShowNoOpenerBox(QWidget* parent, const TextTable& texts, const QString& path) {
  RunMessageBox(
      parent, Q(texts.itext(itext::kNoOpener)) + QLatin1Char('\n') + QDir::toNativeSeparators(path),
      Q(texts.itext(itext::kNoticeCaption)), BoxIcon::Warning, BoxButtons::Ok);
}

}  // namespace tarnwick
