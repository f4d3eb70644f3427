// Offset programming: the part of a file from a start address on becomes the
// file image, so that the byte at the start address lands at chip address 0.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace tarnwick {
class WindowServices;
}

namespace tarnwick::buffers {

class FileImage;

// "CAP" files always start after their 2048-byte header; the dialog shows
// this start read-only. None for other files (the field stays writable).
std::optional<std::uint64_t> FixedOffsetStart(const std::string& path);

enum class OffsetLoadResult {
  Loaded,      // the work file is the image now: close the dialog
  KeepDialog,  // reported (or nothing copied): the dialog stays open
};

// The OK handler. `startAddress` is ignored for "CAP" files. `onState`
// receives the dialog's progress text.
OffsetLoadResult OffsetLoad(FileImage& image, WindowServices& services,
                            const std::string& sourcePath, std::uint64_t startAddress,
                            const std::function<void(const std::string&)>& onState = {});

// Window close: the work file goes, and the temp directory when empty.
void CleanUpOffsetFiles(const std::string& tempDir);

}  // namespace tarnwick::buffers
