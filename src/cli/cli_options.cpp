#include "cli/cli_options.h"

#include "cli/command_table.h"
#include "core/app/text_languages.h"

namespace tarnwick::cli {

std::string UsageText() {
  std::string text =
      "usage: tarnwick-cli [--simulate[=FILE]] [--base-dir DIR] [--chip TYPE/MAKER/MODEL]\n"
      "                    [--lang en|zh_CN] [--no-detect] [--yes] COMMAND [ARGS]\n"
      "  --lang LANG         read the texts from lang/LANG/ in the program's folder\n"
      "commands:\n";
  for (const CliCommand& c : Commands()) {
    std::string words = c.name;
    if (*c.arguments != '\0') words += std::string(" ") + c.arguments;
    if (words.size() < 20) words.resize(20, ' ');
    text += "  " + words + " " + c.help + "\n";
  }
  return text;
}

std::optional<CliOptions> ParseCommandLine(int argc, char** argv, std::string& error) {
  CliOptions o;
  bool langGiven = false;
  int i = 1;
  for (; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--simulate") {
      o.simulate = true;
    } else if (a.rfind("--simulate=", 0) == 0) {
      o.simulate = true;
      o.simulateFile = a.substr(11);
    } else if (a == "--base-dir" || a == "--chip" || a == "--lang") {
      if (i + 1 >= argc) {
        error = a + " needs a value";
        return std::nullopt;
      }
      (a == "--base-dir" ? o.baseDir : a == "--chip" ? o.chip : o.lang) = argv[++i];
      langGiven = langGiven || a == "--lang";
    } else if (a.rfind("--base-dir=", 0) == 0) {
      o.baseDir = a.substr(11);
    } else if (a.rfind("--chip=", 0) == 0) {
      o.chip = a.substr(7);
    } else if (a.rfind("--lang=", 0) == 0) {
      o.lang = a.substr(7);
      langGiven = true;
    } else if (a == "--no-detect") {
      o.noDetect = true;
    } else if (a == "--yes" || a == "-y") {
      o.yes = true;
    } else if (a == "--help" || a == "-h") {
      o.command = "help";
      return o;
    } else if (a == "--man") {
      // Not in the usage: the build makes the manual page with it.
      o.command = "help";
      o.man = true;
      return o;
    } else if (!a.empty() && a[0] == '-') {
      error = "unknown option " + a;
      return std::nullopt;
    } else {
      break;
    }
  }
  if (langGiven && !IsTextLanguage(o.lang)) {
    error = "unknown language " + o.lang + " for --lang (allowed: " + TextLanguageList() + ")";
    return std::nullopt;
  }
  if (i >= argc) {
    error = "no command given";
    return std::nullopt;
  }
  o.command = argv[i++];
  for (; i < argc; ++i) o.args.emplace_back(argv[i]);
  const CliCommand* command = FindCommand(o.command);
  if (command == nullptr) {
    error = "unknown command " + o.command;
    return std::nullopt;
  }
  if (o.args.size() < command->minArgs || o.args.size() > command->maxArgs) {
    error = "wrong number of arguments for " + o.command;
    return std::nullopt;
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
