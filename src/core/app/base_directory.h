// Where the program keeps its files. A portable folder (the executable's
// folder holds database.dat and may be written) is its own base directory.
// An installed program reads its data from <exe dir>/../share/tarnwick and
// works in a per-user folder ($XDG_DATA_HOME/tarnwick, else
// ~/.local/share/tarnwick), seeded from the data on first start. --base-dir
// overrides both.
#pragma once

#include <string>
#include <variant>

namespace tarnwick {

struct BaseDirectoryInputs {
  std::string executableDir;
  std::string baseDirOption;  // --base-dir; empty when not given
  std::string xdgDataHome;    // $XDG_DATA_HOME
  std::string home;           // $HOME
  std::string locale;         // the first set of $LC_ALL, $LC_MESSAGES, $LANG
  std::string lang;           // --lang; empty when not given
};

struct BaseDirectory {
  std::string baseDir;  // with trailing '/'
  // Where the read-only data lives, the text sets below lang/ among them
  // (with trailing '/'): the executable's folder when portable, else the
  // share folder.
  std::string dataDir;
  bool portable = false;
  int seededFiles = 0;  // files copied into the per-user folder this start
};

struct BaseDirectoryError {
  enum class Kind {
    BaseDirMissing,  // --base-dir names no folder
    NoData,          // neither a portable folder nor an installed share folder
    NoHome,          // no $XDG_DATA_HOME nor $HOME to put the per-user folder in
    CannotCreate,    // the per-user folder cannot be made
    CannotCopy,      // a file of the share folder cannot be copied into it
  };
  Kind kind;
  std::string path;
  std::string detail;  // the system's words, when there are any
};

std::string BaseDirectoryErrorMessage(const BaseDirectoryError& error);

// The inputs from this process's environment.
BaseDirectoryInputs BaseDirectoryInputsFromEnvironment(std::string executableDir,
                                                       std::string baseDirOption, std::string lang);

// The text set for the per-user folder: --lang when given, else zh_CN for a
// zh_* locale, else en.
std::string SeedLanguage(const std::string& lang, const std::string& locale);

// Chooses the base directory and, for an installed program, seeds the
// per-user folder with the share folder's files it does not have yet (the
// chosen set's ftext.ini and itext.ini become its own text tables). Never
// overwrites a file that is already there.
std::variant<BaseDirectory, BaseDirectoryError> ChooseBaseDirectory(
    const BaseDirectoryInputs& inputs);

}  // namespace tarnwick
