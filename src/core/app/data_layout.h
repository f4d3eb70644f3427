// Where every file of the program is. Two layouts:
// - one folder (the portable folder, or --base-dir): everything sits in that
//   folder under the names the program has always used ("hven2.dll",
//   "h_ven0.dll", "h_ven1.dll", "log.txt", temp/, ...);
// - installed: the shipped data is read in place from the share folder
//   (<exe dir>/../share/tarnwick), and the user's files follow the XDG base
//   directories: settings, services.ini and the user's own catalogue or text
//   tables in $XDG_CONFIG_HOME/tarnwick, the log and the virtual chips'
//   content in $XDG_STATE_HOME/tarnwick, the work files in
//   $XDG_CACHE_HOME/tarnwick.
// Every path the program opens comes from here; the rest asks the layout.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarnwick {

// Above this size the installed program's log moves to "log.txt.1" before
// the next line.
inline constexpr std::uint64_t kInstalledLogLimit = 10ull * 1024 * 1024;

inline constexpr const char* kCatalogueFileName = "database.dat";
inline constexpr const char* kFtextFileName = "ftext.ini";
inline constexpr const char* kItextFileName = "itext.ini";
inline constexpr const char* kLogFileName = "log.txt";
inline constexpr const char* kOneFolderSettingsName = "hven2.dll";
inline constexpr const char* kInstalledSettingsName = "settings";
inline constexpr const char* kProgramFolderName = "tarnwick";
inline constexpr const char* kShareSubdir = "../share/tarnwick";
inline constexpr const char* kSimContentSubdir = "sim/";

// Every folder ends with '/'.
struct DataLayout {
  bool installed = false;
  std::string dataDir;   // the shipped, read-only data: lang/, sim/, the manual
  std::string assetDir;  // sound/ and CODE/ are read from here
  std::string catalogueFile;
  std::string ftextFile;
  std::string itextFile;
  std::string configDir;  // services.ini, the user's own boot-table.bin
  std::string settingsFile;
  std::string logFile;
  std::uint64_t logLimit = 0;  // 0: the log grows without a limit
  std::string workDir;         // file image copy, last chip read, temp/, del.f
  std::string simDir;          // the virtual chips' content
  std::string stateDir;        // the batch report when no other is named
  std::string lockDir;         // the window's single-instance lock
};

// The environment the installed layout is computed from.
struct XdgFolders {
  std::string home;
  std::string configHome;  // $XDG_CONFIG_HOME etc.; empty or relative: the default
  std::string stateHome;
  std::string cacheHome;
  std::string dataHome;  // where older versions kept their per-user folder
};

// `dir` holds everything (`dataDir` the shipped data; empty: `dir` too).
DataLayout OneFolderLayout(const std::string& dir, const std::string& dataDir = {});

// The installed layout for `shareDir` with the text set `language` (lang/<set>/).
// The user's own database.dat, ftext.ini or itext.ini in the config folder
// take the place of the shipped ones. Empty when there is no home to put the
// user's folders in.
DataLayout InstalledLayout(const std::string& shareDir, const XdgFolders& xdg,
                           const std::string& language);

// The text set for a start: --lang when given, else zh_CN for a zh_* locale,
// else en.
std::string TextLanguage(const std::string& lang, const std::string& locale);

// Where the virtual box described by `boxFile` keeps its chip's content and
// its firmware image: empty (beside the file) for the user's own files,
// `simDir` for a file in the shipped data folder (when the user's files are
// kept apart from it) or in a folder the user cannot write.
std::string BoxContentFolder(const DataLayout& layout, const std::string& boxFile);

// The user's folders of `layout` that must exist before it is used.
std::vector<std::string> UserFolders(const DataLayout& layout);

}  // namespace tarnwick
