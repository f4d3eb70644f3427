// Hot-plug events of the "usb" subsystem, read from a udev monitor on a thread
// of its own. Where udev cannot be reached (containers, no netlink) the
// monitor simply stays idle.
#pragma once

#include <functional>
#include <thread>

struct udev;
struct udev_monitor;

namespace tarnwick {

class UdevMonitor {
 public:
  // `onEvent` runs on the monitor's thread for every add/remove/change event.
  explicit UdevMonitor(std::function<void()> onEvent);
  ~UdevMonitor();  // stops and joins the thread
  UdevMonitor(const UdevMonitor&) = delete;
  UdevMonitor& operator=(const UdevMonitor&) = delete;

  // Opens the monitor and starts the thread; false when udev is unavailable.
  bool Start();
  bool running() const { return thread_.joinable(); }

 private:
  void Run();

  std::function<void()> onEvent_;
  ::udev* udev_ = nullptr;
  ::udev_monitor* monitor_ = nullptr;
  int stopFd_ = -1;  // eventfd the destructor writes to wake the thread
  std::thread thread_;
};

}  // namespace tarnwick
