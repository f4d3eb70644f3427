#include "core/app/base_directory.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

namespace tarnwick {

namespace {

constexpr const char* kCatalogueFile = "database.dat";
constexpr const char* kShareSubdir = "../share/tarnwick";
constexpr const char* kUserSubdir = "tarnwick";
constexpr const char* kLangFolder = "lang";

std::string WithSlash(std::string dir) {
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

bool IsPortable(const std::string& dir) {
  std::error_code ec;
  return fs::is_regular_file(fs::path(dir) / kCatalogueFile, ec) &&
         ::access(dir.c_str(), W_OK) == 0;
}

// The XDG base directory rule: a relative $XDG_DATA_HOME is ignored.
std::string UserDataHome(const BaseDirectoryInputs& in) {
  if (!in.xdgDataHome.empty() && in.xdgDataHome.front() == '/') return in.xdgDataHome;
  if (!in.home.empty()) return WithSlash(in.home) + ".local/share";
  return {};
}

// Copies `from` to `to` unless `to` is there. A second instance seeding at
// the same moment may win the race; its copy is as good as ours.
bool CopyIfMissing(const fs::path& from, const fs::path& to, int& copied, std::error_code& ec) {
  if (fs::exists(to, ec)) return true;
  fs::create_directories(to.parent_path(), ec);
  if (ec) return false;
  if (fs::copy_file(from, to, fs::copy_options::skip_existing, ec)) {
    // The share folder is read-only; the user's copy is the user's to change.
    fs::permissions(to, fs::perms::owner_write, fs::perm_options::add, ec);
    ++copied;
  }
  return !ec;
}

std::variant<BaseDirectory, BaseDirectoryError> Seed(const std::string& shareDir,
                                                     const std::string& userDir,
                                                     const std::string& language) {
  std::error_code ec;
  fs::create_directories(userDir, ec);
  if (ec || !fs::is_directory(userDir)) {
    return BaseDirectoryError{BaseDirectoryError::Kind::CannotCreate, userDir, ec.message()};
  }
  BaseDirectory out{WithSlash(userDir), WithSlash(shareDir), false, 0};
  const fs::path share(shareDir);
  const fs::path user(userDir);
  // The chosen set's tables first: they become the folder's own texts.
  for (const char* table : {"ftext.ini", "itext.ini"}) {
    const fs::path from = share / kLangFolder / language / table;
    if (!fs::is_regular_file(from, ec)) continue;
    if (!CopyIfMissing(from, user / table, out.seededFiles, ec)) {
      return BaseDirectoryError{BaseDirectoryError::Kind::CannotCopy, (user / table).string(),
                                ec.message()};
    }
  }
  // The text sets stay in the share folder, where --lang reads them.
  fs::recursive_directory_iterator it(share, ec);
  if (ec) return BaseDirectoryError{BaseDirectoryError::Kind::NoData, shareDir, ec.message()};
  for (; it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (ec) break;
    const fs::path rel = it->path().lexically_relative(share);
    if (it.depth() == 0 && rel == kLangFolder) {
      it.disable_recursion_pending();
      continue;
    }
    if (!it->is_regular_file(ec)) continue;
    if (!CopyIfMissing(it->path(), user / rel, out.seededFiles, ec)) {
      return BaseDirectoryError{BaseDirectoryError::Kind::CannotCopy, (user / rel).string(),
                                ec.message()};
    }
  }
  if (ec) return BaseDirectoryError{BaseDirectoryError::Kind::CannotCopy, shareDir, ec.message()};
  return out;
}

}  // namespace

std::string BaseDirectoryErrorMessage(const BaseDirectoryError& error) {
  std::string text;
  switch (error.kind) {
    case BaseDirectoryError::Kind::BaseDirMissing:
      text = "base directory " + error.path + " does not exist";
      break;
    case BaseDirectoryError::Kind::NoData:
      text = "no program data: neither " + std::string(kCatalogueFile) +
             " beside the program nor the folder " + error.path;
      break;
    case BaseDirectoryError::Kind::NoHome:
      text =
          "no folder for the user's files: neither XDG_DATA_HOME nor HOME is set "
          "(give one with --base-dir)";
      break;
    case BaseDirectoryError::Kind::CannotCreate:
      text = "cannot create the folder " + error.path;
      break;
    case BaseDirectoryError::Kind::CannotCopy:
      text = "cannot copy the program's data to " + error.path;
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
  return {
      std::move(executableDir), std::move(baseDirOption), env("XDG_DATA_HOME"), env("HOME"), locale,
      std::move(lang)};
}

std::string SeedLanguage(const std::string& lang, const std::string& locale) {
  if (!lang.empty()) return lang;
  return locale.rfind("zh", 0) == 0 ? std::string("zh_CN") : std::string("en");
}

std::variant<BaseDirectory, BaseDirectoryError> ChooseBaseDirectory(const BaseDirectoryInputs& in) {
  const std::string exeDir = WithSlash(in.executableDir);
  std::error_code ec;
  const bool portable = IsPortable(exeDir);
  const std::string shareDir =
      WithSlash(fs::weakly_canonical(fs::path(exeDir) / kShareSubdir, ec).string());
  const bool installed = !portable && fs::is_regular_file(shareDir + kCatalogueFile, ec);
  const std::string dataDir = portable || !installed ? exeDir : shareDir;

  if (!in.baseDirOption.empty()) {
    if (!fs::is_directory(in.baseDirOption, ec)) {
      return BaseDirectoryError{
          BaseDirectoryError::Kind::BaseDirMissing, WithSlash(in.baseDirOption), {}};
    }
    return BaseDirectory{WithSlash(in.baseDirOption), dataDir, portable, 0};
  }
  if (portable) return BaseDirectory{exeDir, exeDir, true, 0};
  if (!installed) return BaseDirectoryError{BaseDirectoryError::Kind::NoData, shareDir, {}};
  const std::string dataHome = UserDataHome(in);
  if (dataHome.empty()) return BaseDirectoryError{BaseDirectoryError::Kind::NoHome, {}, {}};
  const std::string language = SeedLanguage(in.lang, in.locale);
  return Seed(shareDir, WithSlash(dataHome) + kUserSubdir, language);
}

}  // namespace tarnwick
