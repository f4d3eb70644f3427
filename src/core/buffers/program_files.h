// The files the program keeps for itself. No file tool may write over one of
// them: merging into the working copy, for one, would cut the loaded image
// short under the window.
#pragma once

#include <string>
#include <vector>

#include "core/app/data_layout.h"

namespace tarnwick::buffers {

// The catalogue, the text tables, the settings, both work copies, the log
// and the offset work file, where `layout` keeps them.
std::vector<std::string> ProgramFiles(const DataLayout& layout);
// True when `path` leads to one of `files` (by inode, or by path for files
// not yet made).
bool IsOneOfFiles(const std::vector<std::string>& files, const std::string& path);

}  // namespace tarnwick::buffers
