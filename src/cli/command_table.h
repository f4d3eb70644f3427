// The command line's commands, one row each: its name, its arguments, its
// help line and its handler. Usage, `help` and the argument checks all read
// this table; a command group adds its rows in its own source file.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "cli/cli_options.h"

namespace tarnwick {
class Session;
}

namespace tarnwick::cli {

class TerminalSurface;

// Exit statuses shared by the commands.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
// --chip names a chip the identification in the socket does not match.
inline constexpr int kExitNotACandidate = 5;

// What a handler works with.
struct CliContext {
  Session& session;
  TerminalSurface& surface;
  const CliOptions& options;
  // The program's own files (base directory, virtual box): never a target.
  std::vector<std::string> ownFiles;
};

struct CliCommand {
  const char* name;
  const char* arguments;  // as usage shows them, "" for none
  std::size_t minArgs;
  std::size_t maxArgs;
  const char* help;
  // nullptr for `help`, which needs neither a box nor a session.
  int (*run)(CliContext& context);
  // Commands that work with the box start as the window does, with the
  // start-up detection, so the selection follows the chip in the socket.
  bool usesBox = true;
  // Checks the arguments' words before anything starts (nullptr: the count
  // is all there is to check); false with the reason in `error`.
  bool (*checkArgs)(const std::vector<std::string>& args, std::string& error) = nullptr;
  // When set, decides `usesBox` from the words: a group whose file-only
  // subcommands must not wait for the box's detection.
  bool (*usesBoxFor)(const std::vector<std::string>& args) = nullptr;
};

// Every command, in the order usage lists them.
std::span<const CliCommand> Commands();
const CliCommand* FindCommand(const std::string& name);

// The command groups' rows (one source file each).
std::span<const CliCommand> DetectCommands();
std::span<const CliCommand> CatalogueCommands();
std::span<const CliCommand> ChipCommands();
std::span<const CliCommand> SettingsCommands();
std::span<const CliCommand> BatchCommands();
std::span<const CliCommand> OtpCommands();
std::span<const CliCommand> FirmwareCommands();
std::span<const CliCommand> FileCommands();
std::span<const CliCommand> FillCommands();
std::span<const CliCommand> PeekCommands();
std::span<const CliCommand> FindCommands();

}  // namespace tarnwick::cli
