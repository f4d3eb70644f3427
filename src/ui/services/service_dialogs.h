// The Help menu's services: quick feedback, the about box, the manual, and
// the web picture button of the main window. Made once with the window;
// the window detaches them when it goes, before the session ends.
#pragma once

#include <QObject>
#include <QString>

class QWidget;

namespace tarnwick {

class AboutDialog;
class CommandRouter;
class FeedbackDialog;
class Session;

// The manual's file name, in the program's folder (or its shared data).
inline constexpr const char* kManualFile = "Tarnwick.html";

class ServiceDialogs : public QObject {
  Q_OBJECT

 public:
  ServiceDialogs(Session& session, QWidget* window);

  void Register(CommandRouter& windowCommands);
  void Detach();

  FeedbackDialog& feedback() { return *feedback_; }
  AboutDialog& about() { return *about_; }

  // "使用说明(&N)": opens the manual; a missing one is told with a box.
  // True when it was handed to an opener.
  bool OpenManual();
  // The maker's web site; the result is not looked at.
  void OpenWebSite();
  // Where the manual is looked for first; the program's own folder unless
  // set (a test points it elsewhere).
  void SetProgramDir(const QString& dir) { programDir_ = dir; }

 private:
  Session& session_;
  QWidget* window_;
  FeedbackDialog* feedback_;  // children of the window
  AboutDialog* about_;
  QString programDir_;
};

}  // namespace tarnwick
