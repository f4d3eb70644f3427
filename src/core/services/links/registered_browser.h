// The registered web browser, for a link the desktop's own opener could not
// open: the default application for web pages (text/html) as the desktop's
// mimeapps.list files name it, and the Exec line of its desktop file. The
// command is cut at its target placeholder ("%1", "%u", "%U" or "%f", quoted
// or not) and the target goes after it as one argument of its own, never
// through a shell, after "--" where the command allows it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tarnwick::links {

// The command line is limited, as the link control always was.
inline constexpr std::size_t kCommandLineLimit = 520;
// Ends a command's options: what follows is an argument, whatever it reads.
inline constexpr const char* kEndOfOptions = "--";

// Where the desktop's files are looked for; FromProcess() reads the XDG
// variables (with their documented defaults).
struct DesktopDirs {
  std::vector<std::string> configDirs;  // most important first
  std::vector<std::string> dataDirs;    // most important first

  static DesktopDirs FromProcess();
};

struct BrowserLaunch {
  int result = kNoAssociationResult;  // kOpened (33) when `argv` is ready
  std::vector<std::string> argv;      // program first, the target last (after "--")
  static constexpr int kNoAssociationResult = 31;
};

// The default desktop file for `mime` ("firefox-esr.desktop"), or empty.
std::string DefaultApplicationFor(const std::string& mime, const DesktopDirs& dirs);
// The Exec line of desktop file `name`, or empty when there is none.
std::string DesktopExecLine(const std::string& name, const DesktopDirs& dirs);
// The program and arguments that open `target` with `execLine`.
BrowserLaunch BrowserCommand(const std::string& execLine, const std::string& target);
// All three steps for a web page.
BrowserLaunch RegisteredBrowserFor(const std::string& target, const DesktopDirs& dirs);

}  // namespace tarnwick::links
