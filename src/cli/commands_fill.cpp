// fill ADDR LENGTH VALUE, fill ADDR --file FILE: chip fill, job 19. The
// address is hex, the length decimal, the value hex (a byte, or a word for
// chips organised in 16-bit words, which count address and length in words).
#include <cstdio>
#include <filesystem>
#include <string>

#include "cli/command_table.h"
#include "cli/json_report.h"
#include "core/app/text_ids.h"
#include "core/catalogue/chip_selection.h"
#include "core/operations/chip_fill/chip_filler.h"
#include "core/operations/chip_fill/fill_plan.h"
#include "core/session/session.h"

namespace tarnwick::cli {
namespace {

namespace fs = std::filesystem;

bool AllOf(const std::string& s, bool hex) {
  if (s.empty()) return false;
  for (char c : s) {
    const bool digit = c >= '0' && c <= '9';
    const bool letter = (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    if (!digit && !(hex && letter)) return false;
  }
  return true;
}

bool CheckWords(const std::vector<std::string>& a, std::string& error) {
  if (a.size() == 3 && a[1] == "--file") {
    if (AllOf(a[0], true) && a[0].size() <= 8) return true;
  } else if (a.size() == 3 && AllOf(a[0], true) && a[0].size() <= 8 && AllOf(a[1], false) &&
             a[1].size() <= 10 && AllOf(a[2], true) && a[2].size() <= 4) {
    return true;
  }
  error = "fill needs ADDR (hex) LENGTH (decimal) VALUE (hex), or ADDR --file FILE";
  return false;
}

int Fill(CliContext& c) {
  const std::vector<std::string>& a = c.options.args;
  ChipFillRequest request;
  request.start = std::stoull(a[0], nullptr, 16);
  if (a[1] == "--file") {
    std::error_code ec;
    request.fileMode = true;
    request.file = fs::absolute(a[2], ec).string();
    request.length = 0;  // the whole file
    request.value = "FF";
  } else {
    request.length = std::stoull(a[1]);
    request.value = a[2];
    // Only now is the chip known: a value wider than its unit is a mistake
    // in the words, never cut to its last digits.
    const bool word = c.session.selection().WordOrganised();
    if (!chip_fill::ParseFillValue(request.value, word)) {
      std::fprintf(stderr, "tarnwick-cli: fill: VALUE %s is wider than the chip's %s\n",
                   request.value.c_str(),
                   word ? "16-bit word (at most FFFF)" : "byte (at most FF)");
      return kExitUsage;
    }
  }
  c.session.chipFill().SetRequest(request);
  c.session.RunJobAndWait(Job::ChipFill);
  const int outcome = c.session.chipFill().LastOutcome();
  if (c.options.json) {
    nlohmann::json& f = JsonFields();
    f["start"] = request.start;
    if (request.fileMode) {
      f["file"] = request.file;
    } else {
      f["length"] = request.length;
      f["value"] = request.value;
    }
    f["outcome"] = c.session.texts().itext(outcome);
  }
  return outcome == itext::kFillDone ? kExitOk : kExitFailed;
}

constexpr CliCommand kCommands[] = {
    {"fill", "ADDR LENGTH VALUE | ADDR --file FILE", 3, 3,
     "write VALUE (hex) LENGTH times from ADDR (hex) straight into the chip, or FILE's bytes", Fill,
     CliCommand::Needs::CatalogueChip, CheckWords},
};

}  // namespace

std::span<const CliCommand> FillCommands() { return kCommands; }

}  // namespace tarnwick::cli
