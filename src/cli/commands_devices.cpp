// devices, and --device: the programmer boxes connected to this computer and
// the one a run works with.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/box_choice.h"
#include "cli/command_table.h"
#include "cli/json_report.h"
#include "cli/terminal_surface.h"
#include "core/device/box_choice.h"
#include "core/device/box_selector.h"
#include "core/operations/firmware/firmware_image.h"
#include "core/operations/firmware/firmware_updater.h"
#include "core/session/session.h"

namespace tarnwick::cli {
namespace {

struct BoxAnswer {
  UsbDeviceInfo place;
  std::optional<std::string> serial;
  std::optional<std::string> firmware;
};

// Asks the box at `place` for its serial number and firmware version.
BoxAnswer Ask(CliContext& c, const UsbDeviceInfo& place) {
  BoxAnswer a{place, std::nullopt, std::nullopt};
  c.boxes->Choose(place);
  c.surface.SetQuiet(true);
  const bool answered = c.session.RunJobAndWait(Job::FirmwareVersion);
  c.surface.SetQuiet(false);
  const FirmwareInfo info = c.session.firmware().LastInfo();
  if (answered && info.serial) a.serial = firmware::SerialText(*info.serial);
  if (answered && info.version) a.firmware = firmware::VersionText(*info.version);
  return a;
}

std::vector<BoxAnswer> AskAll(CliContext& c) {
  c.boxes->Choose(std::nullopt);
  std::vector<BoxAnswer> all;
  for (const UsbDeviceInfo& place : ProgrammerBoxes(*c.boxes)) all.push_back(Ask(c, place));
  c.boxes->Choose(std::nullopt);
  return all;
}

std::string Line(const BoxAnswer& a) {
  return BoxPlace(a.place) + "  serial " + a.serial.value_or("-") + "  firmware " +
         a.firmware.value_or("-");
}

int Devices(CliContext& c) {
  const std::vector<BoxAnswer> all = AskAll(c);
  nlohmann::json list = nlohmann::json::array();
  for (const BoxAnswer& a : all) {
    std::printf("%s\n", Line(a).c_str());
    nlohmann::json box = {{"bus", a.place.bus}, {"device", a.place.address}};
    if (a.serial) box["serial"] = *a.serial;
    if (a.firmware) box["firmware"] = *a.firmware;
    list.push_back(box);
  }
  if (c.options.json) JsonFields()["devices"] = list;
  if (all.empty()) {
    std::fprintf(stderr, "error: no programmer box is connected\n");
    return kExitNoBox;
  }
  return kExitOk;
}

void Chosen(CliContext& c, const UsbDeviceInfo& box) {
  c.boxes->Choose(box);
  if (c.options.json) JsonFields()["device"] = BoxPlace(box);
}

void ListBoxes(const std::vector<BoxAnswer>& all) {
  for (const BoxAnswer& a : all) std::fprintf(stderr, "  --device %s\n", Line(a).c_str());
}

constexpr CliCommand kCommands[] = {
    {"devices", "", 0, 0,
     "list the connected programmer boxes: BUS:DEVICE, serial number and firmware version", Devices,
     CliCommand::Needs::Nothing},
};

}  // namespace

int ChooseBox(CliContext& c) {
  c.boxes->Choose(std::nullopt);
  const std::vector<UsbDeviceInfo> boxes = ProgrammerBoxes(*c.boxes);
  const std::string& wanted = c.options.device;
  const BoxChoice choice = tarnwick::ChooseBox(
      boxes, wanted, [&c](const UsbDeviceInfo& b) { return Ask(c, b).serial; });
  switch (choice.outcome) {
    case BoxChoice::Outcome::Use:
      if (!wanted.empty() && choice.box) Chosen(c, *choice.box);
      if (wanted.empty()) c.boxes->Choose(std::nullopt);
      return kExitOk;
    case BoxChoice::Outcome::Several: {
      const std::vector<BoxAnswer> all = AskAll(c);
      std::fprintf(stderr,
                   "tarnwick-cli: %zu programmer boxes are connected; choose one with --device:\n",
                   all.size());
      ListBoxes(all);
      return kExitUsage;
    }
    case BoxChoice::Outcome::Unknown:
      break;
  }
  std::fprintf(stderr, "tarnwick-cli: no programmer box %s is connected%s\n", wanted.c_str(),
               boxes.empty() ? "" : "; the boxes are:");
  ListBoxes(AskAll(c));
  return kExitNoBox;
}

std::span<const CliCommand> DevicesCommands() { return kCommands; }

}  // namespace tarnwick::cli
