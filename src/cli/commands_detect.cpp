// detect: identify the chip in the socket.
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "cli/chip_choice.h"
#include "cli/command_table.h"
#include "cli/json_report.h"
#include "cli/terminal_surface.h"
#include "core/app/text_ids.h"
#include "core/catalogue/chip_names.h"
#include "core/catalogue/chip_selection.h"
#include "core/operations/chip/detection.h"
#include "core/session/session.h"
#include "resources/ids.h"

namespace tarnwick::cli {
namespace {

// A chip that answered only its family (an EEPROM) must be named; the
// family's records are what to choose from.
void TellFamilyRecords(CliContext& c) {
  std::fprintf(stderr, "the chip answers only its family: name it with --chip, one of:\n");
  const std::string family = c.session.selection().TypeText();
  for (const ChipRecord& r : c.session.catalogue().Records()) {
    if (r.type() == family) std::fprintf(stderr, "  --chip '%s'\n", ChipFullName(r).c_str());
  }
}

// The other records that share the identification, each full name once.
std::vector<std::string> OtherCandidateNames(CliContext& c) {
  std::vector<std::string> out;
  const Catalogue& cat = c.session.catalogue();
  const ChipRecord* chosen = cat.Record(c.session.selection().SelectedRecord());
  std::set<std::string> seen;
  if (chosen != nullptr) seen.insert(ChipFullName(*chosen));
  for (std::uint32_t i : SocketCandidates(c.session)) {
    if (const ChipRecord* r = cat.Record(i); r != nullptr && seen.insert(ChipFullName(*r)).second) {
      out.push_back(ChipFullName(*r));
    }
  }
  return out;
}

void ReportDetection(CliContext& c, int result) {
  nlohmann::json& f = JsonFields();
  const ChipSelection& s = c.session.selection();
  f["found"] = result == kDetectFound;
  // Detection shows the adapter's picture only when the box says it is fitted.
  f["adapter"] = c.surface.IsCommandEnabled(ids::kAdapterPicture);
  if (result != kDetectFound && result != kDetectFamilyOnly) return;
  f["type"] = s.TypeText();
  f["capacity"] = s.CapacityText();
  if (result != kDetectFound) return;
  if (const ChipRecord* chosen = c.session.catalogue().Record(s.SelectedRecord())) {
    f["chip"] = ChipFullName(*chosen);
    f["id"] = chosen->mainId();
    if (!chosen->secondaryId().empty()) f["second_id"] = chosen->secondaryId();
  }
  f["candidates"] = OtherCandidateNames(c);
}

int Detect(CliContext& c) {
  c.session.RunJobAndWait(Job::DetectUser);
  const int r = c.session.LastDetectResult();
  const ChipSelection& s = c.session.selection();
  if (r == kDetectFound || r == kDetectFamilyOnly) {
    std::printf("%s : %s : %s : %s\n", s.TypeText().c_str(), s.MakerText().c_str(),
                s.ModelText().c_str(), s.CapacityText().c_str());
  }
  if (c.options.json) ReportDetection(c, r);
  if (r == kDetectFound) {
    if (const ChipRecord* chosen = c.session.catalogue().Record(s.SelectedRecord())) {
      std::printf("--chip '%s'\n", ChipFullName(*chosen).c_str());
    }
    for (const std::string& other : OtherCandidateNames(c)) {
      std::printf("or --chip '%s'\n", other.c_str());
    }
    return kExitOk;
  }
  if (r == kDetectFamilyOnly) {
    if (c.surface.LastStatus() == c.session.texts().itext(itext::kUnknownId)) {
      std::fprintf(stderr, "the catalogue does not know this chip's ID: name it with --chip\n");
    } else {
      TellFamilyRecords(c);
    }
    return kExitChipNotNamed;
  }
  if (r == kDetectNoDevice) return kExitNoBox;
  return kExitChipSilent;
}

constexpr CliCommand kCommands[] = {
    {"detect", "", 0, 0, "identify the chip in the socket", Detect},
};

}  // namespace

std::span<const CliCommand> DetectCommands() { return kCommands; }

}  // namespace tarnwick::cli
