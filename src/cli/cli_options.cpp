#include "cli/cli_options.h"

#include "cli/command_table.h"
#include "cli/option_table.h"
#include "core/app/text_languages.h"
#include "version.h"

namespace tarnwick::cli {

std::string VersionText() { return std::string("tarnwick-cli ") + kProgramVersion + "\n"; }

std::string UsageText() {
  std::string text = "usage: tarnwick-cli [OPTIONS] COMMAND [ARGS] [OPTIONS]\n";
  text += "options (anywhere on the line; -- ends them):\n";
  for (const OptionRow& row : Options()) {
    if (row.hidden) continue;
    std::string words = OptionWords(row);
    if (words.size() < 28) words.resize(28, ' ');
    text += "  " + words + " " + row.help + "\n";
  }
  text += "exit status:\n";
  for (const ExitCodeRow& row : ExitCodes()) {
    text += "  " + std::to_string(row.code) + "  " + row.meaning + "\n";
  }
  text += "commands:\n";
  for (const CliCommand& c : Commands()) {
    std::string words = c.name;
    if (*c.arguments != '\0') words += std::string(" ") + c.arguments;
    if (words.size() < 20) words.resize(20, ' ');
    text += "  " + words + " " + c.help + "\n";
  }
  return text;
}

namespace {

bool IsNumber(const std::string& s) {
  return !s.empty() && s.size() <= 9 && s.find_first_not_of("0123456789") == std::string::npos;
}

// Stores one global option's value; false with the reason in `error`.
bool TakeOption(const OptionRow& row, const std::string& value, CliOptions& o, std::string& error) {
  switch (row.id) {
    case OptionId::Simulate:
      o.simulate = true;
      o.simulateFile = value;
      return true;
    case OptionId::BaseDir:
      o.baseDir = value;
      return true;
    case OptionId::Chip:
      o.chip = value;
      return true;
    case OptionId::Device:
      o.device = value;
      return true;
    case OptionId::Lang:
      o.lang = value;
      o.langGiven = true;
      return true;
    case OptionId::NoDetect:
      o.noDetect = true;
      return true;
    case OptionId::Yes:
      o.yes = true;
      return true;
    case OptionId::Json:
      o.json = true;
      return true;
    case OptionId::MaxDiffs:
      if (!IsNumber(value)) {
        error = "--max-diffs takes a number of differences, not " + value;
        return false;
      }
      o.maxDiffs = std::stoi(value);
      return true;
    case OptionId::Help:
      o.help = true;
      return true;
    case OptionId::Version:
      o.version = true;
      return true;
    case OptionId::Man:
      o.man = true;
      return true;
  }
  return true;
}

}  // namespace

std::optional<CliOptions> ParseCommandLine(int argc, char** argv, std::string& error) {
  CliOptions o;
  // Global options may stand anywhere. A word that looks like an option but
  // is none of them belongs to the command (batch and chips take their own).
  bool optionsEnded = false;
  bool haveCommand = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (!optionsEnded && a == "--") {
      optionsEnded = true;
      continue;
    }
    if (!optionsEnded && a.size() > 1 && a[0] == '-') {
      std::string value;
      bool hasInline = false;
      const OptionRow* row = MatchOption(a, value, hasInline);
      if (row != nullptr) {
        const std::string name = std::string("--") + row->longName;
        if (row->value == nullptr && hasInline) {
          error = name + " takes no value";
          return std::nullopt;
        }
        if (row->value != nullptr && !row->valueOptional && !hasInline) {
          if (i + 1 >= argc) {
            error = name + " needs a value";
            return std::nullopt;
          }
          value = argv[++i];
        }
        // An empty language is told with the sets there are.
        if (row->value != nullptr && !row->valueOptional && value.empty() &&
            row->id != OptionId::Lang) {
          error = name + " needs a value";
          return std::nullopt;
        }
        if (!TakeOption(*row, value, o, error)) return std::nullopt;
        continue;
      }
      if (!haveCommand) {
        error = "unknown option " + a;
        return std::nullopt;
      }
    }
    if (!haveCommand) {
      o.command = a;
      haveCommand = true;
    } else {
      o.args.push_back(a);
    }
  }
  if (o.help || o.man) {
    o.command = "help";
    o.args.clear();
    return o;
  }
  if (o.version) return o;
  if (o.langGiven && !IsTextLanguage(o.lang)) {
    error = "unknown language " + o.lang + " for --lang (allowed: " + TextLanguageList() + ")";
    return std::nullopt;
  }
  if (!haveCommand) {
    error = "no command given";
    return std::nullopt;
  }
  const CliCommand* command = FindCommand(o.command);
  if (command == nullptr) {
    error = "unknown command " + o.command;
    return std::nullopt;
  }
  if (o.args.size() < command->minArgs || o.args.size() > command->maxArgs) {
    error = "wrong number of arguments for " + o.command;
    return std::nullopt;
  }
  // No command takes an empty word: it is a file, a number or a name left
  // out by the script that called us.
  for (std::size_t k = 0; k < o.args.size(); ++k) {
    if (o.args[k].empty()) {
      error = "argument " + std::to_string(k + 1) + " of " + o.command + " is empty";
      return std::nullopt;
    }
  }
  if (command->checkArgs != nullptr && !command->checkArgs(o.args, error)) return std::nullopt;
  return o;
}

bool SplitChipName(const std::string& text, std::string& type, std::string& maker,
                   std::string& model) {
  const auto a = text.find('/');
  if (a == std::string::npos) return false;
  const auto b = text.find('/', a + 1);
  if (b == std::string::npos) return false;
  type = text.substr(0, a);
  maker = text.substr(a + 1, b - a - 1);
  model = text.substr(b + 1);
  return !type.empty() && !model.empty();
}

}  // namespace tarnwick::cli
