// chips: the catalogue's types, makers or models, or the records that share
// an identification.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "cli/command_table.h"
#include "cli/json_report.h"
#include "core/catalogue/catalogue.h"
#include "core/catalogue/chip_names.h"
#include "core/session/session.h"

namespace tarnwick::cli {
namespace {

// "1C3017", "1c3017" or "0x1C3017": up to six hex digits.
std::string IdDigits(const std::string& s) {
  return s.rfind("0x", 0) == 0 || s.rfind("0X", 0) == 0 ? s.substr(2) : s;
}

bool IsIdText(const std::string& text) {
  const std::string s = IdDigits(text);
  if (s.empty() || s.size() > 6) return false;
  for (char ch : s) {
    if (std::isxdigit(static_cast<unsigned char>(ch)) == 0) return false;
  }
  return true;
}

bool CheckWords(const std::vector<std::string>& a, std::string& error) {
  if (!a.empty() && a[0] == "--id") {
    if (a.size() != 2 || !IsIdText(a[1])) {
      error = "chips --id takes one identification of up to six hex digits, e.g. EF4018";
      return false;
    }
  } else if (!a.empty() && a[0] == "--search") {
    if (a.size() != 2) {
      error = "chips --search takes one text, part of a model or maker";
      return false;
    }
  } else if (!a.empty() && a[0] == "--all") {
    if (a.size() != 1) {
      error = "chips --all takes nothing more";
      return false;
    }
  } else if (!a.empty() && a[0].rfind("--", 0) == 0) {
    error = "unknown option " + a[0] + " for chips";
    return false;
  }
  return true;
}

// One record as --all and --search list it: the --chip form, size, voltage, ID.
std::string RecordLine(const ChipRecord& r) {
  return ChipFullName(r) + "  " + r.capacity() + "  " + r.voltage() + "  " + r.mainId();
}

// --json: one record as an object of its own.
nlohmann::json RecordObject(const ChipRecord& r) {
  return {{"chip", ChipFullName(r)},
          {"size", r.capacity()},
          {"voltage", r.voltage()},
          {"id", r.mainId()}};
}

// Every record whose main or second identification is `id`: what detection
// chooses among when it says that several chips match.
void ListById(const Catalogue& cat, std::uint32_t id, std::vector<std::string>& out,
              nlohmann::json& records) {
  std::vector<std::uint32_t> found;
  cat.FindByMainId(id, found);
  cat.FindBySecondId(id, found);
  std::set<std::uint32_t> seen;
  for (std::uint32_t i : found) {
    const ChipRecord* r = cat.Record(i);
    if (r == nullptr || !seen.insert(i).second) continue;
    out.push_back(ChipFullName(*r) + "  " + r->capacity());
    records.push_back(RecordObject(*r));
  }
}

void PrintCounts(const Catalogue& cat) {
  std::set<std::string> makers, types;
  for (const ChipRecord& r : cat.Records()) {
    makers.insert(r.maker());
    types.insert(r.type());
  }
  std::fprintf(stderr, "catalogue: %u records, %zu makers, %zu types\n", cat.Count(), makers.size(),
               types.size());
}

int ListChips(CliContext& c) {
  const Catalogue& cat = c.session.catalogue();
  const std::vector<std::string>& args = c.options.args;
  std::vector<std::string> out;
  nlohmann::json records = nlohmann::json::array();
  // --json: the lists of names under the level they list, records as "chips".
  const char* level = "chips";
  if (args.empty()) {
    cat.ListTypes(out);
    level = "types";
  } else if (args[0] == "--id") {
    ListById(cat, static_cast<std::uint32_t>(std::strtoul(IdDigits(args[1]).c_str(), nullptr, 16)),
             out, records);
  } else if (args[0] == "--search") {
    for (std::uint32_t i : SearchChips(cat, args[1])) {
      out.push_back(RecordLine(*cat.Record(i)));
      records.push_back(RecordObject(*cat.Record(i)));
    }
  } else if (args[0] == "--all") {
    std::set<std::string> seen;
    for (const ChipRecord& r : cat.Records()) {
      if (!seen.insert(ChipFullName(r)).second) continue;
      out.push_back(RecordLine(r));
      records.push_back(RecordObject(r));
    }
  } else if (args.size() == 1) {
    cat.ListMakers(args[0], out);
    level = "makers";
  } else {
    cat.ListModels(args[0], args[1], out);
    level = "models";
  }
  for (const std::string& s : out) std::printf("%s\n", s.c_str());
  PrintCounts(cat);
  if (c.options.json) {
    JsonFields()[level] = std::string(level) == "chips" ? records : nlohmann::json(out);
    JsonFields()["count"] = out.size();
  }
  if (out.empty()) {
    std::fprintf(stderr, "error: nothing in the catalogue matches\n");
    return kExitFailed;
  }
  return kExitOk;
}

constexpr CliCommand kCommands[] = {
    {"chips", "[TYPE [MAKER]] | --id HEX | --search TEXT | --all", 0, 2,
     "list the catalogue's types, makers or models, every chip whose ID is HEX, the chips whose "
     "model or maker holds TEXT (any case), or every chip as NAME  SIZE  VOLTAGE  ID",
     ListChips, CliCommand::Needs::Nothing, CheckWords},
};

}  // namespace

std::span<const CliCommand> CatalogueCommands() { return kCommands; }

}  // namespace tarnwick::cli
