#include "ui/services/service_dialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "core/app/command_router.h"
#include "core/app/text_ids.h"
#include "core/app/text_table.h"
#include "core/services/links/link_errors.h"
#include "core/services/services_config.h"
#include "core/session/session.h"
#include "resources/ids.h"
#include "ui/app/message_box.h"
#include "ui/app/qt_text.h"
#include "ui/services/about_dialog.h"
#include "ui/services/feedback_dialog.h"
#include "ui/services/link_opener.h"

namespace tarnwick {

namespace {

// Beside the program in the portable folder; in share/tarnwick once installed.
QString ManualPath(const QString& programDir) {
  const QDir dir(programDir.isEmpty() ? QCoreApplication::applicationDirPath() : programDir);
  const QString beside = dir.filePath(QString::fromLatin1(kManualFile));
  if (QFileInfo::exists(beside)) return beside;
  const QString shared =
      dir.filePath(QStringLiteral("../share/tarnwick/") + QString::fromLatin1(kManualFile));
  return QFileInfo::exists(shared) ? QFileInfo(shared).canonicalFilePath() : beside;
}

}  // namespace

ServiceDialogs::ServiceDialogs(Session& session, QWidget* window)
    : QObject(window),
      session_(session),
      window_(window),
      feedback_(new FeedbackDialog(session, window)),
      about_(new AboutDialog(session, window)) {}

void ServiceDialogs::Register(CommandRouter& windowCommands) {
  windowCommands.Register(ids::kFeedback, [this] { feedback_->ShowFromMenu(); });
  windowCommands.Register(ids::kAboutCommand, [this] { about_->ShowFromMenu(); });
  windowCommands.Register(ids::kHelp, [this] { OpenManual(); });
  windowCommands.Register(ids::kWebPicture, [this] { OpenWebSite(); });
}

void ServiceDialogs::Detach() {
  feedback_->Detach();
  about_->hide();
}

bool ServiceDialogs::OpenManual() {
  const QString path = ManualPath(programDir_);
  if (!QFileInfo::exists(path)) {
    ShowNoticeBox(window_, session_.texts(), itext::kFileNotFound);
    return false;
  }
  const bool opened = links::Opened(OpenProgramFile(path));
  if (!opened) ShowNoOpenerBox(window_, session_.texts(), path);
  return opened;
}

void ServiceDialogs::OpenWebSite() {
  std::string problem;
  const ServicesConfig config = LoadServicesConfig(session_.baseDir() + kServicesFileName, problem);
  if (!config.links.web.empty()) OpenWebLink(QString::fromStdString(config.links.web));
}

}  // namespace tarnwick
