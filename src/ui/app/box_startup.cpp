#include "ui/app/box_startup.h"

#include <optional>

#include "core/app/window_services.h"
#include "core/device/box_choice.h"
#include "core/device/box_selector.h"
#include "core/device/box_serial.h"
#include "core/operations/firmware/firmware_image.h"
#include "core/session/session.h"

namespace tarnwick {

namespace {

// The window's own lines about the box choice.
constexpr const char* kSeveralBoxes =
    " programmer boxes are connected; none is opened. Start Tarnwick with --device BUS:DEVICE "
    "or --device SERIAL to use one of them:";
constexpr const char* kUnknownBoxHead = "No programmer box \"";
constexpr const char* kUnknownBoxTail =
    "\" (--device BUS:DEVICE or SERIAL) is connected; none is opened.";
constexpr const char* kTheBoxesAre = " The connected boxes:";
constexpr const char* kBoxInUse = "Programmer box in use (--device): ";
constexpr const char* kSerialWord = "  serial ";
constexpr const char* kNoSerial = "-";

std::optional<std::string> SerialOf(BoxSelector& selector, const UsbDeviceInfo& box) {
  const std::optional<std::uint32_t> serial = ReadBoxSerial(selector, box);
  if (!serial) return std::nullopt;
  return firmware::SerialText(*serial);
}

std::string BoxLine(BoxSelector& selector, const UsbDeviceInfo& box) {
  return BoxPlace(box) + kSerialWord + SerialOf(selector, box).value_or(kNoSerial);
}

void AddBoxList(BoxSelector& selector, const std::vector<UsbDeviceInfo>& boxes,
                std::vector<std::string>& lines) {
  for (const UsbDeviceInfo& b : boxes) lines.push_back("  " + BoxLine(selector, b));
}

}  // namespace

StartBoxNotice ChooseStartBox(BoxSelector& selector, const std::string& wanted) {
  selector.Choose(std::nullopt);
  const std::vector<UsbDeviceInfo> boxes = ProgrammerBoxes(selector.ScanAll());
  const BoxChoice choice = ChooseBox(
      boxes, wanted, [&selector](const UsbDeviceInfo& b) { return SerialOf(selector, b); });
  StartBoxNotice notice;
  std::vector<std::string>& lines = notice.lines;
  switch (choice.outcome) {
    case BoxChoice::Outcome::Use:
      if (!wanted.empty() && choice.box) {
        lines.push_back(kBoxInUse + BoxLine(selector, *choice.box));
        selector.Choose(choice.box);
      }
      break;
    case BoxChoice::Outcome::Several:
      lines.push_back(std::to_string(boxes.size()) + kSeveralBoxes);
      AddBoxList(selector, boxes, lines);
      selector.HideAll();
      notice.withheld = true;
      break;
    case BoxChoice::Outcome::Unknown:
      lines.push_back(kUnknownBoxHead + wanted + kUnknownBoxTail +
                      (boxes.empty() ? std::string() : std::string(kTheBoxesAre)));
      AddBoxList(selector, boxes, lines);
      selector.HideAll();
      notice.withheld = true;
      break;
  }
  return notice;
}

void ShowStartBoxNotice(Session& session, const StartBoxNotice& notice) {
  if (notice.lines.empty()) return;
  WindowServices& services = session.services();
  // The status line goes into the log as well: the list follows it there.
  services.ShowStatus(notice.lines.front(), notice.withheld);
  for (std::size_t i = 1; i < notice.lines.size(); ++i) services.AppendLog(notice.lines[i]);
}

}  // namespace tarnwick
