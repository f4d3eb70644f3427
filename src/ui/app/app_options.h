// The command line of the `tarnwick` program.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace tarnwick {

struct AppOptions {
  QString baseDir;         // empty: the executable's folder
  bool simulate = false;   // run against the virtual box
  QString simulationFile;  // its description file; empty: the default box
  QString lang;            // --lang: a shipped text table set; empty: the base directory's
  bool help = false;       // --help / -h: print the usage and stop
  QString error;           // set when the command line is wrong
  // The error is a word that is no option: before QApplication has taken its
  // own options (and their values) out, it may be one of theirs.
  bool strayArgument = false;
};

// Reads `--base-dir DIR` / `--base-dir=DIR`, `--simulate[=FILE]`,
// `--lang LANG` / `--lang=LANG` (one of the shipped sets) and `--help`; Qt's
// own options (-platform ...) are left to QApplication and skipped here.
AppOptions ParseAppOptions(const QStringList& arguments);

// The usage text printed for --help and after a command-line error.
QString AppUsageText();

// The base directory with exactly one trailing '/'.
QString WithTrailingSlash(const QString& dir);

// The one-line hint printed before Qt fails for want of a display; empty when
// a display (or the offscreen platform) is there.
QString MissingDisplayHint(const QStringList& arguments);

}  // namespace tarnwick
