// merge OUT IN..., split FILE POINTS: the file tools, with no box. The
// dialogs' message goes to standard error, the files made to standard output.
#include <cstdio>
#include <filesystem>

#include "cli/command_table.h"
#include "core/buffers/merge_split/file_tools.h"
#include "core/buffers/posix_file.h"
#include "core/session/session.h"

namespace tarnwick::cli {
namespace {

namespace fs = std::filesystem;

int Report(CliContext& c, const buffers::FileToolResult& r) {
  if (r.message != buffers::FileToolResult::kNoMessage) {
    std::fprintf(stderr, "%s%s\n",
                 r.done ? "" : "error: ", c.session.texts().itext(r.message).c_str());
  }
  for (const std::string& path : r.written) std::printf("%s\n", path.c_str());
  return r.done ? kExitOk : kExitFailed;
}

int Merge(CliContext& c) {
  const fs::path out = fs::absolute(c.options.args[0]);
  std::vector<std::string> inputs(c.options.args.begin() + 1, c.options.args.end());
  for (const std::string& own : c.ownFiles) {
    if (buffers::SameFile(
            own, buffers::MergedPath(out.parent_path().string(), out.filename().string()))) {
      std::fprintf(stderr, "tarnwick-cli: %s is one of the program's own files\n", out.c_str());
      return kExitFailed;
    }
  }
  return Report(c,
                buffers::MergeFiles(out.parent_path().string(), out.filename().string(), inputs));
}

int Split(CliContext& c) {
  return Report(c, buffers::SplitFile(fs::absolute(c.options.args[0]).string(), c.options.args[1]));
}

constexpr CliCommand kCommands[] = {
    {"merge", "OUT IN...", 2, 100000,
     "join the IN files end to end into OUT (\".bin\" added when OUT has no '.')", Merge,
     CliCommand::Needs::Nothing},
    {"split", "FILE POINTS", 2, 2,
     "cut FILE at the byte offsets POINTS (\"1024,2048\") into FILE_0-1023.bin, ...", Split,
     CliCommand::Needs::Nothing},
};

}  // namespace

std::span<const CliCommand> FileCommands() { return kCommands; }

}  // namespace tarnwick::cli
