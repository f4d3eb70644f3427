// The command line's commands, one row each: its name, its arguments, its
// help line and its handler. Usage, `help` and the argument checks all read
// this table; a command group adds its rows in its own source file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/exit_codes.h"

namespace tarnwick {
class BoxSelector;
class Session;
}

namespace tarnwick::cli {

class TerminalSurface;

// What a handler works with.
struct CliContext {
  Session& session;
  TerminalSurface& surface;
  const CliOptions& options;
  // The program's own files (base directory, virtual box): never a target.
  std::vector<std::string> ownFiles;
  // The boxes on the bus and the one the run works with.
  BoxSelector* boxes = nullptr;
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
  // Commands that work on the chip's content also need that detection to
  // have found its catalogue record (or --chip to name it): the window would
  // go on with whatever record is selected, which here is the catalogue's
  // first one and not the chip in the socket.
  enum class Needs : std::uint8_t { Nothing, Box, CatalogueChip };
  Needs needs = Needs::Box;
  // Checks the arguments' words before anything starts (nullptr: the count
  // is all there is to check); false with the reason in `error`.
  bool (*checkArgs)(const std::vector<std::string>& args, std::string& error) = nullptr;
  // When set, decides from the words whether the box is used: a group whose file-only
  // subcommands must not wait for the box's detection.
  bool (*usesBoxFor)(const std::vector<std::string>& args) = nullptr;
  // A command that needs neither box, session nor base directory (run is
  // nullptr then): it works from the words alone.
  int (*runAlone)(const CliOptions& options) = nullptr;
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
std::span<const CliCommand> FeedbackCommands();
std::span<const CliCommand> UpdateCommands();
std::span<const CliCommand> CompletionCommands();
std::span<const CliCommand> DevicesCommands();

}  // namespace tarnwick::cli
