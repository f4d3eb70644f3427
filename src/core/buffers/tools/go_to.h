// Go to address: the hex view shows the byte at the typed hex address and
// puts its focus cell there. The dialog stays open for the next address.
#pragma once

#include <string>

namespace tarnwick {
class WindowServices;
}

namespace tarnwick::buffers {

class HexView;

struct GoToResult {
  int problem = 0;     // a text number shown in a box (the address was refused)
  bool shown = false;  // the hex view moved to the address
};

// `addressText` is hex (up to 8 digits); chips organised in 16-bit words
// count words. An address past the image is reported by the hex view itself.
GoToResult GoToAddress(HexView& view, WindowServices& services, const std::string& addressText,
                       bool wordChip);

}  // namespace tarnwick::buffers
