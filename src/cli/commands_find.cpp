// find PATTERN FILE [--text]: every hit's offset is printed as the find
// dialog's "find next" would step through them. FILE is searched where it
// is, read-only: it does not become the file image.
// Exit 0 with hits, 1 without, 2 when FILE cannot be opened or searched.
#include <cstdio>
#include <string>

#include "cli/command_table.h"
#include "cli/json_report.h"
#include "core/buffers/posix_file.h"
#include "core/buffers/tools/pattern_search.h"
#include "core/operations/find/find_texts.h"
#include "core/session/session.h"

namespace tarnwick::cli {
namespace {

// The hits go out in large writes: a file full of hits prints millions.
class HitPrinter {
 public:
  void Add(std::uint64_t offset) {
    char line[24];
    const int n =
        std::snprintf(line, sizeof line, "%08llX\n", static_cast<unsigned long long>(offset));
    text_.append(line, static_cast<std::size_t>(n));
    if (text_.size() >= kFlushAt) Flush();
  }
  void Flush() {
    std::fwrite(text_.data(), 1, text_.size(), stdout);
    text_.clear();
  }

 private:
  static constexpr std::size_t kFlushAt = 1 << 16;
  std::string text_;
};

bool CheckWords(const std::vector<std::string>& a, std::string& error) {
  if (a.size() == 3 && a[2] != "--text") {
    error = "find PATTERN FILE takes only --text after FILE";
    return false;
  }
  return true;
}

int Find(CliContext& c) {
  const std::vector<std::string>& a = c.options.args;
  const buffers::SearchPattern pattern = buffers::ParseSearchPattern(a[0], a.size() < 3);
  if (pattern.problem != 0) {
    std::fprintf(stderr, "tarnwick-cli: %s\n", c.session.texts().itext(pattern.problem).c_str());
    return kExitUsage;
  }
  // A folder, a FIFO or a device is not a file to search (a FIFO would
  // block the open).
  buffers::PosixFile file;
  if (buffers::TakenByNonFile(a[1]) || !file.Open(a[1], buffers::PosixFile::Mode::ReadOnly)) {
    std::fprintf(stderr, "tarnwick-cli: cannot load %s\n", a[1].c_str());
    return kExitUsage;
  }
  buffers::PatternSearch search(file, pattern.bytes);
  HitPrinter printer;
  std::uint64_t hits = 0;
  // --json: the offsets as numbers in the report instead of the lines.
  nlohmann::json offsets = nlohmann::json::array();
  while (const std::optional<std::uint64_t> hit = search.Next()) {
    if (c.options.json) {
      offsets.push_back(*hit);
    } else {
      printer.Add(*hit);
    }
    ++hits;
  }
  printer.Flush();
  if (c.options.json) {
    nlohmann::json& f = JsonFields();
    f["pattern"] = a[0];
    f["text"] = a.size() == 3;
    f["file"] = a[1];
    f["offsets"] = std::move(offsets);
    f["count"] = hits;
  }
  if (search.failed()) {
    // The hits printed before it are not all there may be.
    std::fprintf(stderr, "tarnwick-cli: %s\n", find_texts::ReadFailedAt(search.failedAt()).c_str());
    return kExitUsage;
  }
  return hits > 0 ? kExitOk : kExitFailed;
}

constexpr CliCommand kCommands[] = {
    {"find", "PATTERN FILE [--text]", 2, 3,
     "print the offset of every hit of PATTERN (hex digits, or text with --text) in FILE", Find,
     CliCommand::Needs::Nothing, CheckWords},
};

}  // namespace

std::span<const CliCommand> FindCommands() { return kCommands; }

}  // namespace tarnwick::cli
