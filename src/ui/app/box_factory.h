// The box the program talks to: the real one through libusb, or the virtual
// box when asked to simulate.
#pragma once

#include <QString>
#include <memory>

#include "protocol/usb_api.h"

namespace tarnwick {

struct AppOptions;

// Null with `error` set when the simulation's description file is unusable.
std::unique_ptr<UsbApi> MakeBox(const AppOptions& options, const QString& baseDir, QString& error);

}  // namespace tarnwick
