// --simulate=a.box,b.box: one virtual box per description file, all of them
// on the bus at once, as several boxes on one computer.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/app/base_directory.h"
#include "protocol/usb_api.h"

namespace tarnwick::cli {

// The files --simulate names, split at ','.
std::vector<std::string> SimulateFiles(const std::string& value);

// The boxes of `files`; nullptr with the reason in `error`. Their files join
// `ownFiles`; `simulatedTable` gets the first box's boot table.
std::unique_ptr<UsbApi> MakeVirtualBoxes(const std::vector<std::string>& files,
                                         const BaseDirectory& where, std::string& error,
                                         std::vector<std::string>& ownFiles,
                                         std::string& simulatedTable);

}  // namespace tarnwick::cli
