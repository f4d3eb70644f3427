// Fixed numbers and names of the file image, its checksums, the hex page and
// the modification log, kept together so the parts agree.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "version.h"

namespace tarnwick::buffers {

// Internal files in the base directory.
inline constexpr std::string_view kWorkingCopyName = "h_ven1.dll";
inline constexpr std::string_view kChipDataName = "h_ven0.dll";
inline constexpr std::string_view kTempDirName = "temp";
inline constexpr std::string_view kOffsetWorkFileName = "tempFile.bin";
// Offset programming copies here first, so a failed copy leaves the
// current work file (possibly the loaded image's source) untouched.
inline constexpr std::string_view kOffsetPartFileName = "tempFile.bin.part";

// Block sizes of the streaming loops: the image is never held whole.
inline constexpr std::size_t kLoadBlock = 8192;
// Whole-file copies and sums go in pieces of this size: few system calls,
// and a piece still fits in the processor's cache between read and write.
inline constexpr std::size_t kCopyBlock = std::size_t{1} << 20;
inline constexpr std::size_t kSaveBlock = 4096;
inline constexpr std::size_t kSaveAsBlock = 65536;

// "CAP" images carry a header of this size; they are programmed from here on.
inline constexpr std::uint64_t kCapHeaderSize = 2048;

// Window title pieces: the template title, with the version of the build.
inline constexpr std::string_view kProgramTitle = ::tarnwick::kProgramTitle;

// The file-name box shows paths up to this length unchanged.
inline constexpr std::size_t kDisplayPathLimit = 53;

// Above this size log.txt is emptied before the next modification block.
inline constexpr std::uint64_t kLogSizeLimit = 104857599;

// Save dialogs offered to the front end.
inline constexpr std::string_view kSaveDefaultExtension = "*.bin";
inline constexpr std::string_view kChipDataSaveFilter =
    "bin文件(*.bin)|*.bin|rom文件(*.rom)|*.rom|其他文件(*.*)|*.*||";
inline constexpr std::string_view kSaveAsFilter =
    "bin(*.bin)|*.bin|rom(*.rom)|*.rom|all files(*.*)|*.*||";

}  // namespace tarnwick::buffers
