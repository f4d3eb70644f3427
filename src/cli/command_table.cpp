#include "cli/command_table.h"

#include <vector>

namespace tarnwick::cli {

namespace {
constexpr CliCommand kHelp = {
    "help", "", 0, 0, "show this text", nullptr, CliCommand::Needs::Nothing};
}  // namespace

std::span<const CliCommand> Commands() {
  static const std::vector<CliCommand> all = [] {
    std::vector<CliCommand> v;
    for (auto group : {DetectCommands(), CatalogueCommands(), ChipCommands(), BatchCommands(),
                       OtpCommands(), FillCommands(), PeekCommands(), FindCommands(),
                       FileCommands(), FirmwareCommands(), SettingsCommands(), FeedbackCommands(),
                       UpdateCommands(), DevicesCommands(), CompletionCommands()}) {
      v.insert(v.end(), group.begin(), group.end());
    }
    v.push_back(kHelp);
    return v;
  }();
  return all;
}

const CliCommand* FindCommand(const std::string& name) {
  for (const CliCommand& c : Commands()) {
    if (name == c.name) return &c;
  }
  return nullptr;
}

}  // namespace tarnwick::cli
