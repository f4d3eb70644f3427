// chips: the catalogue's types, makers or models.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command_table.h"
#include "core/catalogue/catalogue.h"
#include "core/session/session.h"

namespace tarnwick::cli {
namespace {

int ListChips(CliContext& c) {
  const Catalogue& cat = c.session.catalogue();
  const std::vector<std::string>& args = c.options.args;
  std::vector<std::string> out;
  if (args.empty()) {
    cat.ListTypes(out);
  } else if (args.size() == 1) {
    cat.ListMakers(args[0], out);
  } else {
    cat.ListModels(args[0], args[1], out);
  }
  for (const std::string& s : out) std::printf("%s\n", s.c_str());
  if (out.empty()) {
    std::fprintf(stderr, "error: nothing in the catalogue matches\n");
    return kExitFailed;
  }
  return kExitOk;
}

constexpr CliCommand kCommands[] = {
    {"chips", "[TYPE [MAKER]]", 0, 2, "list the catalogue's types, makers or models", ListChips,
     CliCommand::Needs::Nothing},
};

}  // namespace

std::span<const CliCommand> CatalogueCommands() { return kCommands; }

}  // namespace tarnwick::cli
