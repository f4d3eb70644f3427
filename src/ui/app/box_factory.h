// The box the program talks to: the real one through libusb, or the virtual
// box when asked to simulate.
#pragma once

#include <QString>
#include <memory>

#include "core/app/data_layout.h"
#include "protocol/usb_api.h"

namespace tarnwick {

struct AppOptions;

// Null with `error` set when the simulation's description file is unusable.
// The virtual chip keeps its content where `layout` says (BoxContentFolder).
// The virtual box's own boot table comes from `dataDir` unless its
// description names one; `simulatedTable` gets its path (empty: a real box).
std::unique_ptr<UsbApi> MakeBox(const AppOptions& options, const DataLayout& layout,
                                const QString& dataDir, QString& error,
                                std::string& simulatedTable);

}  // namespace tarnwick
