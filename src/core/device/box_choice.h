// Which programmer box a run works with when several are connected: the one
// --device names (BUS:DEVICE or its serial number), or the only one. Both
// front ends apply this one rule; how they learn a box's serial number is
// theirs.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "protocol/usb_api.h"

namespace tarnwick {

// The programmer boxes among the devices of one scan, in bus order.
std::vector<UsbDeviceInfo> ProgrammerBoxes(const std::vector<UsbDeviceInfo>& devices);
std::vector<UsbDeviceInfo> ProgrammerBoxes(UsbApi& usb);

// "BUS:DEVICE", as the box list shows it and --device takes it.
std::string BoxPlace(const UsbDeviceInfo& box);

// "BUS:DEVICE" read back (at most three digits each); nullopt for any other word.
std::optional<UsbDeviceInfo> ParseBoxPlace(const std::string& text);

// A serial number as the box list shows it against the one a user typed;
// leading zeros may be left out.
bool SameSerial(const std::string& shown, const std::string& wanted);

struct BoxChoice {
  enum class Outcome {
    Use,      // `box` is the one (nullopt: no box is connected, or one with nothing to choose)
    Several,  // several boxes and no --device: the user must choose
    Unknown,  // --device names no connected box
  };
  Outcome outcome = Outcome::Use;
  std::optional<UsbDeviceInfo> box;
};

// The box `wanted` (the --device word, empty when not given) names among
// `boxes`. `serialOf` is asked only when `wanted` is not a BUS:DEVICE.
BoxChoice ChooseBox(
    const std::vector<UsbDeviceInfo>& boxes, const std::string& wanted,
    const std::function<std::optional<std::string>(const UsbDeviceInfo&)>& serialOf);

}  // namespace tarnwick
