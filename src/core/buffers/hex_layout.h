// The hex view's fixed geometry, colours, texts and scroll arithmetic,
// without any widget: the grid glue paints from these, the page model
// computes with them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tarnwick::buffers::hex {

inline constexpr int kGridRows = 21;     // header row + 20 data rows
inline constexpr int kGridColumns = 18;  // address + 16 bytes + ASCII
// Whole data rows of a page unless the view says how many fit.
inline constexpr int kPageRows = 20;
inline constexpr int kBytesPerRow = 16;
inline constexpr int kPageBytes = kPageRows * kBytesPerRow;
inline constexpr int kAsciiColumn = 17;

inline constexpr int kRowHeight = 18;
inline constexpr int kByteColumnWidth = 25;
inline constexpr int kAddressColumnWidth = 85;
inline constexpr int kAsciiColumnWidth = 132;
inline constexpr int kFontHeight = 14;
inline constexpr int kFontWidth = 7;

// The scroll bar counts rows directly below this many rows and maps the top
// row onto 0..kScrollMaximum above it.
inline constexpr std::uint64_t kScaledRowsThreshold = 32788;
inline constexpr std::uint64_t kScrollMaximum = 32767;

struct Rgb {
  std::uint8_t r, g, b;
  bool operator==(const Rgb&) const = default;
};
inline constexpr Rgb kFixedText{0, 0, 255};
inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kLightGrey{204, 204, 204};

enum class CellClass : std::uint8_t { Normal, Changed, NoData, PastChipEnd, SearchHit };

Rgb TextColour(CellClass c);
// The background of a class; none means the grid's default.
std::optional<Rgb> Background(CellClass c);

struct Rect {
  int x, y, width, height;
  bool operator==(const Rect&) const = default;
};

// Cell rectangle in grid coordinates.
Rect CellRect(int row, int column);
// The overlay editor over a cell rectangle already in window coordinates.
Rect EditorRect(const Rect& cellInWindow);

// Row 0 texts: "  ADDR", the digits 0..F, "     ASCII".
std::string HeaderText(int column);
// "%8X" zero-filled; addresses beyond 32 bits widen to 16 digits.
std::string AddressText(std::uint64_t address);
std::string ByteText(std::uint8_t b);
// 16 bytes as text; only 0x21..0x7E show as themselves, all else as ".".
std::string AsciiText(const std::uint8_t* bytes);

// Byte offset of a data cell (row 1..20, column 1..16).
std::uint64_t OffsetOf(std::uint64_t topRow, int row, int column);

// `pageRows`: the whole data rows in view; the last top row shows the last
// row of the image whole.
std::uint64_t ScrollMaximumFor(std::uint64_t totalRows, int pageRows = kPageRows);
std::uint64_t ScrollPositionFor(std::uint64_t topRow, std::uint64_t totalRows,
                                int pageRows = kPageRows);
// The top row a thumb position asks for; none when it would show rows past
// the end.
std::optional<std::uint64_t> TopRowFromThumb(std::uint64_t position, std::uint64_t totalRows,
                                             int pageRows = kPageRows);

}  // namespace tarnwick::buffers::hex
