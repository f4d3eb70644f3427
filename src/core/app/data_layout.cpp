#include "core/app/data_layout.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace tarnwick {

namespace {

std::string WithSlash(std::string dir) {
  if (!dir.empty() && dir.back() != '/') dir += '/';
  return dir;
}

// The XDG base directory rule: an unset or relative value means the default
// below the home folder.
std::string XdgHome(const std::string& value, const std::string& home, const char* fallback) {
  if (!value.empty() && value.front() == '/') return WithSlash(value);
  if (home.empty()) return {};
  return WithSlash(home) + fallback;
}

// The user's own copy in the config folder when there is one, else the
// shipped file.
std::string UsersOrShipped(const std::string& configDir, const std::string& shipped,
                           const char* name) {
  std::error_code ec;
  const std::string own = configDir + name;
  return fs::is_regular_file(own, ec) ? own : shipped;
}

}  // namespace

DataLayout OneFolderLayout(const std::string& dir, const std::string& dataDir) {
  const std::string base = WithSlash(dir);
  DataLayout l;
  l.installed = false;
  l.dataDir = dataDir.empty() ? base : WithSlash(dataDir);
  l.assetDir = base;
  l.catalogueFile = base + kCatalogueFileName;
  l.ftextFile = base + kFtextFileName;
  l.itextFile = base + kItextFileName;
  l.configDir = base;
  l.settingsFile = base + kOneFolderSettingsName;
  l.logFile = base + kLogFileName;
  l.logLimit = 0;
  l.workDir = base;
  l.simDir = base;
  l.stateDir = base;
  l.lockDir = base;
  return l;
}

DataLayout InstalledLayout(const std::string& shareDir, const XdgFolders& xdg,
                           const std::string& language) {
  const std::string config = XdgHome(xdg.configHome, xdg.home, ".config/");
  const std::string state = XdgHome(xdg.stateHome, xdg.home, ".local/state/");
  const std::string cache = XdgHome(xdg.cacheHome, xdg.home, ".cache/");
  if (config.empty() || state.empty() || cache.empty()) return {};
  const std::string share = WithSlash(shareDir);
  const std::string texts = share + "lang/" + language + "/";
  DataLayout l;
  l.installed = true;
  l.dataDir = share;
  l.assetDir = share;
  l.configDir = config + kProgramFolderName + "/";
  l.catalogueFile = UsersOrShipped(l.configDir, share + kCatalogueFileName, kCatalogueFileName);
  l.ftextFile = UsersOrShipped(l.configDir, texts + kFtextFileName, kFtextFileName);
  l.itextFile = UsersOrShipped(l.configDir, texts + kItextFileName, kItextFileName);
  l.settingsFile = l.configDir + kInstalledSettingsName;
  l.stateDir = state + kProgramFolderName + "/";
  l.logFile = l.stateDir + kLogFileName;
  l.logLimit = kInstalledLogLimit;
  l.simDir = l.stateDir + kSimContentSubdir;
  l.lockDir = l.stateDir;
  l.workDir = cache + kProgramFolderName + "/";
  return l;
}

std::string TextLanguage(const std::string& lang, const std::string& locale) {
  if (!lang.empty()) return lang;
  return locale.rfind("zh", 0) == 0 ? std::string("zh_CN") : std::string("en");
}

std::string BoxContentFolder(const DataLayout& layout, const std::string& boxFile) {
  std::error_code ec;
  const fs::path folder = fs::weakly_canonical(fs::absolute(boxFile, ec), ec).parent_path();
  const bool apart = layout.dataDir != layout.configDir;
  const fs::path data = fs::weakly_canonical(fs::path(layout.dataDir) / ".", ec);
  const fs::path inData = folder.lexically_relative(data);
  const bool shipped = apart && !data.empty() && !inData.empty() && *inData.begin() != "..";
  if (shipped || ::access(folder.c_str(), W_OK) != 0) return layout.simDir;
  return {};
}

std::vector<std::string> UserFolders(const DataLayout& layout) {
  return {layout.configDir, layout.stateDir, layout.workDir, layout.simDir, layout.lockDir};
}

}  // namespace tarnwick
