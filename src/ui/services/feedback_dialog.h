// "快速反馈": the quick feedback dialog. Subject, content and contact go to
// the maker as one mail. The mail is sent on a thread of its own, with the
// submit button disabled meanwhile, so that the window keeps answering while
// the server is slow or unreachable; the outcome comes back as a box.
#pragma once

#include <QDialog>
#include <memory>

#include "ui/app/dialog_builder.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace tarnwick {

class GuiPoster;
class Session;
struct FeedbackMessage;

class FeedbackDialog : public QDialog {
  Q_OBJECT

 public:
  FeedbackDialog(Session& session, QWidget* parent);
  ~FeedbackDialog() override;

  // The menu item: shows the dialog modally.
  void ShowFromMenu();
  // Nothing the sending thread reports reaches the dialog any more.
  void Detach();

  QWidget* Control(int id) const { return builder_.Control(id); }
  bool sending() const { return sending_; }

  // Submit: false when nothing was started (an empty content, a services.ini
  // that cannot be read whole, or a mail still on its way).
  bool SubmitClicked();

 signals:
  // The outcome was shown (GUI thread), with its text.
  void outcomeShown(const QString& text);

 private:
  void ShowOutcome(const FeedbackMessage& message);

  Session& session_;
  DialogBuilder builder_;
  QLineEdit* subject_ = nullptr;
  QPlainTextEdit* content_ = nullptr;
  QLineEdit* contact_ = nullptr;
  QPushButton* submit_ = nullptr;
  bool sending_ = false;
  bool passwordWarned_ = false;  // services.ini readable by others: logged once
  // Shared with the sending thread, which may outlive the dialog.
  std::shared_ptr<GuiPoster> poster_;
};

}  // namespace tarnwick
