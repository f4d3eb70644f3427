// The command line of the `tarnwick` program.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace tarnwick {

// The menu entry's desktop file without ".desktop": the window's app id.
inline constexpr const char* kDesktopFileName = "org.tarnwick.Tarnwick";

struct AppOptions {
  QString baseDir;         // empty: the executable's folder
  bool simulate = false;   // run against the virtual box
  QString simulationFile;  // its description file(s), comma-separated; empty: the default box
  QString device;          // --device BUS:DEVICE or SERIAL; empty: not given
  QString lang;            // --lang: a shipped text table set; empty: the base directory's
  bool help = false;       // --help / -h: print the usage and stop
  bool version = false;    // --version: print the name and version and stop
  QString error;           // set when the command line is wrong
  // The error is a word that is no option: before QApplication has taken its
  // own options (and their values) out, it may be one of theirs.
  bool strayArgument = false;
};

// Reads `--base-dir DIR` / `--base-dir=DIR`, `--simulate[=FILE[,FILE...]]`,
// `--device BOX` / `--device=BOX`,
// `--lang LANG` / `--lang=LANG` (one of the shipped sets), `--help` and
// `--version`; Qt's own options (-platform ...) are left to QApplication and
// skipped here. Any other option is an error.
AppOptions ParseAppOptions(const QStringList& arguments);

// The usage text printed for --help and after a command-line error.
QString AppUsageText();

// "tarnwick VERSION", printed for --version.
QString AppVersionText();

// The base directory with exactly one trailing '/'.
QString WithTrailingSlash(const QString& dir);

// The one-line message the program ends with when it has no display to
// open its window on; empty when a display (or a platform that needs none,
// such as offscreen) is there.
QString MissingDisplayHint(const QStringList& arguments);

}  // namespace tarnwick
