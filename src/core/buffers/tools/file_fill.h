// File fill: writes a run of one byte value into the file image (only in
// edit mode), padding with 0xFF when it starts past the end, or appending
// at the end with "from the end" ticked.
#pragma once

#include <cstdint>
#include <string>

namespace tarnwick {
class WindowServices;
}

namespace tarnwick::buffers {

class FileImage;

// The dialog's fields as typed: address hex, length decimal, data hex.
struct FileFillFields {
  std::string address;
  std::string length;
  std::string data;
  bool fromEnd = false;
};

struct FileFillResult {
  int message = 0;  // the text number the dialog shows (a box when !done)
  bool done = false;
  std::string nextAddress;  // what the address field shows afterwards
  // The image has more rows than the hex view can show (it can still be
  // programmed).
  bool tooLargeToShow = false;
};

// The hex view cannot show more rows than this.
inline constexpr std::uint64_t kMostShownRows = 134217754;

// For chips organised in 16-bit words address and length count words.
FileFillResult FillFileImage(FileImage& image, WindowServices& services,
                             const FileFillFields& fields, bool wordChip);

}  // namespace tarnwick::buffers
