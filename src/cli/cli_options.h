// The command line's words: global options, the command and its arguments.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tarnwick::cli {

struct CliOptions {
  bool simulate = false;
  std::string simulateFile;  // empty: the default virtual box
  std::string baseDir;       // empty: the executable's folder
  std::string chip;          // MODEL, MAKER/MODEL or TYPE/MAKER/MODEL
  std::string device;        // BUS:DEVICE or a serial number; empty: the only box
  std::string lang;          // a set of lang/ in the program's folder; empty: the base directory's
  bool langGiven = false;
  bool noDetect = false;
  bool yes = false;
  bool json = false;  // --json: the outcome as one JSON object on standard output
  int maxDiffs = 16;  // verify's difference lines
  bool help = false;
  bool version = false;
  bool man = false;  // --man: the manual page in roff instead of the usage
  std::string command;
  std::vector<std::string> args;
};

// Parses argv; on a mistake returns nullopt and sets `error`.
std::optional<CliOptions> ParseCommandLine(int argc, char** argv, std::string& error);
std::string UsageText();
std::string VersionText();

// Splits "TYPE/MAKER/MODEL" at its first two '/' (a model may contain '/').
bool SplitChipName(const std::string& text, std::string& type, std::string& maker,
                   std::string& model);

}  // namespace tarnwick::cli
