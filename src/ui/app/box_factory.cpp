#include "ui/app/box_factory.h"

#include <string>

#include "core/device/libusb_api.h"
#include "sim/box_bus.h"
#include "sim/virtual_box.h"
#include "ui/app/app_options.h"

namespace tarnwick {

std::unique_ptr<UsbApi> MakeBox(const AppOptions& options, const DataLayout& layout,
                                const QString& dataDir, QString& error,
                                std::string& simulatedTable) {
  if (!options.simulate) return std::make_unique<LibUsbApi>();
  std::string message;
  // Several description files stand for several boxes on the bus.
  if (const std::vector<std::string> files =
          sim::SimulateFiles(options.simulationFile.toStdString());
      files.size() > 1) {
    std::vector<std::string> ownFiles;
    std::unique_ptr<UsbApi> boxes =
        sim::MakeVirtualBoxes(
        files, dataDir.toStdString(), message, ownFiles, simulatedTable,
        [&layout](const std::string& file) { return BoxContentFolder(layout, file); });
    if (!boxes) error = QString::fromStdString(message);
    return boxes;
  }
  std::optional<sim::BoxDescription> description;
  if (options.simulationFile.isEmpty()) {
    description = sim::DefaultBoxDescription(layout.simDir);
  } else {
    const std::string file = options.simulationFile.toStdString();
    description = sim::LoadBoxDescription(file, message, BoxContentFolder(layout, file));
  }
  if (!description) {
    error = QString::fromStdString(message);
    return nullptr;
  }
  sim::UseShippedBootTable(*description, dataDir.toStdString());
  simulatedTable = description->bootTablePath;
  std::unique_ptr<sim::VirtualBox> box = sim::VirtualBox::Create(*description, message);
  if (!box) error = QString::fromStdString(message);
  return box;
}

}  // namespace tarnwick
