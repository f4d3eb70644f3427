#include "sim/fault_schedule.h"

#include <random>

#include "protocol/protocol.h"

namespace tarnwick::sim {

namespace {

std::string Describe(const FaultEntry& f) {
  std::string s = FaultKindName(f.kind);
  if (f.kind == FaultKind::PartialWrite) s += " " + std::to_string(f.amount);
  switch (f.trigger.when) {
    case FaultTrigger::When::Always:
      return s + " always";
    case FaultTrigger::When::AtCommand:
      return s + " at command " + std::to_string(f.trigger.value);
    case FaultTrigger::When::AtByte:
      return s + " at byte " + std::to_string(f.trigger.value);
  }
  return s;
}

}  // namespace

void FaultSchedule::Init(const FaultPlan& plan, std::uint64_t chipSize,
                         std::vector<std::string>& log) {
  faults_ = plan.scripted;
  seed_.reset();
  for (const FaultEntry& f : faults_) log.push_back("fault " + Describe(f));
  if (!plan.random.empty()) {
    seed_ = plan.seed ? *plan.seed
                      : (std::uint64_t{std::random_device{}()} << 32 | std::random_device{}());
    log.push_back("fault seed " + std::to_string(*seed_) +
                  " (replay with 'seed = " + std::to_string(*seed_) + "')");
    // mt19937_64 gives the same sequence everywhere, and plain modulo keeps the draws the
    // same on every standard library.
    std::mt19937_64 rng(*seed_);
    const std::uint64_t commands = plan.randomCommands ? plan.randomCommands : 1;
    const std::uint64_t bytes =
        plan.randomBytes ? plan.randomBytes : (chipSize ? chipSize : 1u << 20);
    for (FaultKind kind : plan.random) {
      FaultEntry f;
      f.kind = kind;
      if (kind == FaultKind::Unplug) {
        f.trigger = {FaultTrigger::When::AtByte, 1 + rng() % bytes};
      } else {
        f.trigger = {FaultTrigger::When::AtCommand, 1 + rng() % commands};
      }
      if (kind == FaultKind::PartialWrite) {
        f.amount = static_cast<std::uint32_t>(1 + rng() % (protocol::kProgramBlock - 1));
      }
      log.push_back("random fault " + Describe(f));
      faults_.push_back(f);
    }
  }
  fired_.assign(faults_.size(), false);
}

std::vector<FaultEntry> FaultSchedule::Always() const {
  std::vector<FaultEntry> out;
  for (const FaultEntry& f : faults_) {
    if (f.trigger.when == FaultTrigger::When::Always) out.push_back(f);
  }
  return out;
}

std::vector<FaultEntry> FaultSchedule::OnCommand(std::uint64_t command) {
  std::vector<FaultEntry> out;
  for (std::size_t i = 0; i < faults_.size(); ++i) {
    const FaultTrigger& t = faults_[i].trigger;
    if (!fired_[i] && t.when == FaultTrigger::When::AtCommand && t.value == command) {
      fired_[i] = true;
      out.push_back(faults_[i]);
    }
  }
  return out;
}

std::vector<FaultEntry> FaultSchedule::OnBytes(std::uint64_t streamed) {
  std::vector<FaultEntry> out;
  for (std::size_t i = 0; i < faults_.size(); ++i) {
    const FaultTrigger& t = faults_[i].trigger;
    if (!fired_[i] && t.when == FaultTrigger::When::AtByte && t.value <= streamed) {
      fired_[i] = true;
      out.push_back(faults_[i]);
    }
  }
  return out;
}

std::optional<std::uint64_t> FaultSchedule::NextUnplugByte(std::uint64_t streamed) const {
  std::optional<std::uint64_t> next;
  for (std::size_t i = 0; i < faults_.size(); ++i) {
    const FaultEntry& f = faults_[i];
    if (fired_[i] || f.kind != FaultKind::Unplug || f.trigger.when != FaultTrigger::When::AtByte ||
        f.trigger.value <= streamed) {
      continue;
    }
    if (!next || f.trigger.value < *next) next = f.trigger.value;
  }
  return next;
}

}  // namespace tarnwick::sim
