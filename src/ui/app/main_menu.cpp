#include "ui/app/main_menu.h"

#include <QString>

#include "core/app/text_ids.h"
#include "core/app/text_table.h"
#include "resources/ids.h"
#include "ui/app/icons.h"

namespace tarnwick {

namespace {

constexpr MenuItemSpec kFile[] = {
    {ids::kOpenFile, ftext::kMenuOpenFile, "打开文件(&O)", false, false},
    {ids::kSaveFile, ftext::kMenuSaveFile, "保存文件(&S)", false, true},
    {ids::kSaveFileAs, ftext::kMenuSaveFileAs, "另存储为(&A)", false, true},
    {ids::kEditModeMenu, ftext::kEditMode, "编辑模式(&E)", true, true},
    {ids::kExitCommand, ftext::kMenuExit, "退出程序(&X)", false, false},
};
constexpr MenuItemSpec kProgramming[] = {
    {ids::kAutoProgramButton, ftext::kMenuAutoProgram, "自动烧录", false, false},
    {ids::kEraseButton, ftext::kMenuErase, "擦除芯片", false, false},
    {ids::kProgramButton, ftext::kMenuProgram, "手动烧录", false, false},
    {ids::kVerifyButton, ftext::kMenuVerify, "数据校验", false, false},
    {ids::kBlankCheckButton, ftext::kMenuBlankCheck, "芯片查空", false, false},
    {ids::kReadButton, ftext::kMenuRead, "读出芯片", false, false},
};
constexpr MenuItemSpec kAddress[] = {
    {ids::kGoToAddress, ftext::kMenuGoTo, "地址定位(&P)", false, true},
    {ids::kDataView, ftext::kMenuDataView, "数据查看(&D)", false, true},
    {ids::kFind, ftext::kMenuFind, "数据查找(&L)", false, true},
    {ids::kFileFill, ftext::kMenuFileFill, "文件填充(&F)", false, true},
    {ids::kChipFill, ftext::kMenuChipFill, "芯片填充(&C)", false, true},
    {ids::kOffsetProgramming, ftext::kMenuOffsetProgramming, "时光平移...", false, false},
};
constexpr MenuItemSpec kTools[] = {
    {ids::kMergeFiles, ftext::kMenuMerge, "文件合并", false, false},
    {ids::kSplitFile, ftext::kMenuSplit, "文件分割", false, false},
    {ids::kOtpProgramming, ftext::kMenuOtp, "OTP 烧写", false, false},
};
constexpr MenuItemSpec kFirmware[] = {
    {ids::kDetectButton, ftext::kMenuDetect, "芯片检测", false, false},
    {ids::kFirmwareVersion, ftext::kMenuFirmwareVersion, "固件版本(&F)", false, false},
    {ids::kFirmwareUpgrade, ftext::kMenuFirmwareUpgrade, "固件升级(&D)", false, false},
};
// Id 0 stands for the batch-steps submenu at its position.
constexpr MenuItemSpec kSettings[] = {
    {ids::kSoundSetting, ftext::kMenuSound, "提示音", true, false},
    {ids::kAutoDetectSetting, ftext::kMenuAutoIdentify, "自动识别", true, false},
    {0, ftext::kMenuBatchSteps, kBatchStepsTemplate, false, false},
};
constexpr MenuItemSpec kBatchSteps[] = {
    {ids::kBatchEraseSetting, ftext::kMenuBatchErase, "  擦除", true, false},
    {ids::kBatchProgramSetting, ftext::kMenuBatchProgram, "  烧录", true, false},
    {ids::kBatchVerifySetting, ftext::kMenuBatchVerify, "  校验", true, false},
};
constexpr MenuItemSpec kHelp[] = {
    {ids::kHelp, ftext::kMenuManual, "使用说明(&N)", false, false},
    {ids::kCheckUpdate, ftext::kMenuCheckUpdate, "检查更新(&U)", false, false},
    {ids::kViewModificationLog, ftext::kMenuModificationLog, "查看修改日志", false, false},
    {ids::kFeedback, ftext::kMenuFeedback, "快速反馈(&F)", false, false},
    {ids::kAboutCommand, ftext::kMenuAbout, "关于我们(&A)", false, false},
};

constexpr MenuSpec kMenus[] = {
    {ftext::kMenuFile, "文件", kFile},
    {ftext::kMenuProgramming, "编程操作", kProgramming},
    {ftext::kMenuAddress, "地址操作", kAddress},
    {ftext::kMenuTools, "工具", kTools},
    {ftext::kMenuFirmware, "固件操作", kFirmware},
    {ftext::kMenuSettings, "  设置  ", kSettings},
    {ftext::kMenuHelp, "帮助", kHelp},
};

}  // namespace

std::span<const MenuSpec> MainMenuSpec() { return kMenus; }
std::span<const MenuItemSpec> BatchStepsMenuSpec() { return kBatchSteps; }

MainMenu::MainMenu(QMenuBar* bar) {
  for (const MenuSpec& m : kMenus) {
    QMenu* menu = bar->addMenu(QString::fromUtf8(m.templateTitle));
    menus_.push_back(menu);
    for (const MenuItemSpec& item : m.items) {
      if (item.id == 0) {
        batchSteps_ = menu->addMenu(QString::fromUtf8(item.templateCaption));
        for (const MenuItemSpec& step : kBatchSteps) AddItem(batchSteps_, step);
        continue;
      }
      if (item.id == ids::kExitCommand) menu->addSeparator();
      AddItem(menu, item);
    }
  }
}

QAction* MainMenu::AddItem(QMenu* menu, const MenuItemSpec& spec) {
  QAction* a = menu->addAction(QString::fromUtf8(spec.templateCaption));
  a->setData(spec.id);
  a->setObjectName(QStringLiteral("menu%1").arg(spec.id));
  a->setCheckable(spec.checkable);
  a->setEnabled(!spec.startsGreyed);
  a->setIcon(MenuIconForCommand(spec.id));
  a->setIconVisibleInMenu(true);
  actions_[spec.id] = a;
  return a;
}

QAction* MainMenu::Action(int id) const {
  const auto it = actions_.find(id);
  return it == actions_.end() ? nullptr : it->second;
}

void MainMenu::ApplyTexts(const TextTable& texts) {
  for (size_t i = 0; i < menus_.size(); ++i) {
    const MenuSpec& m = kMenus[i];
    menus_[i]->setTitle(QString::fromStdString(texts.ftext(m.ftext)));
    for (const MenuItemSpec& item : m.items) {
      if (item.id == 0) {
        batchSteps_->setTitle(QString::fromStdString(texts.ftext(item.ftext)));
      } else {
        actions_.at(item.id)->setText(QString::fromStdString(texts.ftext(item.ftext)));
      }
    }
  }
  for (const MenuItemSpec& step : kBatchSteps) {
    actions_.at(step.id)->setText(QString::fromStdString(texts.ftext(step.ftext)));
  }
}

}  // namespace tarnwick
