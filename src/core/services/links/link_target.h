// What a link may open, and the URL it is handed on as. Links from the
// configuration and from the link control open only web pages and mail
// (http, https, mailto); a file opens only when the program names it itself
// (the manual, the log). The text is never passed on as it was written: it
// becomes a URL that starts with its scheme, with everything outside the
// URL characters percent-encoded, so no part of it can read as a program's
// option or as a path relative to where the program runs.
#pragma once

#include <string>

namespace tarnwick::links {

struct LinkTarget {
  int result = 0;   // kOpened (33) when `url` may be opened, else the refusal code
  std::string url;  // the normalised URL
};

// The refusal of a text that is not an http, https or mailto link.
inline constexpr int kRefusedTarget = 31;  // kNoAssociation

// "http://…", "https://…" (with a host) or "mailto:…" (with an address);
// the scheme and the host are lower-cased.
LinkTarget WebLinkTarget(const std::string& text);
// "file://" and the absolute `path`; a relative path is refused.
LinkTarget ProgramFileTarget(const std::string& path);

}  // namespace tarnwick::links
