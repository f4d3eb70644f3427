#include "core/app/settings_report.h"

#include <cstring>

#include "core/app/text_format.h"
#include "core/app/text_ids.h"
#include "resources/ids.h"

namespace tarnwick {
namespace {

struct SettingName {
  int commandId;
  int ftext;
  bool batchStep;  // named under the batch-steps submenu's caption
};

constexpr SettingName kNames[] = {
    {ids::kSoundSetting, ftext::kMenuSound, false},
    {ids::kAutoDetectSetting, ftext::kMenuAutoIdentify, false},
    {ids::kBatchEraseSetting, ftext::kMenuBatchErase, true},
    {ids::kBatchProgramSetting, ftext::kMenuBatchProgram, true},
    {ids::kBatchVerifySetting, ftext::kMenuBatchVerify, true},
};

// A menu caption without its mnemonic marks and padding blanks.
std::string Caption(const TextTable& texts, int n) {
  std::string out;
  for (char c : texts.ftext(n)) {
    if (c != '&') out += c;
  }
  const auto first = out.find_first_not_of(' ');
  const auto last = out.find_last_not_of(' ');
  return first == std::string::npos ? std::string() : out.substr(first, last - first + 1);
}

bool IsOn(Settings& settings, int commandId) {
  switch (commandId) {
    case ids::kSoundSetting:
      return settings.SoundOn();
    case ids::kAutoDetectSetting:
      return settings.AutoDetectOn();
    case ids::kBatchEraseSetting:
      return settings.BatchEraseOn();
    case ids::kBatchProgramSetting:
      return settings.BatchProgramOn();
    default:
      return settings.BatchVerifyOn();
  }
}

}  // namespace

std::string SettingsSummary(Settings& settings, const TextTable& texts) {
  std::string text;
  for (const SettingName& s : kNames) {
    if (!text.empty()) text += "\r\n";
    if (s.batchStep) text += Caption(texts, ftext::kMenuBatchSteps) + "/";
    text += Caption(texts, s.ftext) + ": " +
            texts.itext(IsOn(settings, s.commandId) ? itext::kSettingOn : itext::kSettingOff);
  }
  return text;
}

std::string SettingsLoadMessage(Settings& settings, const TextTable& texts) {
  const SettingsLoadReport& r = settings.LastLoad();
  if (r.Clean()) return {};
  std::string text;
  if (!r.opened) {
    text = texts.itext(itext::kSettingsUnreadable) + "\r\n" + settings.FilePath() + ": " +
           (r.notRegularFile ? texts.itext(itext::kCatalogueNotAFile) : std::strerror(r.cause));
  } else {
    text = texts.itext(itext::kSettingsOddValues) + "\r\n" + settings.FilePath() + ":";
    for (int i = 0; i < SettingsLoadReport::kBytes; ++i) {
      if (r.odd[i] >= 0) text += Format(" [%d]=0x%02X", i, static_cast<unsigned>(r.odd[i]));
    }
  }
  return text + "\r\n" + SettingsSummary(settings, texts);
}

void ReportSettingsLoad(Settings& settings, WindowServices& services) {
  const std::string text = SettingsLoadMessage(settings, services.texts());
  if (!text.empty())
    services.Box(text, services.texts().itext(itext::kWarningCaption), BoxIcon::Warning);
}

}  // namespace tarnwick
