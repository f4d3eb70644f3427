#include "core/device/libusb_api.h"

#include <usb.h>

#include "core/device/udev_monitor.h"

namespace tarnwick {
namespace {

// libusb 0.1 has one global bus list; every scan rewrites it.
std::mutex& BusMutex() {
  static std::mutex m;
  return m;
}

constexpr int kNoDevice = -19;  // -ENODEV, as libusb 0.1 reports a missing device

usb_dev_handle* Native(UsbHandle h) { return static_cast<usb_dev_handle*>(h); }

}  // namespace

LibUsbApi::LibUsbApi() = default;

LibUsbApi::~LibUsbApi() {
  // Stop the monitor first: its thread calls back into this object.
  monitor_.reset();
}

std::vector<UsbDeviceInfo> LibUsbApi::ScanDevices() {
  std::lock_guard lock(BusMutex());
  usb_init();
  usb_find_busses();
  usb_find_devices();
  devices_.clear();
  std::vector<UsbDeviceInfo> out;
  for (usb_bus* bus = usb_get_busses(); bus != nullptr; bus = bus->next) {
    for (struct usb_device* dev = bus->devices; dev != nullptr; dev = dev->next) {
      UsbDeviceInfo info;
      info.vendorId = dev->descriptor.idVendor;
      info.productId = dev->descriptor.idProduct;
      info.bus = static_cast<int>(bus->location);
      info.address = static_cast<int>(dev->devnum);
      out.push_back(info);
      devices_.push_back(dev);
    }
  }
  return out;
}

UsbHandle LibUsbApi::Open(std::size_t index) {
  std::lock_guard lock(BusMutex());
  if (index >= devices_.size()) return nullptr;
  return usb_open(devices_[index]);
}

int LibUsbApi::SetConfiguration(UsbHandle h, int configuration) {
  return h == nullptr ? kNoDevice : usb_set_configuration(Native(h), configuration);
}

int LibUsbApi::ClaimInterface(UsbHandle h, int interface) {
  return h == nullptr ? kNoDevice : usb_claim_interface(Native(h), interface);
}

int LibUsbApi::ReleaseInterface(UsbHandle h, int interface) {
  return h == nullptr ? kNoDevice : usb_release_interface(Native(h), interface);
}

int LibUsbApi::Close(UsbHandle h) { return h == nullptr ? kNoDevice : usb_close(Native(h)); }

int LibUsbApi::BulkRead(UsbHandle h, int endpoint, std::uint8_t* data, int size, int timeoutMs) {
  if (h == nullptr) return kNoDevice;
  return usb_bulk_read(Native(h), endpoint, reinterpret_cast<char*>(data), size, timeoutMs);
}

int LibUsbApi::BulkWrite(UsbHandle h, int endpoint, const std::uint8_t* data, int size,
                         int timeoutMs) {
  if (h == nullptr) return kNoDevice;
  return usb_bulk_write(Native(h), endpoint, reinterpret_cast<const char*>(data), size, timeoutMs);
}

int LibUsbApi::InterruptWrite(UsbHandle h, int endpoint, const std::uint8_t* data, int size,
                              int timeoutMs) {
  if (h == nullptr) return kNoDevice;
  return usb_interrupt_write(Native(h), endpoint, reinterpret_cast<const char*>(data), size,
                             timeoutMs);
}

void LibUsbApi::SetDeviceChangeHandler(std::function<void()> handler) {
  {
    std::lock_guard lock(handlerMutex_);
    handler_ = std::move(handler);
  }
  if (!monitor_) {
    monitor_ = std::make_unique<UdevMonitor>([this] { DeviceChanged(); });
    // Without udev the program still works; it just notices a re-plugged box
    // at the next operation instead of at once.
    if (!monitor_->Start()) monitor_.reset();
  }
}

bool LibUsbApi::HotPlugActive() const { return monitor_ && monitor_->running(); }

void LibUsbApi::DeviceChanged() {
  std::function<void()> handler;
  {
    std::lock_guard lock(handlerMutex_);
    handler = handler_;
  }
  if (handler) handler();
}

}  // namespace tarnwick
