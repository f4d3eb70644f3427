// What a link may open, and the URL it is handed on as. Links from the
// configuration and from the link control open only web pages and mail
// (http, https, mailto); a file opens only when the program names it itself
// (the manual, the log). The text is never passed on as it was written: it
// becomes a URL that starts with its scheme, with everything outside the
// URL characters percent-encoded, so no part of it can read as a program's
// option or as a path relative to where the program runs.
#pragma once

#include <string>

#include "core/services/links/link_errors.h"

namespace tarnwick::links {

struct LinkTarget {
  int result = 0;   // kOpened when `url` may be opened, else kRefusedTarget
  std::string url;  // the normalised URL
};

// "http://…", "https://…" (with a host) or "mailto:…" (with an address);
// the scheme and the host are lower-cased.
LinkTarget WebLinkTarget(const std::string& text);
// "file://" and the absolute `path`; a relative path is refused.
LinkTarget ProgramFileTarget(const std::string& path);

}  // namespace tarnwick::links
