// The data view: one address, the file image's value there and the chip's,
// read with a single CMD_PEEK after a quiet identification. It talks to the
// box on the caller's thread, so it runs only while the worker is idle (the
// command line, between jobs).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/operations/op_context.h"

namespace tarnwick {

struct DataViewResult {
  int problem = 0;  // a text number when the address was refused (a box)
  std::string fileValue;
  std::string chipValue;
  std::string state;
  // The image address the hex view should show, when the image has it.
  std::optional<std::uint64_t> showAddress;
  bool chipRead = false;  // the chip's value came from the box
};

// `addressText` is hex; chips organised in 16-bit words count words.
DataViewResult ViewData(OperationContext& ctx, const std::string& addressText);

}  // namespace tarnwick
