// Telling the user that the catalogue file was not what it should be: which
// file, what was wrong with it and how many chip records it still gave.
#pragma once

#include <string>

#include "core/app/text_table.h"
#include "core/app/window_services.h"
#include "core/catalogue/catalogue.h"

namespace tarnwick {

// The message for the catalogue's last load from `path`, or "" when the file
// was read whole and every catalogue line in it was taken.
std::string CatalogueLoadMessage(const Catalogue& catalogue, const std::string& path,
                                 const TextTable& texts);

// Shows that message in a warning box when there is one.
void ReportCatalogueLoad(const Catalogue& catalogue, const std::string& path,
                         WindowServices& services);

}  // namespace tarnwick
