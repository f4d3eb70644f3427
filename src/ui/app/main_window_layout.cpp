#include "ui/app/main_window_layout.h"

#include <array>

#include "core/app/text_ids.h"
#include "resources/ids.h"
#include "version.h"

namespace tarnwick {

namespace {

using K = ControlKind;
using A = Anchor;

// Dialog 102 as the template lays it out. The window grows from this size:
// the hex view and the log pane take the room, the status line takes the
// width, the chip and operation panels stay at the left and the notice panel
// at the right.
constexpr std::array kControls = {
    ControlSpec{-1, K::EtchedLine, QRect(0, 0, 590, 1), kNoText, "", 0, A::LeftRight},
    ControlSpec{ids::kChipGroup, K::GroupBox, QRect(5, 2, 105, 72), ftext::kChipGroup, "器件信息",
                0},
    ControlSpec{ids::kTypeLabel, K::Label, QRect(11, 16, 20, 8), ftext::kTypeLabel, "类型:", 0},
    ControlSpec{ids::kMakerLabel, K::Label, QRect(11, 30, 20, 8), ftext::kMakerLabel, "厂商:", 0},
    ControlSpec{ids::kModelLabel, K::Label, QRect(11, 44, 20, 8), ftext::kModelLabel, "器件:", 0},
    ControlSpec{ids::kCapacityLabel, K::Label, QRect(11, 59, 20, 8), ftext::kSizeLabel, "容量:", 0},
    ControlSpec{ids::kTypeList, K::ComboBox, QRect(32, 13, 75, 12), kNoText, "", 75},
    ControlSpec{ids::kMakerList, K::ComboBox, QRect(32, 28, 75, 12), kNoText, "", 117},
    ControlSpec{ids::kModelList, K::ComboBox, QRect(32, 43, 75, 12), kNoText, "", 102},
    ControlSpec{ids::kCapacityText, K::LabelCentred, QRect(35, 59, 70, 8), kNoText, "0", 0},
    ControlSpec{ids::kOperationGroup, K::GroupBox, QRect(5, 77, 105, 265), ftext::kOperationGroup,
                "操作栏", 0},
    ControlSpec{ids::kAutoProgramButton, K::PushButton, QRect(9, 89, 95, 31),
                ftext::kAutoProgramButton, "自动烧录(F9)", 0},
    ControlSpec{ids::kEraseButton, K::PushButton, QRect(9, 120, 95, 31), ftext::kEraseButton,
                "擦除芯片(F4)", 0},
    ControlSpec{ids::kProgramButton, K::PushButton, QRect(9, 151, 95, 31), ftext::kProgramButton,
                "手动烧录(F6)", 0},
    ControlSpec{ids::kVerifyButton, K::PushButton, QRect(9, 182, 95, 31), ftext::kVerifyButton,
                "数据校验(F8)", 0},
    ControlSpec{ids::kReadButton, K::PushButton, QRect(9, 213, 95, 31), ftext::kReadButton,
                "读出芯片(F7)", 0},
    ControlSpec{ids::kBlankCheckButton, K::PushButton, QRect(9, 243, 95, 31),
                ftext::kBlankCheckButton, "芯片查空(F3)", 0},
    ControlSpec{ids::kDetectButton, K::PushButton, QRect(9, 274, 95, 31), ftext::kDetectButton,
                "芯片检测(F5)", 0},
    ControlSpec{ids::kBatchButton, K::PushButton, QRect(9, 306, 95, 31), ftext::kBatchButton,
                "批量模式(F2)", 0},
    ControlSpec{ids::kStatusLine, K::StatusLine, QRect(5, 347, 166, 12), kNoText, "", 0,
                A::LeftRightBottom},
    ControlSpec{ids::kProgressBar, K::ProgressBar, QRect(5, 347, 166, 12), kNoText, "", 0,
                A::LeftRightBottom},
    ControlSpec{ids::kDataGroup, K::GroupBox, QRect(111, 2, 371, 340), ftext::kDataGroup, "数据区",
                0, A::All},
    ControlSpec{ids::kEditModeCheck, K::CheckBox, QRect(120, 13, 50, 10), ftext::kEditMode,
                "编辑模式", 0},
    ControlSpec{ids::kQeCheck, K::CheckBox, QRect(171, 13, 24, 10), kNoText, "QE", 0},
    ControlSpec{ids::kQeConfigButton, K::PushButton, QRect(195, 12, 25, 11), ftext::kConfigButton,
                "配置", 0},
    ControlSpec{ids::kFileChecksumLabel, K::LabelRight, QRect(225, 13, 69, 8), 51, "文件校验和:", 0,
                A::Right},
    ControlSpec{ids::kFileChecksum, K::Label, QRect(297, 13, 41, 8), kNoText, "0000000000", 0,
                A::Right},
    ControlSpec{ids::kChipChecksumLabel, K::LabelRight, QRect(343, 13, 83, 8), 52, "芯片校验和:", 0,
                A::Right},
    ControlSpec{ids::kChipChecksum, K::Label, QRect(429, 13, 41, 8), kNoText, "0000000000", 0,
                A::Right},
    ControlSpec{ids::kHexGrid, K::Grid, QRect(114, 25, 355, 235), kNoText, "", 0, A::All},
    ControlSpec{ids::kHexScrollBar, K::VScrollBar, QRect(469, 25, 10, 235), kNoText, "", 0,
                A::TopBottomRight},
    ControlSpec{ids::kLogPane, K::TextPane, QRect(114, 262, 366, 77), kNoText, "", 0,
                A::LeftRightBottom},
    ControlSpec{ids::kFileNameLabel, K::Label, QRect(174, 349, 27, 8), ftext::kFileNameLabel,
                "文件名:", 0, A::RightBottom},
    ControlSpec{ids::kFileNameBox, K::ReadOnlyEdit, QRect(203, 346, 239, 14), kNoText, "", 0,
                A::RightBottom},
    ControlSpec{ids::kBrowseButton, K::DefaultButton, QRect(446, 346, 35, 14), ftext::kBrowseButton,
                "浏览...", 0, A::RightBottom},
    ControlSpec{ids::kNoticeGroup, K::GroupBox, QRect(483, 2, 107, 361), ftext::kNoticeGroup,
                "注意", 0, A::TopBottomRight},
    ControlSpec{ids::kSocketPicture, K::IconButton, QRect(485, 14, 102, 82), kNoText, "", 0,
                A::Right},
    ControlSpec{ids::kAdapterPicture, K::IconButton, QRect(485, 96, 102, 155), kNoText, "", 0,
                A::Right},
    ControlSpec{ids::kWebPicture, K::IconButton, QRect(485, 251, 102, 108), kNoText, "", 0,
                A::RightBottom},
    ControlSpec{ids::kHexInput, K::HiddenEdit, QRect(485, 357, 7, 12), kNoText, "", 0},
};

}  // namespace

std::span<const ControlSpec> MainWindowControls() { return kControls; }

const ControlSpec* FindControlSpec(int id) {
  for (const auto& c : kControls) {
    if (c.id == id) return &c;
  }
  return nullptr;
}

DialogTemplate MainWindowTemplate() {
  return {QSize(kDialogWidthDu, kDialogHeightDu), kNoText, kProgramTitle, kControls};
}

}  // namespace tarnwick
