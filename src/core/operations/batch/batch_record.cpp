#include "core/operations/batch/batch_record.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/app/hex_text.h"
#include "core/app/std_file.h"

namespace tarnwick {

const char* BatchResultText(int result) {
  switch (result) {
    case batch::kResultDone:
      return "done";
    case batch::kResultNoFile:
      return "no file";
    case batch::kResultRefused:
      return "refused";
    case batch::kResultStepFailed:
      return "step failed";
    default:
      return "new chip";
  }
}

namespace batch {
namespace {

namespace fs = std::filesystem;

enum Column { kChip, kTime, kMode, kFile, kId, kChecksum, kSteps, kResult, kSeconds, kColumns };

// The temporary data files of mode Serial end in this, after "-<n>".
constexpr const char* kSerialSuffix = ".tmp~";
constexpr const char* kSerialInfix = "-ID-";

// A CSV field: quoted when it holds a separator, a quote or a line end.
std::string CsvField(const std::string& value) {
  if (value.find_first_of(",\"\r\n") == std::string::npos) return value;
  std::string quoted = "\"";
  for (char c : value) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

std::string Normal(const std::string& path) {
  std::error_code ec;
  const fs::path p = fs::weakly_canonical(fs::absolute(path, ec), ec);
  return ec ? fs::path(path).lexically_normal().string() : p.string();
}

// The master a serial data file "<master>-ID-<n>.tmp~" was made from; the
// name itself for any other file.
std::string MasterOf(const std::string& file) {
  const std::string suffix = kSerialSuffix;
  if (file.size() <= suffix.size() ||
      file.compare(file.size() - suffix.size(), suffix.size(), suffix) != 0) {
    return file;
  }
  std::size_t end = file.size() - suffix.size();
  std::size_t digits = end;
  while (digits > 0 && file[digits - 1] >= '0' && file[digits - 1] <= '9') --digits;
  const std::string infix = kSerialInfix;
  if (digits == end || digits < infix.size() ||
      file.compare(digits - infix.size(), infix.size(), infix) != 0) {
    return file;
  }
  return file.substr(0, digits - infix.size());
}

std::optional<std::uint64_t> ParseNumber(const std::string& text, int base) {
  return ParseNumberText(text, base, 20);
}

std::uint64_t IdSum(std::uint32_t id, int length) {
  std::uint64_t sum = 0;
  for (int i = 0; i < length && i < 4; ++i) sum += (id >> (8 * i)) & 0xFFu;
  return sum;
}

}  // namespace

bool AppendRecordLine(const std::string& path, const BatchChipLine& line) {
  std::error_code ec;
  const bool fresh = !fs::exists(path, ec) || fs::file_size(path, ec) == 0;
  std::string text;
  if (fresh) text += std::string(kRecordHeader) + "\n";
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.1f", line.seconds);
  text += std::to_string(line.chip) + "," + line.time + "," + ModeName(line.mode) + "," +
          CsvField(line.file) + "," + (line.id ? std::to_string(*line.id) : std::string()) + "," +
          line.checksum + "," + line.steps + "," + BatchResultText(line.result) + "," + seconds +
          "\n";
  // One write in append mode: runs beside each other add whole lines. A FIFO
  // or a device in the record's place is not written to, nor waited on.
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
            ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  ok = ::close(fd) == 0 && ok;
  return ok;
}

std::vector<std::string> SplitCsvLine(const std::string& line) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c != '"') {
        fields.back() += c;
      } else if (i + 1 < line.size() && line[i + 1] == '"') {
        fields.back() += '"';
        ++i;
      } else {
        quoted = false;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      fields.emplace_back();
    } else if (c != '\r') {
      fields.back() += c;
    }
  }
  return fields;
}

SerialMaster DescribeMaster(const std::string& path, std::uint32_t fillAddress, int idLength) {
  SerialMaster m{path, fillAddress, idLength, std::nullopt};
  StdFile in(std::fopen(path.c_str(), "rb"));
  if (!in) return m;
  const std::uint64_t idStart = fillAddress;
  const std::uint64_t idEnd = idStart + static_cast<std::uint64_t>(idLength);
  auto underId = [&](std::uint64_t at) { return at >= idStart && at < idEnd; };
  std::uint64_t sum = 0;
  std::uint64_t at = 0;
  std::vector<std::uint8_t> block(65536);
  for (;;) {
    const std::size_t n = std::fread(block.data(), 1, block.size(), in.get());
    for (std::size_t i = 0; i < n; ++i, ++at) {
      if (!underId(at)) sum += block[i];
    }
    if (n < block.size()) break;
  }
  if (std::ferror(in.get()) != 0) return m;
  // The copy is padded with 0xFF up to the ID's end.
  for (; at < idStart; ++at) sum += 0xFF;
  m.baseSum = sum;
  return m;
}

std::set<std::uint32_t> RecordedIds(const std::string& recordPath, const SerialMaster& master) {
  std::set<std::uint32_t> ids;
  std::ifstream in(recordPath, std::ios::binary);
  if (!in) return ids;
  const std::string masterPath = Normal(master.path);
  for (std::string text; std::getline(in, text);) {
    const std::vector<std::string> f = SplitCsvLine(text);
    if (f.size() < kColumns || f[kMode] != ModeName(Mode::Serial) ||
        f[kResult] != BatchResultText(kResultDone)) {
      continue;
    }
    const std::optional<std::uint64_t> id = ParseNumber(f[kId], 10);
    if (!id || *id > 0xFFFFFFFFu) continue;
    const auto id32 = static_cast<std::uint32_t>(*id);
    bool same = Normal(MasterOf(f[kFile])) == masterPath;
    if (!same && master.baseSum) {
      const std::optional<std::uint64_t> sum = ParseNumber(f[kChecksum], 16);
      same = sum && *sum == *master.baseSum + IdSum(id32, master.idLength);
    }
    if (same) ids.insert(id32);
  }
  return ids;
}

}  // namespace batch
}  // namespace tarnwick
