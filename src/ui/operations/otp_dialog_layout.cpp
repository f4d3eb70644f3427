#include "ui/operations/otp_dialog_layout.h"

#include <array>

#include "core/app/text_ids.h"
#include "resources/ids.h"

namespace tarnwick {

namespace {

using K = ControlKind;

constexpr int kMargin = 7;
// The button column right of the file box and the log; wide enough for the
// English captions.
constexpr int kButtonX = 239;
constexpr int kButtonWidth = 54;
constexpr int kButtonHeight = 14;
constexpr int kButtonStep = 17;
constexpr int kLeftWidth = kButtonX - 6 - kMargin;
// The log and the operation buttons start together.
constexpr int kWorkY = 40;

constexpr int ButtonY(int row) { return kWorkY + row * kButtonStep; }

constexpr std::array kControls = {
    ControlSpec{ids::kOtpFileEdit, K::Edit, QRect(kMargin, 7, kLeftWidth, 12), kNoText, "", 0},
    ControlSpec{ids::kOtpOpenButton, K::PushButton, QRect(kButtonX, 6, kButtonWidth, kButtonHeight),
                ftext::kOtpOpen, "打开", 0},
    ControlSpec{ids::kOtpLockCheck, K::CheckBox, QRect(kMargin, 25, 286, 10), ftext::kOtpLockCheck,
                "锁定OTP (*注:一旦锁定将不能再次写入)", 0},

    // Six buttons high: room for about ten lines of log.
    ControlSpec{ids::kOtpLogEdit, K::TextPane,
                QRect(kMargin, kWorkY, kLeftWidth, ButtonY(6) - kWorkY - 3), kNoText, "", 0},

    // In the order of the work: find the area, check it, write, compare,
    // read it back and keep it.
    ControlSpec{ids::kOtpDetectButton, K::PushButton,
                QRect(kButtonX, ButtonY(0), kButtonWidth, kButtonHeight), ftext::kOtpDetect, "检测",
                0},
    ControlSpec{ids::kOtpBlankCheckButton, K::PushButton,
                QRect(kButtonX, ButtonY(1), kButtonWidth, kButtonHeight), ftext::kOtpBlankCheck,
                "查空", 0},
    ControlSpec{ids::kOtpProgramButton, K::PushButton,
                QRect(kButtonX, ButtonY(2), kButtonWidth, kButtonHeight), ftext::kOtpProgram,
                "烧录", 0},
    ControlSpec{ids::kOtpVerifyButton, K::PushButton,
                QRect(kButtonX, ButtonY(3), kButtonWidth, kButtonHeight), ftext::kOtpVerify, "校验",
                0},
    ControlSpec{ids::kOtpReadButton, K::PushButton,
                QRect(kButtonX, ButtonY(4), kButtonWidth, kButtonHeight), ftext::kOtpRead, "读出",
                0},
    ControlSpec{ids::kOtpSaveButton, K::PushButton,
                QRect(kButtonX, ButtonY(5), kButtonWidth, kButtonHeight), ftext::kOtpSave, "保存",
                0},
};

constexpr DialogTemplate kTemplate{QSize(300, ButtonY(6) + kMargin - 3), ftext::kOtpTitle,
                                   "OTP烧录", kControls};

}  // namespace

const DialogTemplate& OtpDialogTemplate() { return kTemplate; }

}  // namespace tarnwick
