// Joining files end to end and cutting one file at byte offsets: file
// utilities on disk only, touching neither the file image nor the box.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarnwick::buffers {

// What a merge or split ends with: the message's text number (none for a
// split without a source), and whether the work was done.
struct FileToolResult {
  static constexpr int kNoMessage = -1;
  int message = kNoMessage;
  bool done = false;
  std::vector<std::string> written;  // the files made, in order
};

// The merged file's path: the folder, a separator when it has none at its
// end, the name, and ".bin" when the name has no '.'.
std::string MergedPath(const std::string& folder, const std::string& name);
// A result that would land on one of `protectedFiles` (the program's own
// files) is refused as one that cannot be made.
FileToolResult MergeFiles(const std::string& folder, const std::string& name,
                          const std::vector<std::string>& inputs,
                          const std::vector<std::string>& protectedFiles = {});

// One part of a split: its first offset and its length.
struct SplitPart {
  std::uint64_t first = 0;
  std::uint64_t length = 0;
};

// The split points as typed (full-width commas allowed); false when a
// character other than digits and commas, or a leading comma, is in them,
// or a number does not fit in 64 bits. Leading zeros are allowed.
bool SplitPointsValid(const std::string& points);
// The parts of a `length`-byte file for valid points: a point beyond the
// end ends the list, one not above the previous point is skipped, and the
// rest of the file is the last part.
std::vector<SplitPart> PlanSplit(const std::string& points, std::uint64_t length);
// "<path up to the last '.'>_<first>-<last><extension>"; a file name
// without '.' keeps the whole path and gets no extension.
std::string SplitPartPath(const std::string& source, const SplitPart& part);
FileToolResult SplitFile(const std::string& source, const std::string& points);

}  // namespace tarnwick::buffers
