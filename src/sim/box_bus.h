// Several programmer boxes on one computer: the virtual boxes of several
// description files seen as one bus.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "protocol/usb_api.h"

namespace tarnwick::sim {

// Several USB views as one: box k is on bus k+1 at its own address.
class MultiBoxUsb : public UsbApi {
 public:
  explicit MultiBoxUsb(std::vector<std::unique_ptr<UsbApi>> boxes);

  std::vector<UsbDeviceInfo> ScanDevices() override;
  UsbHandle Open(std::size_t index) override;
  int SetConfiguration(UsbHandle h, int configuration) override;
  int ClaimInterface(UsbHandle h, int interface) override;
  int ReleaseInterface(UsbHandle h, int interface) override;
  int Close(UsbHandle h) override;
  int BulkRead(UsbHandle h, int endpoint, std::uint8_t* data, int size, int timeoutMs) override;
  int BulkWrite(UsbHandle h, int endpoint, const std::uint8_t* data, int size,
                int timeoutMs) override;
  int InterruptWrite(UsbHandle h, int endpoint, const std::uint8_t* data, int size,
                     int timeoutMs) override;
  void SetDeviceChangeHandler(std::function<void()> handler) override;

 private:
  struct Inner {
    UsbApi* box;
    UsbHandle handle;
  };
  std::optional<Inner> Find(UsbHandle h);

  std::vector<std::unique_ptr<UsbApi>> boxes_;
  std::mutex m_;
  // The last scan: for each device, its box and its index there.
  std::vector<std::pair<std::size_t, std::size_t>> scan_;
  std::map<std::uintptr_t, Inner> handles_;
  std::uintptr_t next_ = 1;
};

// The files --simulate=a.box,b.box names, split at ','.
std::vector<std::string> SimulateFiles(const std::string& value);

// The virtual boxes of `files`, one per file, on one bus; nullptr with the
// reason in `error`. The description files and their chips' content files
// join `ownFiles`; `simulatedTable` gets the first box's boot table (the
// shipped one from `dataDir` unless a description names its own).
// `contentFolderOf` gives, per description file, the folder its chip's
// content is kept in (empty: beside the file), as LoadBoxDescription takes it.
std::unique_ptr<UsbApi> MakeVirtualBoxes(
    const std::vector<std::string>& files, const std::string& dataDir, std::string& error,
    std::vector<std::string>& ownFiles, std::string& simulatedTable,
    const std::function<std::string(const std::string&)>& contentFolderOf = {});

}  // namespace tarnwick::sim
