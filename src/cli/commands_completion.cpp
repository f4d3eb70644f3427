// completion bash|zsh: a completion script made from the command and option
// tables; --chip values come from the catalogue when the script runs.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command_table.h"
#include "cli/json_report.h"
#include "cli/option_table.h"

namespace tarnwick::cli {
namespace {

// The catalogue's models, one a line, read by the script from the program
// the line names.
constexpr const char* kChipModels =
    "\"$1\" chips --all 2>/dev/null | sed -e 's/  .*//' -e 's#.*/##' | sort -u";

std::string Words(bool takesValue) {
  std::string out;
  for (const OptionRow& row : Options()) {
    if (row.hidden || (row.value != nullptr && !row.valueOptional) != takesValue) continue;
    out += std::string(out.empty() ? "" : " ") + "--" + row.longName;
    if (row.shortName != '\0') out += std::string(" -") + row.shortName;
  }
  return out;
}

std::string CommandWords() {
  std::string out;
  for (const CliCommand& c : Commands()) out += std::string(out.empty() ? "" : " ") + c.name;
  return out;
}

std::string BashScript() {
  const std::string valued = Words(true);
  std::string valuedCase;
  for (std::size_t at = 0; at < valued.size();) {
    const std::size_t end = valued.find(' ', at);
    valuedCase += (valuedCase.empty() ? "" : "|") + valued.substr(at, end - at);
    at = end == std::string::npos ? valued.size() : end + 1;
  }
  std::string s;
  s += "# bash completion for tarnwick-cli (made by: tarnwick-cli completion bash)\n";
  s += "_tarnwick_cli_models() {\n  " + std::string(kChipModels) + "\n}\n";
  s += "_tarnwick_cli() {\n";
  s += "  local cur=\"${COMP_WORDS[COMP_CWORD]}\" prev=\"${COMP_WORDS[COMP_CWORD-1]}\"\n";
  s += "  local IFS=$'\\n'\n";
  s += "  case \"$prev\" in\n";
  s += "    --chip|-c) COMPREPLY=($(compgen -W \"$(_tarnwick_cli_models \"${COMP_WORDS[0]}\")\" "
       "-- \"$cur\")); return ;;\n";
  s += "    --base-dir) COMPREPLY=($(compgen -d -- \"$cur\")); return ;;\n";
  s += "    " + valuedCase + ") return ;;\n";
  s += "  esac\n";
  s += "  case \"$cur\" in\n";
  s += "    --simulate=*) COMPREPLY=($(compgen -f -P --simulate= -- \"${cur#--simulate=}\")); "
       "return ;;\n";
  s += "    -*) IFS=' ' COMPREPLY=($(compgen -W \"" + Words(false) + " " + valued +
       " --simulate\" -- \"$cur\")); return ;;\n";
  s += "  esac\n";
  s += "  local i word command=\n";
  s += "  for ((i = 1; i < COMP_CWORD; i++)); do\n";
  s += "    word=\"${COMP_WORDS[i]}\"\n";
  s += "    case \"$word\" in\n";
  s += "      " + valuedCase + ") ((i++)) ;;\n";
  s += "      -*) ;;\n";
  s += "      *) command=\"$word\"; break ;;\n";
  s += "    esac\n";
  s += "  done\n";
  s += "  if [[ -z \"$command\" ]]; then\n";
  s += "    IFS=' ' COMPREPLY=($(compgen -W \"" + CommandWords() + "\" -- \"$cur\"))\n";
  s += "  else\n";
  s += "    COMPREPLY=($(compgen -f -- \"$cur\"))\n";
  s += "  fi\n";
  s += "}\n";
  s += "complete -o filenames -F _tarnwick_cli tarnwick-cli\n";
  return s;
}

std::string ZshQuoted(const std::string& text) {
  std::string out;
  for (char ch : text) {
    if (ch == '\'') {
      out += "'\\''";
    } else if (ch == '[' || ch == ']' || ch == ':') {
      out += ' ';
    } else {
      out += ch;
    }
  }
  return out;
}

std::string ZshScript() {
  std::string s = "#compdef tarnwick-cli\n";
  s += "# zsh completion for tarnwick-cli (made by: tarnwick-cli completion zsh)\n";
  s += "_tarnwick_cli_models() {\n  local -a models\n  models=(${(f)\"$(" +
       std::string(kChipModels).replace(0, 4, "\"$words[1]\"") +
       ")\"})\n  _describe 'chip' models\n}\n";
  s += "_tarnwick_cli() {\n  local -a commands\n  commands=(\n";
  for (const CliCommand& c : Commands()) {
    s += "    '" + std::string(c.name) + ":" + ZshQuoted(c.help) + "'\n";
  }
  s += "  )\n  _arguments -s \\\n";
  for (const OptionRow& row : Options()) {
    if (row.hidden) continue;
    const std::string help = ZshQuoted(row.help);
    const std::string name = std::string("--") + row.longName;
    std::string action;
    if (row.id == OptionId::Chip) {
      action = ":chip:_tarnwick_cli_models";
    } else if (row.id == OptionId::BaseDir) {
      action = ":folder:_files -/";
    } else if (row.value != nullptr && !row.valueOptional) {
      action = std::string(":") + ZshQuoted(row.value) + ": ";
    }
    if (row.valueOptional) {
      s += "    '" + name + "=-[" + help + "]::file:_files' \\\n";
    } else if (row.shortName != '\0') {
      s += "    '(" + name + " -" + row.shortName + ")'{" + name + ",-" + row.shortName + "}'[" +
           help + "]" + action + "' \\\n";
    } else {
      s += "    '" + name + "[" + help + "]" + action + "' \\\n";
    }
  }
  s += "    '1:command:{_describe command commands}' \\\n";
  s += "    '*:file:_files'\n}\n";
  s += "_tarnwick_cli \"$@\"\n";
  return s;
}

bool CheckShell(const std::vector<std::string>& args, std::string& error) {
  if (args[0] == "bash" || args[0] == "zsh") return true;
  error = "completion is made for bash or zsh, not " + args[0];
  return false;
}

int Completion(const CliOptions& o) {
  const std::string script = o.args[0] == "bash" ? BashScript() : ZshScript();
  if (o.json) {
    JsonFields()["shell"] = o.args[0];
    JsonFields()["script"] = script;
    return kExitOk;
  }
  if (std::fwrite(script.data(), 1, script.size(), stdout) != script.size() ||
      std::fflush(stdout) != 0) {
    std::fprintf(stderr, "tarnwick-cli: standard output did not take the script\n");
    return kExitFailed;
  }
  return kExitOk;
}

constexpr CliCommand kCommands[] = {
    {"completion", "bash|zsh", 1, 1,
     "print a completion script for bash or zsh (--chip values from the catalogue)", nullptr,
     CliCommand::Needs::Nothing, CheckShell, nullptr, Completion},
};

}  // namespace

std::span<const CliCommand> CompletionCommands() { return kCommands; }

}  // namespace tarnwick::cli
