// The firmware file and the numbers the upgrade shows, as pure functions:
// the .tfw check bytes and the one verdict on a file that the check and the
// upgrade share, the block count, the transfer scrambling and the version
// and serial texts of the information box.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "protocol/protocol.h"

namespace tarnwick::firmware {

// A .tfw file is the image, then 3 check bytes (most significant first).
inline constexpr std::size_t kCheckBytes = 3;
// BOOT_FINISH carries the byte this far before the file's end.
inline constexpr std::size_t kFinishByteFromEnd = 4;
// The boot loader numbers its erase blocks with one byte and the whole file
// is sent, so the file fits in 256 blocks.
inline constexpr std::size_t kMaxBlocks = 256;
inline constexpr std::size_t kMaxFileSize = kMaxBlocks * protocol::kBootBlockSize;
inline constexpr std::size_t kMaxImageSize = kMaxFileSize - kCheckBytes;
// The largest sum 3 check bytes hold.
inline constexpr std::uint32_t kMaxCheckSum = 0xFFFFFFu;

// The transfer scrambling table of the box's boot loader.
inline constexpr std::size_t kBootTableSize = 256;
using BootTable = std::array<std::uint8_t, kBootTableSize>;

// What is wrong with a firmware file, an image or a table file.
enum class Verdict {
  Good,
  Missing,      // no such file
  NotRegular,   // a directory, a FIFO, a device...
  TooLarge,     // more than the largest file (or image, or table)
  Unreadable,   // open or read failed
  TooShort,     // no image byte before the check bytes (an empty image)
  SumTooLarge,  // the image's byte sum does not fit in 3 check bytes
  SumWrong,     // the check bytes are not the image's sum
  WrongSize,    // a table file that is not exactly 256 bytes
};

// The check bytes of `image`: its unsigned 32-bit byte sum, most
// significant byte first; nullopt when the sum does not fit in 3 bytes.
std::optional<std::array<std::uint8_t, kCheckBytes>> CheckBytes(
    const std::vector<std::uint8_t>& image);
// Whether `image` can become a .tfw file: not empty, at most the largest
// image, and a sum that 3 check bytes hold.
Verdict JudgeImage(const std::vector<std::uint8_t>& image);
// `image` followed by its check bytes; nullopt unless JudgeImage is Good.
std::optional<std::vector<std::uint8_t>> Pack(const std::vector<std::uint8_t>& image);
// The one verdict on a firmware file, for the check and the upgrade alike:
// an image byte and the check bytes at least, at most the largest file, and
// the check bytes equal to the unsigned 32-bit sum of what stands before
// them (so a sum above 0xFFFFFF never matches).
Verdict JudgeFile(const std::vector<std::uint8_t>& file);
// The byte sent with BOOT_FINISH (0 for a file shorter than 4 bytes).
std::uint8_t FinishByte(const std::vector<std::uint8_t>& file);

// Erase and read-back blocks of 1024 bytes that cover `length`.
std::size_t BlockCount(std::size_t length);
// Scrambles (or unscrambles: it is its own inverse) `n` bytes that stand at
// `filePosition` in the file, with the boot loader's `table`.
void Scramble(std::uint8_t* data, std::size_t n, std::size_t filePosition, const BootTable& table);

// "V%X.%X": high nibble plus one, low nibble (0x21 gives V3.1).
std::string VersionText(std::uint8_t version);
// The 24-bit serial number as "%6ld" with blanks turned to '0'.
std::string SerialText(std::uint32_t serial);

}  // namespace tarnwick::firmware
