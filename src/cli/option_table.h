// The command line's global options, one row each. The parser, the usage, the
// manual page and the completion scripts all read this table.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace tarnwick::cli {

enum class OptionId : std::uint8_t {
  Simulate,
  BaseDir,
  Chip,
  Device,
  Lang,
  NoDetect,
  Yes,
  Json,
  MaxDiffs,
  Help,
  Version,
  Man,
};

struct OptionRow {
  OptionId id;
  const char* longName;  // without the leading "--"
  char shortName;        // '\0' for none
  // The value's name as usage shows it; nullptr for a switch. With
  // `valueOptional` the value is given only as --name=VALUE.
  const char* value;
  bool valueOptional;
  const char* help;
  bool hidden;  // not in the usage or the manual page (build-time helpers)
};

std::span<const OptionRow> Options();

// The row for a word such as "--chip", "--chip=X", "-c" or "-cX"; nullptr for
// none. `inlineValue` gets what follows '=' (or the short option's letter),
// `hasInline` whether there was any.
const OptionRow* MatchOption(const std::string& word, std::string& inlineValue, bool& hasInline);

// "--chip NAME, -c NAME" as usage and the manual page show it.
std::string OptionWords(const OptionRow& row);

}  // namespace tarnwick::cli
