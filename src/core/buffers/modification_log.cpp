#include "core/buffers/modification_log.h"

#include <sys/stat.h>

#include "core/app/text_format.h"
#include "core/app/text_ids.h"
#include "core/app/window_services.h"
#include "core/buffers/buffer_constants.h"
#include "core/buffers/posix_file.h"

namespace tarnwick::buffers {

namespace {
constexpr const char* kBeginLine =
    "---------------------------------------BEGIN---------------------------------------";
constexpr const char* kEndLine =
    "----------------------------------------END----------------------------------------";

std::string Hex(const char* format, unsigned long long v) { return ZeroFilled(format, v); }
}  // namespace

std::string LogTimeStamp(const std::tm& t) {
  char buf[64];
  std::strftime(buf, sizeof buf, "    %Y-%m-%d %H:%M:%S", &t);
  return buf;
}

std::string FileSaveHeader(const std::string& timeStamp, const std::string& fileName) {
  return std::string("\r\n") + kBeginLine + "\r\n" + timeStamp + " " + fileName +
         " 文件修改如下：\r\n";
}

std::string ChipSaveHeader(const std::string& timeStamp, const std::string& chipName) {
  return std::string("\r\n") + kBeginLine + "\r\n" + timeStamp + " " + chipName +
         " 芯片内数据保存如下：\r\n";
}

std::string ChangedByteLine(std::uint64_t offset, std::optional<std::uint8_t> oldByte,
                            std::uint8_t newByte) {
  const std::string oldText = oldByte ? Hex("%2llX", *oldByte) : std::string("null");
  return "        [" + Hex("%8llX", offset) + "]: " + oldText + " --> " + Hex("%2llX", newByte) +
         "\r\n";
}

std::string SavedAsLine(const std::string& chipName, const std::string& fileName) {
  return "        [" + chipName + " ]saved as[" + fileName + "]\r\n";
}

std::string LogFooter() { return kEndLine; }

ModificationBlock::~ModificationBlock() {
  if (file_) std::fclose(file_);
}

bool ModificationBlock::Open(const std::string& logPath) {
  if (logPath.empty()) return false;
  struct stat st {};
  const bool tooLong =
      ::stat(logPath.c_str(), &st) == 0 && static_cast<std::uint64_t>(st.st_size) > kLogSizeLimit;
  file_ = std::fopen(logPath.c_str(), tooLong ? "wb" : "ab");
  return file_ != nullptr;
}

void ModificationBlock::Write(const std::string& text) {
  if (file_) std::fwrite(text.data(), 1, text.size(), file_);
}

void ModificationBlock::Finish() {
  if (!file_) return;
  Write(LogFooter());
  std::fclose(file_);
  file_ = nullptr;
}

ViewLogAction ViewLog(WindowServices& services) {
  const std::string& path = services.LogPath();
  if (path.empty() || !FileExists(path)) {
    services.Box(services.texts().itext(itext::kFileNotFound), BoxIcon::Warning);
    return {};
  }
  return {true, path};
}

}  // namespace tarnwick::buffers
