// "关于 Tarnwick": the about box. The program and its version, the maker's
// web site and a "Contact Us" mail link, both from services.ini and always
// underlined. One box for the whole run, shown modally when asked for.
#pragma once

#include <QDialog>

#include "ui/app/dialog_builder.h"

namespace tarnwick {

class HyperLink;
class Session;

class AboutDialog : public QDialog {
  Q_OBJECT

 public:
  AboutDialog(Session& session, QWidget* parent);

  // The menu item: reads the links again and shows the box modally.
  void ShowFromMenu();
  QWidget* Control(int id) const { return builder_.Control(id); }
  HyperLink& webLink() const { return *web_; }
  HyperLink& contactLink() const { return *contact_; }

 private:
  Session& session_;
  DialogBuilder builder_;
  HyperLink* web_ = nullptr;
  HyperLink* contact_ = nullptr;
};

}  // namespace tarnwick
