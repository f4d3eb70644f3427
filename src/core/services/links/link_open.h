// Opening a link outside the program: the desktop's own opener first, then,
// for what it cannot open, the registered web browser started as a process
// of its own (never through a shell). Both get the normalised URL only.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/services/links/link_target.h"
#include "core/services/links/registered_browser.h"

namespace tarnwick::links {

// The desktop's opener (xdg-open and the like): true when it took the URL.
using DesktopOpen = std::function<bool(const std::string& url)>;

// A links:: result: above 32 when opened, else the code of the failure.
int OpenLink(const LinkTarget& target, const DesktopOpen& desktop, const DesktopDirs& dirs);

// Starts argv[0] (a path, or a name looked up in PATH) with the arguments
// in a session of its own, without waiting for it. kOpened once the program
// runs; kFileNotFound when there is no such program or it cannot be run
// (kAccessDenied when it may not be).
int StartDetached(const std::vector<std::string>& argv);

}  // namespace tarnwick::links
