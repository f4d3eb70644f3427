#include "ui/app/dialog_layout.h"

#include <QFontMetrics>
#include <QString>
#include <array>

#include "resources/ids.h"

namespace tarnwick {

namespace {

using K = ControlKind;

// Dialog 102 as the template lays it out.
constexpr std::array kControls = {
    ControlSpec{-1, K::EtchedLine, "", QRect(0, 0, 590, 1), 0},
    ControlSpec{ids::kChipGroup, K::GroupBox, "器件信息", QRect(5, 2, 105, 72), 0},
    ControlSpec{ids::kTypeLabel, K::Label, "类型:", QRect(11, 16, 20, 8), 0},
    ControlSpec{ids::kMakerLabel, K::Label, "厂商:", QRect(11, 30, 20, 8), 0},
    ControlSpec{ids::kModelLabel, K::Label, "器件:", QRect(11, 44, 20, 8), 0},
    ControlSpec{ids::kCapacityLabel, K::Label, "容量:", QRect(11, 59, 20, 8), 0},
    ControlSpec{ids::kTypeList, K::ComboBox, "", QRect(32, 13, 75, 12), 75},
    ControlSpec{ids::kMakerList, K::ComboBox, "", QRect(32, 28, 75, 12), 117},
    ControlSpec{ids::kModelList, K::ComboBox, "", QRect(32, 43, 75, 12), 102},
    ControlSpec{ids::kCapacityText, K::LabelCentred, "0", QRect(35, 59, 70, 8), 0},
    ControlSpec{ids::kOperationGroup, K::GroupBox, "操作栏", QRect(5, 77, 105, 265), 0},
    ControlSpec{ids::kAutoProgramButton, K::PushButton, "自动烧录(F9)", QRect(9, 89, 95, 31), 0},
    ControlSpec{ids::kEraseButton, K::PushButton, "擦除芯片(F4)", QRect(9, 120, 95, 31), 0},
    ControlSpec{ids::kProgramButton, K::PushButton, "手动烧录(F6)", QRect(9, 151, 95, 31), 0},
    ControlSpec{ids::kVerifyButton, K::PushButton, "数据校验(F8)", QRect(9, 182, 95, 31), 0},
    ControlSpec{ids::kReadButton, K::PushButton, "读出芯片(F7)", QRect(9, 213, 95, 31), 0},
    ControlSpec{ids::kBlankCheckButton, K::PushButton, "芯片查空(F3)", QRect(9, 243, 95, 31), 0},
    ControlSpec{ids::kDetectButton, K::PushButton, "芯片检测(F5)", QRect(9, 274, 95, 31), 0},
    ControlSpec{ids::kBatchButton, K::PushButton, "批量模式(F2)", QRect(9, 306, 95, 31), 0},
    ControlSpec{ids::kStatusLine, K::StatusLine, "", QRect(5, 347, 166, 12), 0},
    ControlSpec{ids::kProgressBar, K::ProgressBar, "", QRect(5, 347, 166, 12), 0},
    ControlSpec{ids::kDataGroup, K::GroupBox, "数据区", QRect(111, 2, 371, 340), 0},
    ControlSpec{ids::kEditModeCheck, K::CheckBox, "编辑模式", QRect(120, 13, 50, 10), 0},
    ControlSpec{ids::kQeCheck, K::CheckBox, "QE", QRect(171, 13, 24, 10), 0},
    ControlSpec{ids::kQeConfigButton, K::PushButton, "配置", QRect(195, 12, 25, 11), 0},
    ControlSpec{ids::kFileChecksumLabel, K::LabelRight, "文件校验和:", QRect(225, 13, 69, 8), 0},
    ControlSpec{ids::kFileChecksum, K::Label, "0000000000", QRect(297, 13, 41, 8), 0},
    ControlSpec{ids::kChipChecksumLabel, K::LabelRight, "芯片校验和:", QRect(343, 13, 83, 8), 0},
    ControlSpec{ids::kChipChecksum, K::Label, "0000000000", QRect(429, 13, 41, 8), 0},
    ControlSpec{ids::kHexGrid, K::Grid, "", QRect(114, 25, 355, 235), 0},
    ControlSpec{ids::kHexScrollBar, K::VScrollBar, "", QRect(469, 25, 10, 235), 0},
    ControlSpec{ids::kLogPane, K::LogPane, "", QRect(114, 262, 366, 77), 0},
    ControlSpec{ids::kFileNameLabel, K::Label, "文件名:", QRect(174, 349, 27, 8), 0},
    ControlSpec{ids::kFileNameBox, K::FileNameEdit, "", QRect(203, 346, 239, 14), 0},
    ControlSpec{ids::kBrowseButton, K::DefaultButton, "浏览...", QRect(446, 346, 35, 14), 0},
    ControlSpec{ids::kNoticeGroup, K::GroupBox, "注意", QRect(483, 2, 107, 361), 0},
    ControlSpec{ids::kSocketPicture, K::IconButton, "", QRect(485, 14, 102, 82), 0},
    ControlSpec{ids::kAdapterPicture, K::IconButton, "", QRect(485, 96, 102, 155), 0},
    ControlSpec{ids::kWebPicture, K::IconButton, "", QRect(485, 251, 102, 108), 0},
    ControlSpec{ids::kHexInput, K::HiddenEdit, "", QRect(485, 357, 7, 12), 0},
};

// Rounded a * b / c, as the dialog manager scales.
int MulDiv(int a, int b, int c) {
  const long long p = static_cast<long long>(a) * b;
  return static_cast<int>(p >= 0 ? (p + c / 2) / c : (p - c / 2) / c);
}

}  // namespace

std::span<const ControlSpec> MainWindowControls() { return kControls; }

const ControlSpec* FindControlSpec(int id) {
  for (const auto& c : kControls) {
    if (c.id == id) return &c;
  }
  return nullptr;
}

DialogUnits::DialogUnits(const QFont& font) {
  const QFontMetrics fm(font);
  // The average width over the Latin letters, rounded as the dialog manager does.
  static const QString kLetters =
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  const int total = fm.horizontalAdvance(kLetters);
  avgWidth_ = (total / 26 + 1) / 2;
  if (avgWidth_ <= 0) avgWidth_ = 1;
  height_ = fm.height() > 0 ? fm.height() : 1;
}

int DialogUnits::X(int du) const { return MulDiv(du, avgWidth_, 4); }
int DialogUnits::Y(int du) const { return MulDiv(du, height_, 8); }

QRect DialogUnits::ToPixels(const QRect& du) const {
  return QRect(X(du.x()), Y(du.y()), X(du.width()), Y(du.height()));
}

}  // namespace tarnwick
