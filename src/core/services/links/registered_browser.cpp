#include "core/services/links/registered_browser.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/services/links/link_errors.h"

namespace tarnwick::links {

namespace {

std::vector<std::string> SplitPaths(const char* value, const char* fallback) {
  const std::string text = (value != nullptr && *value != '\0') ? value : fallback;
  std::vector<std::string> out;
  std::stringstream in(text);
  for (std::string part; std::getline(in, part, ':');) {
    if (!part.empty()) out.push_back(part);
  }
  return out;
}

std::string Trim(const std::string& s) {
  const std::size_t a = s.find_first_not_of(" \t\r");
  if (a == std::string::npos) return {};
  return s.substr(a, s.find_last_not_of(" \t\r") - a + 1);
}

// The value of `key` in group `group` of a desktop-style file, or empty.
std::string ReadKey(const std::string& path, const std::string& group, const std::string& key) {
  std::ifstream in(path);
  if (!in) return {};
  bool inGroup = false;
  for (std::string line; std::getline(in, line);) {
    line = Trim(line);
    if (line.empty() || line[0] == '#') continue;
    if (line.front() == '[') {
      inGroup = line == "[" + group + "]";
      continue;
    }
    if (!inGroup) continue;
    const std::size_t eq = line.find('=');
    if (eq != std::string::npos && Trim(line.substr(0, eq)) == key)
      return Trim(line.substr(eq + 1));
  }
  return {};
}

std::string DesktopFilePath(const std::string& name, const DesktopDirs& dirs) {
  std::error_code ec;
  for (const std::string& d : dirs.dataDirs) {
    const std::string path = d + "/applications/" + name;
    if (std::filesystem::is_regular_file(path, ec)) return path;
  }
  return {};
}

// The Exec line's words, unquoted as desktop entries quote them.
std::vector<std::string> ExecWords(const std::string& line) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c == '\\' && i + 1 < line.size()) {
        word += line[++i];
      } else if (c == '"') {
        quoted = false;
      } else {
        word += c;
      }
    } else if (c == '"') {
      quoted = true;
      inWord = true;
    } else if (c == ' ' || c == '\t') {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

bool IsTargetPlaceholder(const std::string& w) {
  return w == "%1" || w == "%u" || w == "%U" || w == "%f" || w == "%F";
}
bool IsOtherFieldCode(const std::string& w) { return w == "%i" || w == "%c" || w == "%k"; }

}  // namespace

DesktopDirs DesktopDirs::FromProcess() {
  DesktopDirs d;
  const char* home = std::getenv("HOME");
  const std::string h = home != nullptr ? home : "";
  const char* configHome = std::getenv("XDG_CONFIG_HOME");
  d.configDirs.push_back(configHome != nullptr && *configHome != '\0' ? configHome
                                                                      : h + "/.config");
  for (std::string& p : SplitPaths(std::getenv("XDG_CONFIG_DIRS"), "/etc/xdg"))
    d.configDirs.push_back(std::move(p));
  const char* dataHome = std::getenv("XDG_DATA_HOME");
  d.dataDirs.push_back(dataHome != nullptr && *dataHome != '\0' ? dataHome : h + "/.local/share");
  for (std::string& p : SplitPaths(std::getenv("XDG_DATA_DIRS"), "/usr/local/share:/usr/share"))
    d.dataDirs.push_back(std::move(p));
  return d;
}

std::string DefaultApplicationFor(const std::string& mime, const DesktopDirs& dirs) {
  std::vector<std::string> lists;
  for (const std::string& d : dirs.configDirs) lists.push_back(d + "/mimeapps.list");
  for (const std::string& d : dirs.dataDirs) lists.push_back(d + "/applications/mimeapps.list");
  for (const std::string& list : lists) {
    std::stringstream names(ReadKey(list, "Default Applications", mime));
    for (std::string name; std::getline(names, name, ';');) {
      name = Trim(name);
      if (!name.empty() && !DesktopFilePath(name, dirs).empty()) return name;
    }
  }
  return {};
}

std::string DesktopExecLine(const std::string& name, const DesktopDirs& dirs) {
  const std::string path = DesktopFilePath(name, dirs);
  return path.empty() ? std::string() : ReadKey(path, "Desktop Entry", "Exec");
}

BrowserLaunch BrowserCommand(const std::string& execLine, const std::string& target) {
  BrowserLaunch launch;
  std::size_t length = 0;
  bool endOfOptions = false;
  for (const std::string& w : ExecWords(execLine)) {
    if (IsTargetPlaceholder(w)) break;  // the command ends where its target went
    if (IsOtherFieldCode(w)) continue;
    endOfOptions = endOfOptions || w == kEndOfOptions;
    std::string word;
    for (std::size_t i = 0; i < w.size(); ++i)
      word += (w[i] == '%' && i + 1 < w.size() && w[i + 1] == '%') ? w[i++] : w[i];
    length += word.size() + 1;
    launch.argv.push_back(std::move(word));
  }
  if (launch.argv.empty()) {
    launch.result = kAssociationIncomplete;
    return launch;
  }
  // The target is an argument, never an option: "--" goes before it unless
  // the word before it may take it as its value ("--new-window %u"), or a
  // wrapper forwards the words after a marker of its own ("@@u %u").
  const std::string before = launch.argv.size() > 1 ? launch.argv.back() : std::string();
  if (!endOfOptions && !before.starts_with('-') && !before.starts_with("@@")) {
    launch.argv.push_back(kEndOfOptions);
    length += launch.argv.back().size() + 1;
  }
  // The words, a blank and the target, and the ending NUL.
  if (length + target.size() + 1 > kCommandLineLimit) {
    launch.argv.clear();
    launch.result = kNotEnoughMemory;
    return launch;
  }
  launch.argv.push_back(target);
  launch.result = kOpened;
  return launch;
}

BrowserLaunch RegisteredBrowserFor(const std::string& target, const DesktopDirs& dirs) {
  const std::string app = DefaultApplicationFor("text/html", dirs);
  if (app.empty()) return {};
  const std::string exec = DesktopExecLine(app, dirs);
  if (exec.empty()) return BrowserLaunch{kAssociationIncomplete, {}};
  return BrowserCommand(exec, target);
}

}  // namespace tarnwick::links
