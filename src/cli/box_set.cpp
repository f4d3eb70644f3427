#include "cli/box_set.h"

#include <utility>

#include "protocol/protocol.h"

namespace tarnwick::cli {
namespace {

// libusb 0.1's "no such device".
constexpr int kNoDevice = -19;

UsbHandle ToHandle(std::uintptr_t id) { return reinterpret_cast<UsbHandle>(id); }
std::uintptr_t FromHandle(UsbHandle h) { return reinterpret_cast<std::uintptr_t>(h); }

}  // namespace

MultiBoxUsb::MultiBoxUsb(std::vector<std::unique_ptr<UsbApi>> boxes) : boxes_(std::move(boxes)) {}

std::vector<UsbDeviceInfo> MultiBoxUsb::ScanDevices() {
  std::vector<UsbDeviceInfo> all;
  std::vector<std::pair<std::size_t, std::size_t>> scan;
  for (std::size_t k = 0; k < boxes_.size(); ++k) {
    const std::vector<UsbDeviceInfo> found = boxes_[k]->ScanDevices();
    for (std::size_t i = 0; i < found.size(); ++i) {
      UsbDeviceInfo d = found[i];
      d.bus = static_cast<int>(k) + 1;
      all.push_back(d);
      scan.emplace_back(k, i);
    }
  }
  std::lock_guard l(m_);
  scan_ = std::move(scan);
  return all;
}

UsbHandle MultiBoxUsb::Open(std::size_t index) {
  std::lock_guard l(m_);
  if (index >= scan_.size()) return nullptr;
  UsbApi* box = boxes_[scan_[index].first].get();
  UsbHandle inner = box->Open(scan_[index].second);
  if (inner == nullptr) return nullptr;
  const std::uintptr_t id = next_++;
  handles_[id] = Inner{box, inner};
  return ToHandle(id);
}

std::optional<MultiBoxUsb::Inner> MultiBoxUsb::Find(UsbHandle h) {
  std::lock_guard l(m_);
  const auto it = handles_.find(FromHandle(h));
  if (it == handles_.end()) return std::nullopt;
  return it->second;
}

int MultiBoxUsb::SetConfiguration(UsbHandle h, int configuration) {
  const auto in = Find(h);
  return in ? in->box->SetConfiguration(in->handle, configuration) : kNoDevice;
}

int MultiBoxUsb::ClaimInterface(UsbHandle h, int interface) {
  const auto in = Find(h);
  return in ? in->box->ClaimInterface(in->handle, interface) : kNoDevice;
}

int MultiBoxUsb::ReleaseInterface(UsbHandle h, int interface) {
  const auto in = Find(h);
  return in ? in->box->ReleaseInterface(in->handle, interface) : kNoDevice;
}

int MultiBoxUsb::Close(UsbHandle h) {
  const auto in = Find(h);
  if (!in) return kNoDevice;
  {
    std::lock_guard l(m_);
    handles_.erase(FromHandle(h));
  }
  return in->box->Close(in->handle);
}

int MultiBoxUsb::BulkRead(UsbHandle h, int endpoint, std::uint8_t* data, int size, int timeoutMs) {
  const auto in = Find(h);
  return in ? in->box->BulkRead(in->handle, endpoint, data, size, timeoutMs) : kNoDevice;
}

int MultiBoxUsb::BulkWrite(UsbHandle h, int endpoint, const std::uint8_t* data, int size,
                           int timeoutMs) {
  const auto in = Find(h);
  return in ? in->box->BulkWrite(in->handle, endpoint, data, size, timeoutMs) : kNoDevice;
}

int MultiBoxUsb::InterruptWrite(UsbHandle h, int endpoint, const std::uint8_t* data, int size,
                                int timeoutMs) {
  const auto in = Find(h);
  return in ? in->box->InterruptWrite(in->handle, endpoint, data, size, timeoutMs) : kNoDevice;
}

void MultiBoxUsb::SetDeviceChangeHandler(std::function<void()> handler) {
  for (auto& box : boxes_) box->SetDeviceChangeHandler(handler);
}

std::vector<UsbDeviceInfo> ProgrammerBoxes(UsbApi& usb) {
  std::vector<UsbDeviceInfo> boxes;
  for (const UsbDeviceInfo& d : usb.ScanDevices()) {
    if (d.vendorId == protocol::kVendorId && d.productId == protocol::kProductId) {
      boxes.push_back(d);
    }
  }
  return boxes;
}

std::string BoxPlace(const UsbDeviceInfo& box) {
  return std::to_string(box.bus) + ":" + std::to_string(box.address);
}

void BoxSelector::Choose(std::optional<UsbDeviceInfo> place) {
  std::lock_guard l(m_);
  chosen_ = place;
}

std::vector<UsbDeviceInfo> BoxSelector::ScanDevices() {
  const std::vector<UsbDeviceInfo> all = inner_.ScanDevices();
  std::lock_guard l(m_);
  std::vector<UsbDeviceInfo> shown;
  shown_.clear();
  for (std::size_t i = 0; i < all.size(); ++i) {
    const bool isBox =
        all[i].vendorId == protocol::kVendorId && all[i].productId == protocol::kProductId;
    if (chosen_ && isBox && (all[i].bus != chosen_->bus || all[i].address != chosen_->address)) {
      continue;
    }
    shown.push_back(all[i]);
    shown_.push_back(i);
  }
  return shown;
}

UsbHandle BoxSelector::Open(std::size_t index) {
  std::size_t inner = 0;
  {
    std::lock_guard l(m_);
    if (index >= shown_.size()) return nullptr;
    inner = shown_[index];
  }
  return inner_.Open(inner);
}

}  // namespace tarnwick::cli
