#include "ui/app/icons.h"

#include <QPixmap>
#include <utility>

#include "resources/ids.h"

// The pictures live in a static library, whose resource registration the
// linker would drop: register them by hand, once.
static void RegisterIconResources() {
  static const bool registered = [] {
    Q_INIT_RESOURCE(icons);
    return true;
  }();
  (void)registered;
}

namespace tarnwick {

namespace {

struct Named {
  int id;
  const char* file;
};

// Pictures by icon resource.
constexpr Named kResources[] = {
    {ids::kAppIcon, "app"},
    {ids::kWebIcon, "web"},
    {ids::kSocketIconClass1, "socket_231"},
    {ids::kSocketIconClass0, "socket_232"},
    {ids::kSocketIconClass2Sub1, "socket_233"},
    {ids::kSocketIconClass3Sub0, "socket_234"},
    {ids::kSocketIconClass3Sub1, "socket_235"},
    {ids::kSocketIconClass4, "socket_239"},
    {ids::kAdapterIcon, "adapter"},
};

// Menu pictures by command (bitmap resources 171-213 of the original menu).
constexpr Named kCommands[] = {
    {ids::kAboutCommand, "menu_about"},  {ids::kFirmwareVersion, "menu_fw_version"},
    {ids::kDetectButton, "menu_detect"}, {ids::kDataView, "menu_data_view"},
    {ids::kChipFill, "menu_chip_fill"},  {ids::kFileFill, "menu_file_fill"},
    {ids::kReadButton, "menu_read"},     {ids::kBlankCheckButton, "menu_blank"},
    {ids::kVerifyButton, "menu_verify"}, {ids::kProgramButton, "menu_program"},
    {ids::kEraseButton, "menu_erase"},   {ids::kAutoProgramButton, "menu_auto"},
    {ids::kExitCommand, "menu_exit"},    {ids::kSaveFileAs, "menu_save_as"},
    {ids::kSaveFile, "menu_save"},       {ids::kOpenFile, "menu_open"},
    {ids::kGoToAddress, "menu_goto"},    {ids::kFirmwareUpgrade, "menu_fw_upgrade"},
    {ids::kFind, "menu_find"},
};

QString PathOf(const char* name) {
  RegisterIconResources();
  return QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name));
}

}  // namespace

QString IconPathForResource(int resourceId) {
  for (const auto& r : kResources) {
    if (r.id == resourceId) return PathOf(r.file);
  }
  return {};
}

QIcon IconForResource(int resourceId) {
  const QString path = IconPathForResource(resourceId);
  return path.isEmpty() ? QIcon() : QIcon(path);
}

QIcon MenuIconForCommand(int commandId) {
  if (commandId == ids::kEditModeMenu) return EditModeMenuIcon();
  for (const auto& c : kCommands) {
    if (c.id == commandId) return QIcon(PathOf(c.file));
  }
  return {};
}

QIcon EditModeMenuIcon() {
  QIcon icon;
  for (int size : {16, 32}) {
    icon.addFile(PathOf("menu_edit_off"), QSize(size, size), QIcon::Normal, QIcon::Off);
    icon.addFile(PathOf("menu_edit_on"), QSize(size, size), QIcon::Normal, QIcon::On);
  }
  return icon;
}

QIcon AppIcon() { return QIcon(PathOf("app")); }

}  // namespace tarnwick
