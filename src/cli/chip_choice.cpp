#include "cli/chip_choice.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "cli/cli_options.h"
#include "cli/command_table.h"
#include "core/catalogue/catalogue.h"
#include "core/catalogue/chip_selection.h"
#include "core/operations/op_context.h"
#include "core/session/session.h"

namespace tarnwick::cli {
namespace {

// The records the identification in the socket matched: it selected the
// first of them, and they share its identification.
std::vector<std::uint32_t> Candidates(Session& session) {
  std::vector<std::uint32_t> out;
  const Catalogue& cat = session.catalogue();
  const ChipRecord* chosen = cat.Record(session.selection().SelectedRecord());
  if (chosen == nullptr) return out;
  for (int field : {ChipRecord::kMainId, ChipRecord::kSecondaryId}) {
    const std::uint32_t id =
        static_cast<std::uint32_t>(std::strtoul(chosen->fields[field].c_str(), nullptr, 16));
    if (id == 0) continue;
    if (field == ChipRecord::kMainId) {
      cat.FindByMainId(id, out);
    } else {
      cat.FindBySecondId(id, out);
    }
    if (!out.empty()) break;
  }
  return out;
}

std::string ChipName(const ChipRecord& r) { return r.type() + "/" + r.maker() + "/" + r.model(); }

}  // namespace

int SelectNamedChip(Session& session, const std::string& name, bool detected) {
  std::string type, maker, model;
  const std::int32_t index = SplitChipName(name, type, maker, model)
                                 ? session.catalogue().FindRecord(type, maker, model)
                                 : kNoRecord;
  if (index < 0) {
    std::fprintf(stderr, "tarnwick-cli: no chip %s in the catalogue (see: tarnwick-cli chips)\n",
                 name.c_str());
    return kExitUsage;
  }
  if (detected && session.LastDetectResult() == 1) {
    const std::vector<std::uint32_t> candidates = Candidates(session);
    if (!candidates.empty() && std::find(candidates.begin(), candidates.end(),
                                         static_cast<std::uint32_t>(index)) == candidates.end()) {
      std::fprintf(stderr, "tarnwick-cli: the chip in the socket is not %s; it may be:\n",
                   name.c_str());
      for (std::uint32_t c : candidates) {
        if (const ChipRecord* r = session.catalogue().Record(c)) {
          std::fprintf(stderr, "  --chip '%s'\n", ChipName(*r).c_str());
        }
      }
      return kExitNotACandidate;
    }
  }
  session.selection().SelectRecord(index);
  return kExitOk;
}

}  // namespace tarnwick::cli
