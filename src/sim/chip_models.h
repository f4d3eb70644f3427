// A small built-in table of well-known chips, so a description can name a
// model instead of spelling out its raw fields.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "sim/box_description.h"

namespace tarnwick::sim {

// The chip of a built-in model (matched without regard to case), with no
// content path set; nullopt for an unknown name.
std::optional<ChipDescription> BuiltInChip(std::string_view model);
std::vector<std::string_view> BuiltInModelNames();

}  // namespace tarnwick::sim
