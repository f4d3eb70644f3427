// find PATTERN FILE [--text]: FILE becomes the file image and every hit's
// offset is printed as the find dialog's "find next" would step through them.
// Exit 0 with hits, 1 without, 2 when FILE cannot be loaded or searched.
#include <cstdio>

#include "cli/command_table.h"
#include "core/buffers/tools/pattern_search.h"
#include "core/operations/find/image_finder.h"
#include "core/session/session.h"

namespace tarnwick::cli {
namespace {

// Prints each hit and goes on at once.
class PrintingFindView : public FindView {
 public:
  explicit PrintingFindView(ImageFinder& finder) : finder_(finder) {}
  void ShowHit(std::uint64_t offset, std::size_t) override {
    std::printf("%08llX\n", static_cast<unsigned long long>(offset));
    finder_.Continue();
  }
  void SearchEnded(int) override {}

 private:
  ImageFinder& finder_;
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
  if (!c.session.LoadUserFile(a[1])) {
    std::fprintf(stderr, "tarnwick-cli: cannot load %s\n", a[1].c_str());
    return kExitUsage;
  }
  ImageFinder& finder = c.session.finder();
  PrintingFindView view(finder);
  finder.SetView(&view);
  finder.SetPattern(pattern.bytes);
  c.session.RunJobAndWait(Job::Find);
  finder.SetView(nullptr);
  // The job's box already said why a search stopped; the hits printed
  // before it are not all there may be.
  if (finder.SearchFailed()) return kExitUsage;
  return finder.HitsShown() > 0 ? kExitOk : kExitFailed;
}

constexpr CliCommand kCommands[] = {
    {"find", "PATTERN FILE [--text]", 2, 3,
     "print the offset of every hit of PATTERN (hex digits, or text with --text) in FILE", Find,
     CliCommand::Needs::Nothing, CheckWords},
};

}  // namespace

std::span<const CliCommand> FindCommands() { return kCommands; }

}  // namespace tarnwick::cli
