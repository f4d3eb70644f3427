// Reading the firmware feature's files: a .tfw file, a raw image to pack and
// the boot loader's table. Only a regular file no larger than its kind
// allows is read, and never more than that; a directory, a FIFO, a device or
// an oversized file is refused before its content is touched. Nothing here
// throws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/operations/firmware/firmware_image.h"

namespace tarnwick::firmware {

struct LoadedFile {
  Verdict verdict = Verdict::Unreadable;
  std::vector<std::uint8_t> bytes;  // the content when the verdict is Good
};

// At most `limit` bytes of a regular file (TooLarge when there are more).
LoadedFile ReadBounded(const std::string& path, std::size_t limit);
// A .tfw file with the verdict of JudgeFile.
LoadedFile ReadFirmwareFile(const std::string& path);
// A raw image with the verdict of JudgeImage.
LoadedFile ReadImageFile(const std::string& path);
// The boot loader's table: exactly 256 bytes.
std::optional<BootTable> ReadBootTable(const std::string& path, Verdict& verdict);

}  // namespace tarnwick::firmware
