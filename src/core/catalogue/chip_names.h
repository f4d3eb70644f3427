// The names people type for a chip: MODEL, MAKER/MODEL or TYPE/MAKER/MODEL,
// in any case, matched against the catalogue; the nearest names when none
// matches, and a search by part of a model or maker.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/catalogue/catalogue.h"

namespace tarnwick {

// "TYPE/MAKER/MODEL": the one form that names a record whatever else the
// catalogue holds.
std::string ChipFullName(const ChipRecord& record);

struct ChipNameMatch {
  // The records the name stands for; records with the same full name count
  // once (the first, as FindRecord finds it).
  std::vector<std::uint32_t> records;
  // With no record: up to three names nearest to the one typed, in its form.
  std::vector<std::string> nearest;
};

ChipNameMatch MatchChipName(const Catalogue& catalogue, const std::string& name);

// Records whose model or maker contains `text`, any case; one per full name.
std::vector<std::uint32_t> SearchChips(const Catalogue& catalogue, const std::string& text);

}  // namespace tarnwick
