// Turns the unscrambled catalogue text into records. Lines that cannot be
// read safely are refused and counted, never guessed at.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/catalogue/chip_record.h"

namespace tarnwick {

// Why a line was refused. Lines that start with anything other than "$", "#"
// or "@" are not refused: they are simply not catalogue lines.
enum class LineRefusal {
  kTooLong,           // 1000 bytes or more
  kControlBytes,      // a NUL or another control byte inside the line
  kTooFewFields,      // a chip line with fewer than nine ':' separators
  kUnderRefusedHead,  // a chip line whose type or maker line was refused
  kCount
};

struct CatalogueLoadReport {
  static constexpr std::size_t kReasons = static_cast<std::size_t>(LineRefusal::kCount);
  std::array<std::size_t, kReasons> refused{};
  // 1-based number of the first line refused for each reason (0: none).
  std::array<std::size_t, kReasons> firstLine{};
  bool fileTooLarge = false;  // the whole file was refused
  // Set by the file load: no plain file in its place (a FIFO, a device), or
  // a file that could not be opened; the file's length in bytes.
  bool notRegularFile = false;
  bool cannotOpen = false;
  std::uint64_t fileBytes = 0;
  // Lines ended by LF, and whether bytes follow the last LF (a cut file).
  std::size_t lines = 0;
  bool endsMidLine = false;

  std::size_t TotalRefused() const;
  void Refuse(LineRefusal why, std::size_t lineNumber);
};

// Lines are at most this long (without the CR); longer ones are refused.
inline constexpr std::size_t kMaxCatalogueLine = 999;

// Parses `text`; appends the records to `records` (internal numbers follow
// their position) and notes every refused line in `report`.
void ParseCatalogueText(std::string_view text, std::vector<ChipRecord>& records,
                        CatalogueLoadReport& report);

// "N catalogue lines refused: ..." for the log, or "" when nothing was refused.
std::string FormatRefusalLog(const CatalogueLoadReport& report);

}  // namespace tarnwick
