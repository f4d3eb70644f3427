#include "core/device/udev_monitor.h"

#include <libudev.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace tarnwick {

UdevMonitor::UdevMonitor(std::function<void()> onEvent) : onEvent_(std::move(onEvent)) {}

UdevMonitor::~UdevMonitor() {
  if (thread_.joinable()) {
    const std::uint64_t one = 1;
    // Only a full counter could refuse the write; the thread wakes either way.
    [[maybe_unused]] const ssize_t n = write(stopFd_, &one, sizeof one);
    thread_.join();
  }
  if (stopFd_ >= 0) close(stopFd_);
  if (monitor_ != nullptr) udev_monitor_unref(monitor_);
  if (udev_ != nullptr) udev_unref(udev_);
}

bool UdevMonitor::Start() {
  if (thread_.joinable()) return true;
  udev_ = udev_new();
  if (udev_ == nullptr) return false;
  monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
  if (monitor_ == nullptr) return false;
  if (udev_monitor_filter_add_match_subsystem_devtype(monitor_, "usb", nullptr) < 0 ||
      udev_monitor_enable_receiving(monitor_) < 0) {
    return false;
  }
  stopFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (stopFd_ < 0) return false;
  thread_ = std::thread([this] { Run(); });
  return true;
}

void UdevMonitor::Run() {
  const int monitorFd = udev_monitor_get_fd(monitor_);
  for (;;) {
    pollfd fds[2] = {{stopFd_, POLLIN, 0}, {monitorFd, POLLIN, 0}};
    const int n = poll(fds, 2, -1);
    if (n < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[0].revents != 0) return;
    if ((fds[1].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) return;
    if ((fds[1].revents & POLLIN) != 0) {
      if (udev_device* dev = udev_monitor_receive_device(monitor_)) {
        udev_device_unref(dev);
        if (onEvent_) onEvent_();
      }
    }
  }
}

}  // namespace tarnwick
