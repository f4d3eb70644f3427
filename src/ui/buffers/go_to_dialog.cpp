#include "ui/buffers/go_to_dialog.h"

#include <QLineEdit>
#include <QPushButton>
#include <array>

#include "core/app/text_ids.h"
#include "core/buffers/tools/go_to.h"
#include "core/catalogue/chip_selection.h"
#include "core/session/session.h"
#include "resources/ids.h"
#include "ui/app/filtered_edit.h"
#include "ui/buffers/beside_data.h"
#include "ui/buffers/hex_view_panel.h"

namespace tarnwick {

namespace {

using K = ControlKind;

constexpr int kAddressLabel = 1200;  // a number of our own, for its caption
constexpr int kAddressDigits = 8;

constexpr std::array kControls = {
    ControlSpec{kAddressLabel, K::Label, QRect(7, 9, 58, 8), ftext::kAddressHexLabel,
                "地址(16进制)", 0},
    ControlSpec{ids::kGoToAddressEdit, K::Edit, QRect(68, 7, 60, 12), kNoText, "", 0},
    ControlSpec{ids::kGoToOkButton, K::DefaultButton, QRect(22, 27, 50, 14), ftext::kOk, "确定", 0},
    ControlSpec{ids::kDialogCancel, K::PushButton, QRect(78, 27, 50, 14), ftext::kClose, "退出", 0},
};

constexpr DialogTemplate kTemplate{QSize(135, 48), ftext::kGoToTitle, "文件地址定位", kControls};

}  // namespace

GoToDialog::GoToDialog(Session& session, HexViewPanel& panel, QWidget* parent)
    : QDialog(parent), session_(session), panel_(panel), builder_(DialogUnits(font())) {
  setObjectName("goToDialog");
  setModal(false);
  builder_.Build(kTemplate, this);
  builder_.ApplyTexts(session_.texts());
  address_ = builder_.Get<QLineEdit>(ids::kGoToAddressEdit);
  AttachFieldFilter(address_, FieldChars::Hex, kAddressDigits, session_.texts());
  connect(builder_.Get<QPushButton>(ids::kGoToOkButton), &QPushButton::clicked, this,
          &GoToDialog::GoClicked);
  connect(builder_.Get<QPushButton>(ids::kDialogCancel), &QPushButton::clicked, this,
          &QDialog::hide);
}

void GoToDialog::ShowFromMenu() {
  const bool opening = !isVisible();
  show();
  // Opened anew it stands beside the data; left open, where the user put it.
  if (opening) PlaceBesideData(*this, panel_);
  raise();
  activateWindow();
  address_->setFocus();
}

bool GoToDialog::GoClicked() {
  const buffers::GoToResult r =
      buffers::GoToAddress(session_.hexView(), session_.services(), address_->text().toStdString(),
                           session_.selection().WordOrganised());
  panel_.Show();
  if (r.shown) KeepOffShownRows(*this, panel_);
  return r.shown;
}

}  // namespace tarnwick
