#include "core/buffers/merge_split/file_tools.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <limits>

#include "core/app/text_ids.h"
#include "core/buffers/image_copy.h"
#include "core/buffers/posix_file.h"
#include "core/buffers/program_files.h"
#include "core/buffers/replacing_file.h"

namespace tarnwick::buffers {
namespace {

namespace fs = std::filesystem;

// Copies `length` bytes from `in` at `from` to `out` at `to` (inside the
// kernel where it can); false when the source ends early or a write fails
// (a full disk).
bool CopyWhole(const PosixFile& in, std::uint64_t from, std::uint64_t length, PosixFile& out,
               std::uint64_t to) {
  return CopyBytes(in, from, out, to, length) == static_cast<std::int64_t>(length);
}

FileToolResult Ended(int message, bool done, std::vector<std::string> written = {}) {
  return FileToolResult{message, done, std::move(written)};
}

constexpr const char* kFullWidthComma = "\xEF\xBC\x8C";  // "，"

std::string WithPlainCommas(std::string points) {
  const std::string wide = kFullWidthComma;
  for (std::size_t at = points.find(wide); at != std::string::npos; at = points.find(wide, at)) {
    points.replace(at, wide.size(), ",");
  }
  return points;
}

// One split point of digits only, leading zeros and all; false when it
// does not fit in 64 bits.
bool ParsePoint(const std::string& word, std::uint64_t& value) {
  value = 0;
  for (const char c : word) {
    const auto digit = static_cast<std::uint64_t>(c - '0');
    if (value > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) return false;
    value = value * 10 + digit;
  }
  return true;
}

}  // namespace

std::string MergedPath(const std::string& folder, const std::string& name) {
  std::string path = folder;
  if (path.empty() || path.back() != '/') path += '/';
  path += name;
  if (name.find('.') == std::string::npos) path += ".bin";
  return path;
}

FileToolResult MergeFiles(const std::string& folder, const std::string& name,
                          const std::vector<std::string>& inputs,
                          const std::vector<std::string>& protectedFiles) {
  if (folder.empty()) return Ended(itext::kMergeNoFolder, false);
  if (name.empty()) return Ended(itext::kMergeNoName, false);
  const std::string path = MergedPath(folder, name);
  if (IsOneOfFiles(protectedFiles, path)) return Ended(itext::kMergeCannotCreate, false);
  // The result would take the place of one of its own inputs.
  for (const std::string& input : inputs) {
    if (SameFile(input, path)) return Ended(itext::kMergeCannotCreate, false);
  }
  // Written beside the result and put in its place at the end: a full disk
  // leaves a result merged before as it was.
  ReplacingFile out;
  if (!out.Open(path)) return Ended(itext::kMergeCannotCreate, false);
  std::uint64_t at = 0;
  for (const std::string& input : inputs) {
    PosixFile in;
    if (!in.Open(input, PosixFile::Mode::ReadOnly)) {
      // What was copied so far stays.
      if (!out.Commit()) return Ended(itext::kMergeCannotCreate, false);
      return Ended(itext::kCannotOpenFile, false, {path});
    }
    const std::int64_t length = in.Length();
    if (length < 0 || !CopyWhole(in, 0, static_cast<std::uint64_t>(length), out.file(), at)) {
      return Ended(itext::kMergeCannotCreate, false);
    }
    at += static_cast<std::uint64_t>(length);
  }
  if (!out.Commit()) return Ended(itext::kMergeCannotCreate, false);
  return Ended(itext::kMergeDone, true, {path});
}

bool SplitPointsValid(const std::string& typed) {
  const std::string points = WithPlainCommas(typed);
  if (!points.empty() && points.front() == ',') return false;
  if (!std::all_of(points.begin(), points.end(),
                   [](char c) { return c == ',' || (c >= '0' && c <= '9'); })) {
    return false;
  }
  std::size_t at = 0;
  while (at < points.size()) {
    const std::size_t comma = std::min(points.find(',', at), points.size());
    std::uint64_t point = 0;
    if (!ParsePoint(points.substr(at, comma - at), point)) return false;
    at = comma + 1;
  }
  return true;
}

std::vector<SplitPart> PlanSplit(const std::string& typed, std::uint64_t length) {
  const std::string points = WithPlainCommas(typed);
  std::vector<SplitPart> parts;
  std::uint64_t previous = 0;
  std::size_t at = 0;
  while (at < points.size()) {
    const std::size_t comma = std::min(points.find(',', at), points.size());
    const std::string word = points.substr(at, comma - at);
    // An empty number (a trailing or doubled comma) ends the list.
    std::uint64_t point = 0;
    if (word.empty() || !ParsePoint(word, point) || point > length) break;
    if (point > previous) {
      parts.push_back({previous, point - previous});
      previous = point;
    }
    at = comma + 1;
  }
  parts.push_back({previous, length - previous});
  return parts;
}

std::string SplitPartPath(const std::string& source, const SplitPart& part) {
  const std::size_t slash = source.find_last_of('/');
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  std::size_t dot = source.find_last_of('.');
  if (dot == std::string::npos || dot < nameStart) dot = source.size();
  // The last offset of an empty part is the one before its first, as the
  // part names have always counted.
  const long long first = static_cast<long long>(part.first);
  const long long last = first + static_cast<long long>(part.length) - 1;
  return source.substr(0, dot) + "_" + std::to_string(first) + "-" + std::to_string(last) +
         source.substr(dot);
}

FileToolResult SplitFile(const std::string& source, const std::string& points) {
  if (source.empty()) return Ended(FileToolResult::kNoMessage, false);
  if (points.empty()) return Ended(itext::kSplitNoPoints, false);
  if (!SplitPointsValid(points)) return Ended(itext::kSplitBadPoints, false);
  PosixFile in;
  if (!in.Open(source, PosixFile::Mode::ReadOnly)) return Ended(itext::kCannotOpenFile, false);
  const std::int64_t length = in.Length();
  if (length < 0) return Ended(itext::kCannotOpenFile, false);
  std::vector<std::string> written;
  for (const SplitPart& part : PlanSplit(points, static_cast<std::uint64_t>(length))) {
    const std::string path = SplitPartPath(source, part);
    // Each part replaces an older one only once it is whole.
    ReplacingFile out;
    if (!out.Open(path) || !CopyWhole(in, part.first, part.length, out.file(), 0) ||
        !out.Commit()) {
      // The parts already written stay.
      return Ended(itext::kSplitCannotCreate, false, std::move(written));
    }
    written.push_back(path);
  }
  return Ended(itext::kSplitDone, true, std::move(written));
}

}  // namespace tarnwick::buffers
