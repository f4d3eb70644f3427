#include "ui/services/about_dialog.h"

#include <QPushButton>
#include <array>

#include "core/app/text_ids.h"
#include "core/services/services_config.h"
#include "core/session/session.h"
#include "resources/ids.h"
#include "ui/services/hyperlink.h"
#include "version.h"

namespace tarnwick {

namespace {

using K = ControlKind;

constexpr const char* kMakerLine = "USB programmer for 25-series SPI flash and serial EEPROMs";

constexpr std::array kControls = {
    ControlSpec{ids::kAboutProgramLine, K::Label, QRect(40, 10, 180, 10), kNoText, kProgramTitle,
                0},
    ControlSpec{ids::kAboutMakerLine, K::Label, QRect(40, 24, 200, 10), kNoText, kMakerLine, 0},
    ControlSpec{ids::kAboutWebLink, K::Link, QRect(40, 40, 180, 10), kNoText, "", 0},
    ControlSpec{ids::kAboutContactLink, K::Link, QRect(40, 54, 180, 10), kNoText, "Contact Us", 0},
    ControlSpec{ids::kDialogOk, K::DefaultButton, QRect(190, 72, 50, 14), ftext::kOk, "确定", 0},
};

constexpr DialogTemplate kTemplate{QSize(247, 93), ftext::kAboutTitle, "关于 Tarnwick", kControls};

}  // namespace

AboutDialog::AboutDialog(Session& session, QWidget* parent)
    : QDialog(parent), session_(session), builder_(DialogUnits(font())) {
  setObjectName("aboutDialog");
  setModal(true);
  builder_.Build(kTemplate, this);
  builder_.ApplyTexts(session_.texts());
  web_ = builder_.Get<HyperLink>(ids::kAboutWebLink);
  contact_ = builder_.Get<HyperLink>(ids::kAboutContactLink);
  connect(builder_.Get<QPushButton>(ids::kDialogOk), &QPushButton::clicked, this, &QDialog::accept);
}

void AboutDialog::ShowFromMenu() {
  std::string problem;
  const ServicesConfig config = LoadServicesConfig(session_.baseDir() + kServicesFileName, problem);
  const QString web = QString::fromStdString(config.links.web);
  web_->setText(web);
  web_->SetURL(web);
  web_->SetUnderline(HyperLink::kAlways);
  web_->Attach();
  contact_->SetURL(QStringLiteral("mailto:") + QString::fromStdString(config.links.contact));
  contact_->SetUnderline(HyperLink::kAlways);
  contact_->Attach();
  open();
}

}  // namespace tarnwick
