#include "ui/app/message_box.h"

#include <QMessageBox>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/app/text_ids.h"
#include "core/app/text_table.h"
#include "ui/app/qt_text.h"

namespace tarnwick {

namespace {

QMessageBox::Icon ToQtIcon(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::Information:
      return QMessageBox::Information;
    case BoxIcon::Warning:
      return QMessageBox::Warning;
    case BoxIcon::Error:
      return QMessageBox::Critical;
    case BoxIcon::Question:
      return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQtButtons(BoxButtons buttons) {
  switch (buttons) {
    case BoxButtons::Ok:
      return QMessageBox::Ok;
    case BoxButtons::OkCancel:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case BoxButtons::YesNo:
      return QMessageBox::Yes | QMessageBox::No;
    case BoxButtons::YesNoCancel:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
  }
  return QMessageBox::Ok;
}

}  // namespace

bool BoxLogEnabled() {
  const char* v = std::getenv("TARNWICK_BOX_LOG");
  return v != nullptr && std::strcmp(v, "1") == 0;
}

BoxAnswer CancellingAnswer(BoxButtons buttons) {
  switch (buttons) {
    case BoxButtons::Ok:
      return BoxAnswer::Ok;
    case BoxButtons::YesNo:
      return BoxAnswer::No;
    case BoxButtons::OkCancel:
    case BoxButtons::YesNoCancel:
      return BoxAnswer::Cancel;
  }
  return BoxAnswer::Cancel;
}

BoxAnswer DefaultAnswer(BoxButtons buttons) {
  return (buttons == BoxButtons::YesNo || buttons == BoxButtons::YesNoCancel) ? BoxAnswer::Yes
                                                                              : BoxAnswer::Ok;
}

BoxAnswer RunMessageBox(QWidget* parent, const QString& text, const QString& caption, BoxIcon icon,
                        BoxButtons buttons) {
  if (BoxLogEnabled()) {
    std::fprintf(stderr, "BOX [%s] %s\n", caption.toUtf8().constData(), text.toUtf8().constData());
    std::fflush(stderr);
    return DefaultAnswer(buttons);
  }
  QMessageBox box(ToQtIcon(icon), caption, text, ToQtButtons(buttons), parent);
  switch (box.exec()) {
    case QMessageBox::Ok:
      return BoxAnswer::Ok;
    case QMessageBox::Cancel:
      return BoxAnswer::Cancel;
    case QMessageBox::Yes:
      return BoxAnswer::Yes;
    case QMessageBox::No:
      return BoxAnswer::No;
    default:
      return CancellingAnswer(buttons);
  }
}

void ShowNoticeBox(QWidget* parent, const TextTable& texts, int number, BoxIcon icon) {
  RunMessageBox(parent, Q(texts.itext(number)), Q(texts.itext(itext::kNoticeCaption)), icon,
                BoxButtons::Ok);
}

}  // namespace tarnwick
