#include "sim/box_bus.h"

#include <filesystem>
#include <set>
#include <utility>

#include "sim/box_description.h"
#include "sim/virtual_box.h"

namespace tarnwick::sim {
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

std::vector<std::string> SimulateFiles(const std::string& value) {
  std::vector<std::string> files;
  std::size_t at = 0;
  while (at <= value.size() && !value.empty()) {
    const std::size_t comma = value.find(',', at);
    files.push_back(value.substr(at, comma == std::string::npos ? std::string::npos : comma - at));
    if (comma == std::string::npos) break;
    at = comma + 1;
  }
  return files;
}

std::unique_ptr<UsbApi> MakeVirtualBoxes(
    const std::vector<std::string>& files, const std::string& dataDir, std::string& error,
    std::vector<std::string>& ownFiles, std::string& simulatedTable,
    const std::function<std::string(const std::string&)>& contentFolderOf) {
  std::vector<std::unique_ptr<UsbApi>> boxes;
  std::set<std::string> contents;
  for (const std::string& file : files) {
    if (file.empty()) {
      error = "--simulate names an empty file between its commas";
      return nullptr;
    }
    std::optional<BoxDescription> description =
        LoadBoxDescription(file, error, contentFolderOf ? contentFolderOf(file) : std::string());
    if (!description) return nullptr;
    UseShippedBootTable(*description, dataDir);
    if (simulatedTable.empty()) simulatedTable = description->bootTablePath;
    ownFiles.push_back(file);
    if (description->chip && !description->chip->contentPath.empty()) {
      // Two boxes on one chip file would write each other's chip.
      std::error_code ec;
      const std::string content =
          std::filesystem::weakly_canonical(description->chip->contentPath, ec).string();
      if (!contents.insert(ec ? description->chip->contentPath : content).second) {
        error = "virtual box " + file + ": its chip's content file " +
                description->chip->contentPath + " is another box's too";
        return nullptr;
      }
      ownFiles.push_back(description->chip->contentPath);
    }
    std::unique_ptr<UsbApi> box = VirtualBox::Create(*description, error);
    if (!box) {
      error = "virtual box " + file + ": " + error;
      return nullptr;
    }
    boxes.push_back(std::move(box));
  }
  return std::make_unique<MultiBoxUsb>(std::move(boxes));
}

}  // namespace tarnwick::sim
