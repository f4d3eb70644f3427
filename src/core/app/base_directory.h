// Which layout the program runs in. A portable folder (the executable's
// folder holds database.dat and may be written) keeps everything in itself.
// An installed program reads its data in place from <exe dir>/../share/tarnwick
// and keeps the user's files in the XDG folders (core/app/data_layout.h);
// its first start takes over what an older version left in
// ~/.local/share/tarnwick. --base-dir puts everything in one folder instead.
#pragma once

#include <string>
#include <variant>

#include "core/app/data_layout.h"
#include "core/app/layout_migration.h"

namespace tarnwick {

struct BaseDirectoryInputs {
  std::string executableDir;
  std::string baseDirOption;  // --base-dir; empty when not given
  XdgFolders xdg;
  std::string locale;  // the first set of $LC_ALL, $LC_MESSAGES, $LANG
  std::string lang;    // --lang; empty when not given
};

struct BaseDirectory {
  DataLayout layout;
  std::string dataDir;  // layout.dataDir, for the callers that need no more
  bool portable = false;
  MigrationReport migrated;  // what this start took over from an older version
};

struct BaseDirectoryError {
  enum class Kind {
    BaseDirMissing,  // --base-dir names no folder
    NoData,          // neither a portable folder nor an installed share folder
    NoHome,          // no $HOME (nor absolute XDG folders) to put the user's files in
    CannotCreate,    // a folder for the user's files cannot be made
  };
  Kind kind;
  std::string path;
  std::string detail;  // the system's words, when there are any
};

std::string BaseDirectoryErrorMessage(const BaseDirectoryError& error);

// The inputs from this process's environment.
BaseDirectoryInputs BaseDirectoryInputsFromEnvironment(std::string executableDir,
                                                       std::string baseDirOption, std::string lang);

// Chooses the layout. Installed, it makes the user's folders and moves what
// an older version left behind. --lang names the text set below the data
// folder's lang/ in every layout.
std::variant<BaseDirectory, BaseDirectoryError> ChooseBaseDirectory(
    const BaseDirectoryInputs& inputs);

}  // namespace tarnwick
