#include "core/buffers/image_texts.h"

#include <cctype>
#include <cstdio>

#include "core/app/text_format.h"
#include "core/buffers/buffer_constants.h"

namespace tarnwick::buffers {

std::string FormatChecksum(std::uint64_t sum) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%2X%8X", static_cast<unsigned>(sum >> 32),
                static_cast<unsigned>(sum & 0xFFFFFFFFu));
  return BlanksToZeros(buf);
}

std::string ShortenPath(const std::string& path) {
  // Windows paths keep their drive ("C:"); on "/" paths the root separator
  // is the first thing removed, exactly like the separator after a drive.
  const std::size_t root = (path.size() >= 2 && path[1] == ':') ? 2 : 0;
  std::string s = path;
  bool shortened = false;
  while (s.size() > kDisplayPathLimit) {
    std::size_t sep = s.find_first_of("/\\", root);
    if (sep == std::string::npos) break;
    s.erase(root, sep - root + 1);
    shortened = true;
  }
  if (shortened) {
    const char sep = path.find('/') != std::string::npos ? '/' : '\\';
    s.insert(root, std::string(1, sep) + "..." + std::string(1, sep));
  }
  return s;
}

std::string SizeText(std::uint64_t size) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%0.2fKB", static_cast<double>(size) / 1024.0);
  return buf;
}

std::string FileNameOf(const std::string& path) {
  const std::size_t sep = path.find_last_of('/');
  return sep == std::string::npos ? path : path.substr(sep + 1);
}

bool IsCapFile(const std::string& path) {
  if (path.size() < 3) return false;
  std::string tail = path.substr(path.size() - 3);
  for (char& c : tail) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return tail == "CAP";
}

std::uint64_t ChipSumForSmallerImage(std::uint64_t fileSum, std::uint64_t size,
                                     std::uint64_t capacity) {
  return fileSum + 255u * (capacity - size);
}

}  // namespace tarnwick::buffers
