#include "cli/command_table.h"

#include <cstdio>
#include <vector>

#include "cli/json_report.h"
#include "cli/man_page.h"

namespace tarnwick::cli {

namespace {

// The usage (or with --man the manual page); with --json the table itself.
int Help(const CliOptions& o) {
  if (o.json) {
    nlohmann::json commands = nlohmann::json::array();
    for (const CliCommand& c : Commands()) {
      commands.push_back({{"name", c.name},
                          {"arguments", c.arguments},
                          {"min_args", c.minArgs},
                          {"max_args", c.maxArgs},
                          {"help", c.help}});
    }
    JsonFields()["commands"] = commands;
    return kExitOk;
  }
  std::printf("%s", (o.man ? ManPageText() : UsageText()).c_str());
  return kExitOk;
}

constexpr CliCommand kHelp = {
    "help",  "",      0,   0, "show this text", nullptr, CliCommand::Needs::Nothing,
    nullptr, nullptr, Help};

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
