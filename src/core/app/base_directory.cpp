#include "core/app/base_directory.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <utility>

#include "core/app/text_languages.h"

namespace fs = std::filesystem;

namespace tarnwick {

namespace {

std::string WithSlash(std::string dir) {
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

bool IsPortable(const std::string& dir) {
  std::error_code ec;
  return fs::is_regular_file(fs::path(dir) / kCatalogueFileName, ec) &&
         ::access(dir.c_str(), W_OK) == 0;
}

// --lang reads the set's tables from the data folder for this run.
void UseLanguageOption(DataLayout& layout, const std::string& lang) {
  if (lang.empty()) return;
  const std::string dir = TextLanguageDir(layout.dataDir, lang);
  layout.ftextFile = dir + kFtextFileName;
  layout.itextFile = dir + kItextFileName;
}

}  // namespace

std::string BaseDirectoryErrorMessage(const BaseDirectoryError& error) {
  std::string text;
  switch (error.kind) {
    case BaseDirectoryError::Kind::BaseDirMissing:
      text = "base directory " + error.path + " does not exist";
      break;
    case BaseDirectoryError::Kind::NoData:
      text = "no program data: neither " + std::string(kCatalogueFileName) +
             " beside the program nor the folder " + error.path;
      break;
    case BaseDirectoryError::Kind::NoHome:
      text =
          "no folder for the user's files: HOME is not set "
          "(give one with --base-dir)";
      break;
    case BaseDirectoryError::Kind::CannotCreate:
      text = "cannot create the folder " + error.path;
      break;
  }
  if (!error.detail.empty()) text += ": " + error.detail;
  return text;
}

BaseDirectoryInputs BaseDirectoryInputsFromEnvironment(std::string executableDir,
                                                       std::string baseDirOption,
                                                       std::string lang) {
  auto env = [](const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
  };
  std::string locale;
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    locale = env(name);
    if (!locale.empty()) break;
  }
  BaseDirectoryInputs in;
  in.executableDir = std::move(executableDir);
  in.baseDirOption = std::move(baseDirOption);
  in.xdg = XdgFolders{env("HOME"), env("XDG_CONFIG_HOME"), env("XDG_STATE_HOME"),
                      env("XDG_CACHE_HOME"), env("XDG_DATA_HOME")};
  in.locale = std::move(locale);
  in.lang = std::move(lang);
  return in;
}

std::variant<BaseDirectory, BaseDirectoryError> ChooseBaseDirectory(const BaseDirectoryInputs& in) {
  const std::string exeDir = WithSlash(in.executableDir);
  std::error_code ec;
  const bool portable = IsPortable(exeDir);
  const std::string shareDir =
      WithSlash(fs::weakly_canonical(fs::path(exeDir) / kShareSubdir, ec).string());
  const bool installed = !portable && fs::is_regular_file(shareDir + kCatalogueFileName, ec);
  const std::string dataDir = portable || !installed ? exeDir : shareDir;

  BaseDirectory out;
  out.portable = portable;
  if (!in.baseDirOption.empty() || portable) {
    const std::string dir = portable && in.baseDirOption.empty() ? exeDir : in.baseDirOption;
    if (!fs::is_directory(dir, ec)) {
      return BaseDirectoryError{BaseDirectoryError::Kind::BaseDirMissing, WithSlash(dir), {}};
    }
    out.layout = OneFolderLayout(dir, dataDir);
    out.dataDir = out.layout.dataDir;
    UseLanguageOption(out.layout, in.lang);
    return out;
  }
  if (!installed) return BaseDirectoryError{BaseDirectoryError::Kind::NoData, shareDir, {}};
  out.layout = InstalledLayout(shareDir, in.xdg, TextLanguage(in.lang, in.locale));
  if (out.layout.configDir.empty()) {
    return BaseDirectoryError{BaseDirectoryError::Kind::NoHome, {}, {}};
  }
  for (const std::string& dir : UserFolders(out.layout)) {
    fs::create_directories(dir, ec);
    if (ec || !fs::is_directory(dir, ec)) {
      return BaseDirectoryError{BaseDirectoryError::Kind::CannotCreate, dir, ec.message()};
    }
  }
  out.dataDir = out.layout.dataDir;
  UseLanguageOption(out.layout, in.lang);
  out.migrated = MigrateOldUserFolder(OldUserFolder(in.xdg), out.layout);
  return out;
}

}  // namespace tarnwick
