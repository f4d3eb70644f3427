#include "cli/virtual_boxes.h"

#include <optional>

#include "cli/box_set.h"
#include "sim/box_description.h"
#include "sim/virtual_box.h"

namespace tarnwick::cli {

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

std::unique_ptr<UsbApi> MakeVirtualBoxes(const std::vector<std::string>& files,
                                         const BaseDirectory& where, std::string& error,
                                         std::vector<std::string>& ownFiles,
                                         std::string& simulatedTable) {
  std::vector<std::unique_ptr<UsbApi>> boxes;
  for (const std::string& file : files) {
    if (file.empty()) {
      error = "--simulate names an empty file between its commas";
      return nullptr;
    }
    std::optional<sim::BoxDescription> description = sim::LoadBoxDescription(file, error);
    if (!description) return nullptr;
    sim::UseShippedBootTable(*description, where.dataDir);
    if (simulatedTable.empty()) simulatedTable = description->bootTablePath;
    ownFiles.push_back(file);
    if (description->chip && !description->chip->contentPath.empty()) {
      ownFiles.push_back(description->chip->contentPath);
    }
    std::unique_ptr<UsbApi> box = sim::VirtualBox::Create(*description, error);
    if (!box) {
      error = "virtual box " + file + ": " + error;
      return nullptr;
    }
    boxes.push_back(std::move(box));
  }
  return std::make_unique<MultiBoxUsb>(std::move(boxes));
}

}  // namespace tarnwick::cli
