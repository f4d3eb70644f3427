#include "core/device/box_selector.h"

#include "protocol/protocol.h"

namespace tarnwick {

void BoxSelector::Choose(std::optional<UsbDeviceInfo> place) {
  std::lock_guard l(m_);
  chosen_ = place;
  hideAll_ = false;
}

void BoxSelector::HideAll() {
  std::lock_guard l(m_);
  chosen_.reset();
  hideAll_ = true;
}

std::vector<UsbDeviceInfo> BoxSelector::ScanDevices() {
  const std::vector<UsbDeviceInfo> all = inner_.ScanDevices();
  std::lock_guard l(m_);
  std::vector<UsbDeviceInfo> shown;
  shown_.clear();
  for (std::size_t i = 0; i < all.size(); ++i) {
    const bool isBox =
        all[i].vendorId == protocol::kVendorId && all[i].productId == protocol::kProductId;
    const bool other =
        chosen_ && (all[i].bus != chosen_->bus || all[i].address != chosen_->address);
    if (isBox && (hideAll_ || other)) continue;
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

}  // namespace tarnwick
