// The block Save adds to "log.txt": what changed in the saved file, byte by
// byte, or which chip's data was saved under which name.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <optional>
#include <string>

namespace tarnwick {
class WindowServices;
}

namespace tarnwick::buffers {

// "    %Y-%m-%d %H:%M:%S" (four leading blanks).
std::string LogTimeStamp(const std::tm& t);
std::string FileSaveHeader(const std::string& timeStamp, const std::string& fileName);
std::string ChipSaveHeader(const std::string& timeStamp, const std::string& chipName);
// Offset "%8X", bytes "%2X" (blanks as '0'); no old byte means "null".
std::string ChangedByteLine(std::uint64_t offset, std::optional<std::uint8_t> oldByte,
                            std::uint8_t newByte);
std::string SavedAsLine(const std::string& chipName, const std::string& fileName);
std::string LogFooter();

// One modification block being written. A log that cannot be opened makes
// every call a no-op: the save itself goes on.
class ModificationBlock {
 public:
  ModificationBlock() = default;
  ~ModificationBlock();
  ModificationBlock(const ModificationBlock&) = delete;
  ModificationBlock& operator=(const ModificationBlock&) = delete;

  // Opens the log for appending; a log grown past the size limit is emptied.
  bool Open(const std::string& logPath);
  bool isOpen() const { return file_ != nullptr; }
  void Write(const std::string& text);
  // Writes the footer and closes.
  void Finish();

 private:
  std::FILE* file_ = nullptr;
};

// What the front end does for "view modification log".
struct ViewLogAction {
  bool open = false;  // open `path` with the desktop's default program
  std::string path;
};
// A missing log gives the warning box here and nothing to open.
ViewLogAction ViewLog(WindowServices& services);

}  // namespace tarnwick::buffers
