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
  QString error;           // set when the command line is wrong
};

// Reads `--base-dir DIR` / `--base-dir=DIR` and `--simulate[=FILE]`; Qt's own
// options (-platform ...) are left to QApplication and skipped here.
AppOptions ParseAppOptions(const QStringList& arguments);

// The base directory with exactly one trailing '/'.
QString WithTrailingSlash(const QString& dir);

// The one-line hint printed before Qt fails for want of a display; empty when
// a display (or the offscreen platform) is there.
QString MissingDisplayHint(const QStringList& arguments);

}  // namespace tarnwick
