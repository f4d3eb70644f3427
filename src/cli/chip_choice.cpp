#include "cli/chip_choice.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "cli/cli_options.h"
#include "cli/command_table.h"
#include "core/catalogue/catalogue.h"
#include "core/catalogue/chip_names.h"
#include "core/catalogue/chip_selection.h"
#include "core/operations/op_context.h"
#include "core/session/session.h"

namespace tarnwick::cli {

std::vector<std::uint32_t> SocketCandidates(Session& session) {
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

int SelectNamedChip(Session& session, const std::string& name, bool detected) {
  const ChipNameMatch match = MatchChipName(session.catalogue(), name);
  const std::vector<std::uint32_t> inSocket = detected && session.LastDetectResult() == 1
                                                  ? SocketCandidates(session)
                                                  : std::vector<std::uint32_t>{};
  std::vector<std::uint32_t> named = match.records;
  if (named.size() > 1 && !inSocket.empty()) {
    // A short name that several records share is settled by the socket when
    // only one of them is what the identification found.
    std::vector<std::uint32_t> fitting;
    for (std::uint32_t r : named) {
      if (std::find(inSocket.begin(), inSocket.end(), r) != inSocket.end()) fitting.push_back(r);
    }
    if (fitting.size() == 1) named = fitting;
  }
  if (named.empty()) {
    std::fprintf(stderr, "tarnwick-cli: no chip %s in the catalogue", name.c_str());
    for (std::size_t k = 0; k < match.nearest.size(); ++k) {
      std::fprintf(stderr, "%s%s", k == 0 ? "; did you mean " : ", ", match.nearest[k].c_str());
    }
    std::fprintf(stderr, "%s (see: tarnwick-cli chips --search TEXT)\n",
                 match.nearest.empty() ? "" : "?");
    return kExitUsage;
  }
  if (named.size() > 1) {
    std::fprintf(stderr, "tarnwick-cli: %s names several chips; name one of them:\n", name.c_str());
    for (std::uint32_t r : named) {
      std::fprintf(stderr, "  --chip '%s'\n", ChipFullName(*session.catalogue().Record(r)).c_str());
    }
    return kExitUsage;
  }
  const auto index = static_cast<std::int32_t>(named.front());
  if (!inSocket.empty() && std::find(inSocket.begin(), inSocket.end(),
                                     static_cast<std::uint32_t>(index)) == inSocket.end()) {
    std::fprintf(stderr, "tarnwick-cli: the chip in the socket is not %s; it may be:\n",
                 name.c_str());
    for (std::uint32_t c : inSocket) {
      if (const ChipRecord* r = session.catalogue().Record(c)) {
        std::fprintf(stderr, "  --chip '%s'\n", ChipFullName(*r).c_str());
      }
    }
    return kExitNotACandidate;
  }
  session.selection().SelectRecord(index);
  return kExitOk;
}

}  // namespace tarnwick::cli
