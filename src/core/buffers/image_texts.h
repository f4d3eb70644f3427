// The texts the main window shows about the file image: checksums, the
// shortened path of the file-name box, the size text and the "CAP" rule.
#pragma once

#include <cstdint>
#include <string>

namespace tarnwick::buffers {

// High 32 bits as "%2X", low 32 bits as "%8X", blanks turned to '0':
// ten digits up to 2^40 - 1, more above.
std::string FormatChecksum(std::uint64_t sum);

// The file-name box form of a path: while longer than 53 characters the
// leading directory levels after the root go, and "/.../" takes their place.
// A "C:" drive prefix is kept as the root when present.
std::string ShortenPath(const std::string& path);

// "%0.2fKB" of size / 1024: 1536 bytes give "1.50KB".
std::string SizeText(std::uint64_t size);

// The name after the last separator.
std::string FileNameOf(const std::string& path);

// A name whose last three characters, upper-cased, are "CAP".
bool IsCapFile(const std::string& path);

// The chip sum rule for an image no larger than the chip: the unwritten
// bytes of an erased chip read 0xFF.
std::uint64_t ChipSumForSmallerImage(std::uint64_t fileSum, std::uint64_t size,
                                     std::uint64_t capacity);

}  // namespace tarnwick::buffers
