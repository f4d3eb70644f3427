#include "cli/man_page.h"

#include <string>

#include "cli/command_table.h"
#include "cli/exit_codes.h"
#include "cli/option_table.h"
#include "core/app/text_languages.h"
#include "version.h"

namespace tarnwick::cli {

std::string RoffEscape(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\\') {
      out += "\\e";
    } else if (c == '-') {
      out += "\\-";
    } else if ((c == '.' || c == '\'') && (i == 0 || text[i - 1] == '\n')) {
      out += "\\&";
      out += c;
    } else {
      out += c;
    }
  }
  return out;
}

std::string ManPageText() {
  std::string t;
  t += ".TH TARNWICK\\-CLI 1 \"\" \"Tarnwick " + std::string(kProgramVersion) +
       "\" \"User Commands\"\n";
  t += ".SH NAME\ntarnwick\\-cli \\- drive the serial memory chip programmer box from a shell\n";
  t += ".SH SYNOPSIS\n.B tarnwick\\-cli\n";
  t += "[\\fIOPTIONS\\fR] \\fICOMMAND\\fR [\\fIARGS\\fR]\n";
  t += ".SH DESCRIPTION\n";
  t += "The command line front end of Tarnwick: it detects, reads, programs, verifies and "
       "erases the chip in the programmer box's socket, as the window does. Status lines go "
       "to standard error, results to standard output.\n";
  t += ".SH OPTIONS\n";
  t += "Options may stand before or after the command and its arguments; \\-\\- ends "
       "them.\n";
  for (const OptionRow& row : Options()) {
    if (row.hidden) continue;
    t += ".TP\n.B " + RoffEscape(OptionWords(row)) + "\n" + RoffEscape(row.help) + "\n";
  }
  t += "Text sets: " + RoffEscape(TextLanguageList()) + ".\n";
  t += ".SH COMMANDS\n";
  for (const CliCommand& c : Commands()) {
    t += ".TP\n\\fB" + RoffEscape(c.name) + "\\fR";
    if (*c.arguments != '\0') t += " \\fI" + RoffEscape(c.arguments) + "\\fR";
    t += "\n" + RoffEscape(c.help) + "\n";
  }
  t += ".SH FILES\n";
  t += ".TP\n.I /usr/share/tarnwick/\n";
  t += "The shipped data of an installed program, read in place: database.dat, the text sets "
       "in lang/, the sounds, the manual and the example boxes in sim/.\n";
  t += ".TP\n.I $XDG_CONFIG_HOME/tarnwick/\n";
  t += "(normally \\fI~/.config/tarnwick/\\fR) the settings, services.ini, and the user's own "
       "database.dat, ftext.ini or itext.ini, which take the place of the shipped ones.\n";
  t += ".TP\n.I $XDG_STATE_HOME/tarnwick/\n";
  t += "(normally \\fI~/.local/state/tarnwick/\\fR) log.txt (moved to log.txt.1 at 10 MiB), the "
       "batch report and, in sim/, the virtual chips' content.\n";
  t += ".TP\n.I $XDG_CACHE_HOME/tarnwick/\n";
  t += "(normally \\fI~/.cache/tarnwick/\\fR) the work files: the file image's copy, the last "
       "chip read, temp/ and each run's cli-work/ folder.\n";
  t += ".TP\n.I <program folder>/\n";
  t += "A folder holding the program beside a writable database.dat is its own base "
       "directory (the portable form).\n";
  t += ".SH EXIT STATUS\n";
  for (const ExitCodeRow& row : ExitCodes()) {
    t += ".TP\n.B " + std::to_string(row.code) + "\n" + RoffEscape(row.meaning) + "\n";
  }
  return t;
}

}  // namespace tarnwick::cli
