// merge OUT IN..., split FILE POINTS: the file tools, with no box. The
// dialogs' message goes to standard error, the files made to standard output.
#include <cstdio>
#include <filesystem>

#include "cli/command_table.h"
#include "cli/json_report.h"
#include "core/buffers/merge_split/file_tools.h"
#include "core/buffers/program_files.h"
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
  if (c.options.json) {
    JsonFields()["files"] = r.written;
    if (r.message != buffers::FileToolResult::kNoMessage) {
      JsonFields()["message"] = c.session.texts().itext(r.message);
    }
  }
  return r.done ? kExitOk : kExitFailed;
}

// The word as an absolute path; false with a message when it cannot be
// made one (the working folder was removed under us).
bool Absolute(const std::string& word, fs::path& path) {
  std::error_code ec;
  path = fs::absolute(word, ec);
  if (!ec) return true;
  std::fprintf(stderr, "tarnwick-cli: %s: no absolute path can be made (%s)\n", word.c_str(),
               ec.message().c_str());
  return false;
}

int Merge(CliContext& c) {
  fs::path out;
  if (!Absolute(c.options.args[0], out)) return kExitUsage;
  std::vector<std::string> inputs;
  for (auto word = c.options.args.begin() + 1; word != c.options.args.end(); ++word) {
    fs::path input;
    if (!Absolute(*word, input)) return kExitUsage;
    inputs.push_back(input.string());
  }
  const std::string folder = out.parent_path().string();
  const std::string name = out.filename().string();
  if (name.empty()) {
    std::fprintf(stderr, "tarnwick-cli: %s names a folder, not a file\n", out.c_str());
    return kExitUsage;
  }
  // The window's own files and those of the virtual box alike.
  std::vector<std::string> own = buffers::ProgramFiles(c.session.layout());
  own.insert(own.end(), c.ownFiles.begin(), c.ownFiles.end());
  if (buffers::IsOneOfFiles(own, buffers::MergedPath(folder, name))) {
    std::fprintf(stderr, "tarnwick-cli: %s is one of the program's own files\n", out.c_str());
    return kExitFailed;
  }
  return Report(c, buffers::MergeFiles(folder, name, inputs, own));
}

int Split(CliContext& c) {
  fs::path source;
  if (!Absolute(c.options.args[0], source)) return kExitUsage;
  return Report(c, buffers::SplitFile(source.string(), c.options.args[1]));
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
