#include "core/buffers/program_files.h"

#include <algorithm>

#include "core/app/settings.h"
#include "core/buffers/buffer_constants.h"
#include "core/buffers/posix_file.h"

namespace tarnwick::buffers {

std::vector<std::string> ProgramFiles(const std::string& baseDir) {
  std::vector<std::string> files;
  for (std::string_view name :
       {std::string_view("database.dat"), std::string_view("ftext.ini"),
        std::string_view("itext.ini"), std::string_view(Settings::kFileName), kChipDataName,
        kWorkingCopyName, std::string_view("log.txt")}) {
    files.push_back(baseDir + std::string(name));
  }
  files.push_back(baseDir + std::string(kTempDirName) + "/" + std::string(kOffsetWorkFileName));
  return files;
}

bool IsOneOfFiles(const std::vector<std::string>& files, const std::string& path) {
  return std::any_of(files.begin(), files.end(),
                     [&path](const std::string& file) { return SameFile(file, path); });
}

}  // namespace tarnwick::buffers
