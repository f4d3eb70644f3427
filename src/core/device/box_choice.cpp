#include "core/device/box_choice.h"

#include "protocol/protocol.h"

namespace tarnwick {

namespace {

bool IsBox(const UsbDeviceInfo& d) {
  return d.vendorId == protocol::kVendorId && d.productId == protocol::kProductId;
}

bool ShortNumber(const std::string& t, std::size_t maxDigits) {
  return !t.empty() && t.size() <= maxDigits &&
         t.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

std::vector<UsbDeviceInfo> ProgrammerBoxes(const std::vector<UsbDeviceInfo>& devices) {
  std::vector<UsbDeviceInfo> boxes;
  for (const UsbDeviceInfo& d : devices) {
    if (IsBox(d)) boxes.push_back(d);
  }
  return boxes;
}

std::vector<UsbDeviceInfo> ProgrammerBoxes(UsbApi& usb) {
  return ProgrammerBoxes(usb.ScanDevices());
}

std::string BoxPlace(const UsbDeviceInfo& box) {
  return std::to_string(box.bus) + ":" + std::to_string(box.address);
}

std::optional<UsbDeviceInfo> ParseBoxPlace(const std::string& text) {
  const auto colon = text.find(':');
  if (colon == std::string::npos) return std::nullopt;
  const std::string bus = text.substr(0, colon), device = text.substr(colon + 1);
  if (!ShortNumber(bus, 3) || !ShortNumber(device, 3)) return std::nullopt;
  UsbDeviceInfo place;
  place.vendorId = protocol::kVendorId;
  place.productId = protocol::kProductId;
  place.bus = std::stoi(bus);
  place.address = std::stoi(device);
  return place;
}

bool SameSerial(const std::string& shown, const std::string& wanted) {
  if (ShortNumber(shown, 9) && ShortNumber(wanted, 9))
    return std::stoul(shown) == std::stoul(wanted);
  return shown == wanted;
}

BoxChoice ChooseBox(
    const std::vector<UsbDeviceInfo>& boxes, const std::string& wanted,
    const std::function<std::optional<std::string>(const UsbDeviceInfo&)>& serialOf) {
  using Outcome = BoxChoice::Outcome;
  if (wanted.empty()) {
    if (boxes.size() > 1) return {Outcome::Several, std::nullopt};
    if (boxes.empty()) return {Outcome::Use, std::nullopt};
    return {Outcome::Use, boxes.front()};
  }
  if (const std::optional<UsbDeviceInfo> place = ParseBoxPlace(wanted)) {
    for (const UsbDeviceInfo& b : boxes) {
      if (b.bus == place->bus && b.address == place->address) return {Outcome::Use, b};
    }
    return {Outcome::Unknown, std::nullopt};
  }
  for (const UsbDeviceInfo& b : boxes) {
    const std::optional<std::string> serial = serialOf(b);
    if (serial && SameSerial(*serial, wanted)) return {Outcome::Use, b};
  }
  return {Outcome::Unknown, std::nullopt};
}

}  // namespace tarnwick
