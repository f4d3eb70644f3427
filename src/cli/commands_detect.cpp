// detect: identify the chip in the socket.
#include <cstdio>

#include "cli/command_table.h"
#include "core/catalogue/chip_selection.h"
#include "core/operations/chip/detection.h"
#include "core/session/session.h"

namespace tarnwick::cli {
namespace {

int Detect(CliContext& c) {
  c.session.RunJobAndWait(Job::DetectUser);
  const int r = c.session.LastDetectResult();
  const ChipSelection& s = c.session.selection();
  if (r == kDetectFound || r == kDetectFamilyOnly) {
    std::printf("%s : %s : %s : %s\n", s.TypeText().c_str(), s.MakerText().c_str(),
                s.ModelText().c_str(), s.CapacityText().c_str());
  }
  if (r == kDetectFound) return kExitOk;
  if (r == kDetectFamilyOnly) return kExitChipNotNamed;
  if (r == kDetectNoDevice) return kExitNoBox;
  return kExitChipSilent;
}

constexpr CliCommand kCommands[] = {
    {"detect", "", 0, 0, "identify the chip in the socket", Detect},
};

}  // namespace

std::span<const CliCommand> DetectCommands() { return kCommands; }

}  // namespace tarnwick::cli
