// peek ADDR: the chip's value at ADDR (hex) as the data view shows it, one
// CMD_PEEK after a quiet identification.
#include <cstdio>

#include "cli/command_table.h"
#include "cli/json_report.h"
#include "core/operations/data_view/data_view.h"
#include "core/session/session.h"

namespace tarnwick::cli {
namespace {

bool CheckWords(const std::vector<std::string>& a, std::string& error) {
  bool ok = !a[0].empty() && a[0].size() <= 8;
  for (char c : a[0]) {
    ok = ok && ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'));
  }
  if (!ok) error = "peek needs ADDR: up to 8 hex digits";
  return ok;
}

int Peek(CliContext& c) {
  const DataViewResult r = c.session.ViewData(c.options.args[0]);
  if (c.options.json) {
    JsonFields()["address"] = c.options.args[0];
    JsonFields()["state"] = r.state;
    if (r.chipRead) JsonFields()["value"] = r.chipValue;
  }
  std::fprintf(stderr, "%s\n", r.state.c_str());
  if (!r.chipRead) {
    std::fprintf(stderr, "error: %s\n", r.chipValue.c_str());
    return kExitFailed;
  }
  std::printf("%s\n", r.chipValue.c_str());
  return kExitOk;
}

constexpr CliCommand kCommands[] = {
    {"peek", "ADDR", 1, 1, "print the chip's value at ADDR (hex), as the data view shows it", Peek,
     CliCommand::Needs::CatalogueChip, CheckWords},
};

}  // namespace

std::span<const CliCommand> PeekCommands() { return kCommands; }

}  // namespace tarnwick::cli
