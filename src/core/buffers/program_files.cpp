#include "core/buffers/program_files.h"

#include <algorithm>

#include "core/buffers/buffer_constants.h"
#include "core/buffers/posix_file.h"

namespace tarnwick::buffers {

std::vector<std::string> ProgramFiles(const DataLayout& layout) {
  std::vector<std::string> files{layout.catalogueFile, layout.ftextFile, layout.itextFile,
                                 layout.settingsFile, layout.logFile};
  for (std::string_view name : {kChipDataName, kWorkingCopyName}) {
    files.push_back(layout.workDir + std::string(name));
  }
  files.push_back(layout.workDir + std::string(kTempDirName) + "/" +
                  std::string(kOffsetWorkFileName));
  return files;
}

bool IsOneOfFiles(const std::vector<std::string>& files, const std::string& path) {
  return std::any_of(files.begin(), files.end(),
                     [&path](const std::string& file) { return SameFile(file, path); });
}

}  // namespace tarnwick::buffers
