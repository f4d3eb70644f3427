// When the faults of a description strike: scripted triggers as given, and
// random ones drawn from a seed so that a failing run can be replayed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/box_description.h"

namespace tarnwick::sim {

class FaultSchedule {
 public:
  // Draws the random faults; `log` receives the seed and what was drawn.
  void Init(const FaultPlan& plan, std::uint64_t chipSize, std::vector<std::string>& log);

  std::optional<std::uint64_t> Seed() const { return seed_; }
  const std::vector<FaultEntry>& Faults() const { return faults_; }

  // Faults active from the start ("always").
  std::vector<FaultEntry> Always() const;
  // Faults that strike when frame number `command` (from 1) arrives.
  std::vector<FaultEntry> OnCommand(std::uint64_t command);
  // Faults whose byte trigger lies at or below `streamed`.
  std::vector<FaultEntry> OnBytes(std::uint64_t streamed);
  // The nearest unplug byte trigger above `streamed`, so a transfer can stop there.
  std::optional<std::uint64_t> NextUnplugByte(std::uint64_t streamed) const;

 private:
  std::vector<FaultEntry> faults_;
  std::vector<bool> fired_;
  std::optional<std::uint64_t> seed_;
};

}  // namespace tarnwick::sim
