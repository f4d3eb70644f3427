#include "cli/option_table.h"

namespace tarnwick::cli {
namespace {

constexpr OptionRow kRows[] = {
    {OptionId::Simulate, "simulate", '\0', "FILE[,FILE...]", true,
     "talk to the virtual programmer box instead of the USB one; FILE describes the box (its "
     "chip and its answers), several files stand for several connected boxes",
     false},
    {OptionId::BaseDir, "base-dir", '\0', "DIR", false,
     "keep settings, log and the virtual chip's content in DIR", false},
    {OptionId::Chip, "chip", 'c', "NAME", false,
     "work with this catalogue record: MODEL, MAKER/MODEL or TYPE/MAKER/MODEL, in any case", false},
    {OptionId::Device, "device", '\0', "BUS:DEVICE|SERIAL", false,
     "use this box when several are connected (see: tarnwick-cli devices)", false},
    {OptionId::Lang, "lang", '\0', "LANG", false,
     "read the texts from lang/LANG/ in the program's folder", false},
    {OptionId::NoDetect, "no-detect", '\0', nullptr, false,
     "skip the identification of the chip in the socket (needs --chip)", false},
    {OptionId::Yes, "yes", 'y', nullptr, false, "answer yes to every question", false},
    {OptionId::Json, "json", '\0', nullptr, false,
     "print the outcome as one JSON object on standard output", false},
    {OptionId::MaxDiffs, "max-diffs", '\0', "N", false,
     "verify and auto print the first N differences (default 16)", false},
    {OptionId::Help, "help", 'h', nullptr, false, "show the usage and exit", false},
    {OptionId::Version, "version", '\0', nullptr, false, "show the program's version and exit",
     false},
    // The build makes the manual page with it.
    {OptionId::Man, "man", '\0', nullptr, false, "print the manual page in roff", true},
};

}  // namespace

std::span<const OptionRow> Options() { return kRows; }

const OptionRow* MatchOption(const std::string& word, std::string& inlineValue, bool& hasInline) {
  hasInline = false;
  inlineValue.clear();
  if (word.size() < 2 || word[0] != '-') return nullptr;
  if (word[1] == '-') {
    const auto eq = word.find('=');
    const std::string name = word.substr(2, eq == std::string::npos ? std::string::npos : eq - 2);
    for (const OptionRow& row : kRows) {
      if (name != row.longName) continue;
      if (eq != std::string::npos) {
        hasInline = true;
        inlineValue = word.substr(eq + 1);
      }
      return &row;
    }
    return nullptr;
  }
  for (const OptionRow& row : kRows) {
    if (row.shortName == '\0' || word[1] != row.shortName) continue;
    if (word.size() > 2) {
      // "-cW25Q64" carries its value; a switch takes no letters after it.
      if (row.value == nullptr) return nullptr;
      hasInline = true;
      inlineValue = word.substr(2);
    }
    return &row;
  }
  return nullptr;
}

std::string OptionWords(const OptionRow& row) {
  std::string words = std::string("--") + row.longName;
  if (row.value != nullptr)
    words +=
        std::string(row.valueOptional ? "[=" : " ") + row.value + (row.valueOptional ? "]" : "");
  if (row.shortName != '\0') {
    words += std::string(", -") + row.shortName;
    if (row.value != nullptr && !row.valueOptional) words += std::string(" ") + row.value;
  }
  return words;
}

}  // namespace tarnwick::cli
