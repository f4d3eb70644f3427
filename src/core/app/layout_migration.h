// The move from the per-user folder of older versions
// ($XDG_DATA_HOME/tarnwick, which held settings, log and copies of the
// shipped data) to the installed layout: the settings and the log move to
// their new places when none are there yet, and every copy of a shipped
// file that still equals the shipped one byte for byte is removed. A file
// the user changed stays where it is.
#pragma once

#include <string>

#include "core/app/data_layout.h"

namespace tarnwick {

struct MigrationReport {
  int moved = 0;    // settings and log taken over
  int removed = 0;  // unchanged copies of shipped files removed
};

// `oldDir`: the older versions' per-user folder (with or without '/'); a
// missing folder is nothing to do.
MigrationReport MigrateOldUserFolder(const std::string& oldDir, const DataLayout& layout);

// The older versions' per-user folder: $XDG_DATA_HOME/tarnwick when that is
// absolute, else ~/.local/share/tarnwick; empty without a home.
std::string OldUserFolder(const XdgFolders& xdg);

}  // namespace tarnwick
