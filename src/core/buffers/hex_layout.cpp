#include "core/buffers/hex_layout.h"

#include <cstdio>

#include "core/app/text_format.h"

namespace tarnwick::buffers::hex {

Rgb TextColour(CellClass c) {
  switch (c) {
    case CellClass::Normal:
      return {0, 0, 0};
    case CellClass::Changed:
      return {255, 0, 0};
    case CellClass::NoData:
      return kLightGrey;
    case CellClass::PastChipEnd:
      return {100, 149, 237};
    case CellClass::SearchHit:
      return kWhite;
  }
  return {0, 0, 0};
}

std::optional<Rgb> Background(CellClass c) {
  if (c == CellClass::SearchHit) return Rgb{0, 0, 255};
  return std::nullopt;
}

Rect CellRect(int row, int column) {
  int x = 0;
  for (int c = 0; c < column; ++c) {
    x += c == 0 ? kAddressColumnWidth : (c == kAsciiColumn ? kAsciiColumnWidth : kByteColumnWidth);
  }
  const int width = column == 0 ? kAddressColumnWidth
                                : (column == kAsciiColumn ? kAsciiColumnWidth : kByteColumnWidth);
  return {x, row * kRowHeight, width, kRowHeight};
}

Rect EditorRect(const Rect& cell) {
  return {cell.x + 3, cell.y + 3, cell.width - 4, cell.height - 3};
}

std::string HeaderText(int column) {
  if (column == 0) return "  ADDR";
  if (column == kAsciiColumn) return "     ASCII";
  char buf[4];
  std::snprintf(buf, sizeof buf, "%X", column - 1);
  return buf;
}

std::string AddressText(std::uint64_t address) {
  if (address > 0xFFFFFFFFull) return ZeroFilled("%16llX", address);
  return ZeroFilled("%8llX", address);
}

std::string ByteText(std::uint8_t b) { return ZeroFilled("%2llX", b); }

std::string AsciiText(const std::uint8_t* bytes) {
  std::string s(kBytesPerRow, '.');
  for (int i = 0; i < kBytesPerRow; ++i) {
    if (bytes[i] >= 0x21 && bytes[i] <= 0x7E) s[i] = static_cast<char>(bytes[i]);
  }
  return s;
}

std::uint64_t OffsetOf(std::uint64_t topRow, int row, int column) {
  return (topRow + static_cast<std::uint64_t>(row - 1)) * kBytesPerRow +
         static_cast<std::uint64_t>(column - 1);
}

std::uint64_t ScrollMaximumFor(std::uint64_t totalRows, int pageRows) {
  const auto page = static_cast<std::uint64_t>(pageRows);
  if (totalRows >= kScaledRowsThreshold) return kScrollMaximum;
  if (totalRows <= page) return 0;
  return totalRows - page;
}

std::uint64_t ScrollPositionFor(std::uint64_t topRow, std::uint64_t totalRows, int pageRows) {
  if (totalRows < kScaledRowsThreshold) return topRow;
  const std::uint64_t span = totalRows - static_cast<std::uint64_t>(pageRows);
  // Split the product so it cannot overflow for any 64-bit row count.
  const std::uint64_t pos =
      (topRow / span) * kScrollMaximum + (topRow % span) * kScrollMaximum / span;
  return pos > kScrollMaximum ? kScrollMaximum : pos;
}

std::optional<std::uint64_t> TopRowFromThumb(std::uint64_t position, std::uint64_t totalRows,
                                             int pageRows) {
  const auto page = static_cast<std::uint64_t>(pageRows);
  // The same threshold as the range and the position: with a different one
  // the rows just above it could not be reached with the thumb.
  std::uint64_t top = position;
  if (totalRows >= kScaledRowsThreshold) {
    const std::uint64_t span = totalRows - page;
    top = (position / kScrollMaximum) * span + (position % kScrollMaximum) * span / kScrollMaximum;
  }
  if (top + page > totalRows) return std::nullopt;
  return top;
}

}  // namespace tarnwick::buffers::hex
