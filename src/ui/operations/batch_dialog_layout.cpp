#include "ui/operations/batch_dialog_layout.h"

#include <array>

#include "core/app/text_ids.h"
#include "resources/ids.h"

namespace tarnwick {

namespace {

using K = ControlKind;
using A = Anchor;

// Columns of the number fields: label, box; label, box.
constexpr int kLeftLabelX = 7;
constexpr int kLeftBoxX = 62;
constexpr int kRightLabelX = 150;
constexpr int kRightBoxX = 205;
constexpr int kLabelWidth = 52;
constexpr int kLeftBoxWidth = 80;
constexpr int kRightBoxWidth = 88;
// The button column right of the list.
constexpr int kButtonX = 213;
constexpr int kButtonWidth = 80;

constexpr std::array kControls = {
    ControlSpec{ids::kBatchModeList, K::ComboBox, QRect(7, 7, 286, 70), kNoText, "", 70,
                A::LeftRight},

    ControlSpec{ids::kBatchAddFilesButton, K::PushButton, QRect(kButtonX, 26, kButtonWidth, 14),
                ftext::kBatchAddFiles, "添加文档", 0, A::Right},
    ControlSpec{ids::kBatchMoveUpButton, K::PushButton, QRect(kButtonX, 42, kButtonWidth, 14),
                ftext::kBatchMoveUp, "上移", 0, A::Right},
    ControlSpec{ids::kBatchMoveDownButton, K::PushButton, QRect(kButtonX, 58, kButtonWidth, 14),
                ftext::kBatchMoveDown, "下移", 0, A::Right},
    ControlSpec{ids::kBatchDeleteButton, K::PushButton, QRect(kButtonX, 74, kButtonWidth, 14),
                ftext::kBatchDelete, "删除", 0, A::Right},
    ControlSpec{ids::kBatchSelectAllButton, K::PushButton, QRect(kButtonX, 90, kButtonWidth, 14),
                ftext::kBatchSelectAll, "全选", 0, A::Right},
    ControlSpec{ids::kBatchSelectNoneButton, K::PushButton, QRect(kButtonX, 106, kButtonWidth, 14),
                ftext::kBatchSelectNone, "全不选", 0, A::Right},

    ControlSpec{ids::kBatchMasterEdit, K::Edit, QRect(7, 129, 200, 12), kNoText, "", 0,
                A::LeftRightBottom},
    ControlSpec{ids::kBatchMasterButton, K::PushButton, QRect(kButtonX, 128, kButtonWidth, 14),
                ftext::kBatchMasterFile, "主文档", 0, A::RightBottom},

    ControlSpec{ids::kBatchFillAddressLabel, K::Label, QRect(kLeftLabelX, 152, kLabelWidth, 8),
                ftext::kBatchFillAddress, "填充地址:", 0, A::Bottom},
    ControlSpec{ids::kBatchFillAddressEdit, K::Edit, QRect(kLeftBoxX, 150, kLeftBoxWidth, 12),
                kNoText, "0", 0, A::Bottom},
    ControlSpec{ids::kBatchStartIdLabel, K::Label, QRect(kRightLabelX, 152, kLabelWidth, 8),
                ftext::kBatchStartId, "起始ID:", 0, A::Bottom},
    ControlSpec{ids::kBatchStartIdEdit, K::Edit, QRect(kRightBoxX, 150, kRightBoxWidth, 12),
                kNoText, "0", 0, A::Bottom},

    ControlSpec{ids::kBatchIncrementLabel, K::Label, QRect(kLeftLabelX, 168, kLabelWidth, 8),
                ftext::kBatchIncrement, "单次增量:", 0, A::Bottom},
    ControlSpec{ids::kBatchIncrementEdit, K::Edit, QRect(kLeftBoxX, 166, kLeftBoxWidth, 12),
                kNoText, "1", 0, A::Bottom},
    ControlSpec{ids::kBatchCountLabel, K::Label, QRect(kRightLabelX, 168, kLabelWidth, 8),
                ftext::kBatchCount, "累计/ID:", 0, A::Bottom},
    ControlSpec{ids::kBatchCountEdit, K::Edit, QRect(kRightBoxX, 166, kRightBoxWidth, 12), kNoText,
                "0", 0, A::Bottom},

    ControlSpec{ids::kBatchIdLengthLabel, K::Label, QRect(kLeftLabelX, 184, kLabelWidth, 8),
                ftext::kBatchIdLength, "ID长度:", 0, A::Bottom},
    ControlSpec{ids::kBatchIdLengthList, K::ComboBox, QRect(kLeftBoxX, 182, kLeftBoxWidth, 50),
                kNoText, "", 50, A::Bottom},
    ControlSpec{ids::kBatchByteOrderLabel, K::Label, QRect(kRightLabelX, 184, kLabelWidth, 8),
                ftext::kBatchByteOrder, "字节序:", 0, A::Bottom},
    ControlSpec{ids::kBatchByteOrderList, K::ComboBox, QRect(kRightBoxX, 182, kRightBoxWidth, 40),
                kNoText, "", 40, A::Bottom},

    ControlSpec{-1, K::EtchedLine, QRect(7, 200, 286, 1), kNoText, "", 0, A::LeftRightBottom},
    ControlSpec{ids::kBatchAutoStartCheck, K::CheckBox, QRect(7, 208, 100, 10),
                ftext::kBatchAutoStart, "自动启动", 0, A::Bottom},
    ControlSpec{ids::kBatchStartButton, K::PushButton, QRect(133, 206, 50, 14), ftext::kBatchStart,
                "开始", 0, A::RightBottom},
    ControlSpec{ids::kBatchStopButton, K::PushButton, QRect(188, 206, 50, 14), ftext::kBatchStop,
                "停止", 0, A::RightBottom},
    ControlSpec{ids::kBatchExitButton, K::PushButton, QRect(243, 206, 50, 14), ftext::kBatchExit,
                "退出", 0, A::RightBottom},
};

constexpr DialogTemplate kTemplate{QSize(300, 227), ftext::kBatchTitle, "批量模式", kControls};

}  // namespace

const DialogTemplate& BatchDialogTemplate() { return kTemplate; }

}  // namespace tarnwick
