// Telling the user at start-up that the settings file could not be used as
// it stands: which file, what was wrong, and where the five settings now are.
#pragma once

#include <string>

#include "core/app/settings.h"
#include "core/app/text_table.h"
#include "core/app/window_services.h"

namespace tarnwick {

// The five settings as the menu shows them: "Sounds: on, ...", one per line.
std::string SettingsSummary(Settings& settings, const TextTable& texts);

// The message for the last load, or "" when the file was read cleanly.
std::string SettingsLoadMessage(Settings& settings, const TextTable& texts);

// Shows that message in a warning box when there is one.
void ReportSettingsLoad(Settings& settings, WindowServices& services);

}  // namespace tarnwick
