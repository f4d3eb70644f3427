#include "core/operations/batch/batch_plan.h"

#include "core/app/std_file.h"
#include "core/buffers/image_copy.h"
#include "core/buffers/posix_file.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

namespace tarnwick::batch {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kBlock = 65536;

using File = StdFile;

bool Exists(const std::string& path) {
  std::error_code ec;
  return fs::exists(path, ec);
}

bool IsRegularFile(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

bool IsEmptyFile(const std::string& path) {
  std::error_code ec;
  return fs::file_size(path, ec) == 0 && !ec;
}

std::string BaseName(const std::string& path) { return fs::path(path).filename().string(); }

// Appends all of `source` to the end of the file `destination`.
bool AppendAll(const std::string& destination, const std::string& source) {
  buffers::PosixFile in;
  buffers::PosixFile out;
  if (!in.Open(source, buffers::PosixFile::Mode::ReadOnly) ||
      !out.Open(destination, buffers::PosixFile::Mode::ReadWrite)) {
    return false;
  }
  const std::int64_t length = in.Length();
  const std::int64_t end = out.Length();
  return length >= 0 && end >= 0 &&
         buffers::CopyBytes(in, 0, out, static_cast<std::uint64_t>(end),
                            static_cast<std::uint64_t>(length)) == length;
}

}  // namespace

Enabling EnablingFor(Mode mode) {
  switch (mode) {
    case Mode::Repeat:
      return {false, false, false, true};
    case Mode::List:
      return {true, false, false, false};
    case Mode::Serial:
      return {false, true, true, true};
    case Mode::Append:
      return {true, true, false, true};
  }
  return {false, false, false, true};
}

const char* ModeName(Mode mode) {
  switch (mode) {
    case Mode::Repeat:
      return "repeat";
    case Mode::List:
      return "list";
    case Mode::Serial:
      return "serial";
    case Mode::Append:
      return "append";
  }
  return "?";
}

std::string UniqueName(const std::string& base) {
  for (unsigned n = 0;; ++n) {
    std::string name = base + "-" + std::to_string(n) + ".tmp~";
    if (!Exists(name)) return name;
  }
}

bool CopyPadded(const std::string& destination, const std::string& source,
                std::uint64_t sizeNeeded) {
  buffers::PosixFile in;
  buffers::PosixFile out;
  if (!in.Open(source, buffers::PosixFile::Mode::ReadOnly) ||
      !out.Open(destination, buffers::PosixFile::Mode::CreateWriteOnly)) {
    return false;
  }
  const std::int64_t length = in.Length();
  if (length < 0) return false;
  const std::int64_t copied = buffers::CopyBytes(in, 0, out, 0, static_cast<std::uint64_t>(length));
  if (copied < 0) return false;
  std::uint64_t written = static_cast<std::uint64_t>(copied);
  const std::vector<std::uint8_t> ff(kBlock, 0xFF);
  while (written < sizeNeeded) {
    const std::size_t n =
        static_cast<std::size_t>(std::min<std::uint64_t>(kBlock, sizeNeeded - written));
    if (!out.WriteAt(written, ff.data(), n)) return false;
    written += n;
  }
  return true;
}

std::vector<std::uint8_t> IdBytes(std::uint32_t id, int length, ByteOrder order) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(static_cast<std::size_t>(std::max(length, 0)));
  for (int i = 0; i < length; ++i) bytes.push_back(static_cast<std::uint8_t>(id >> (8 * i)));
  if (order == ByteOrder::Big) std::reverse(bytes.begin(), bytes.end());
  return bytes;
}

std::uint32_t MaxId(int length) {
  return length >= 4 ? 0xFFFFFFFFu : (std::uint32_t{1} << (8 * std::max(length, 0))) - 1;
}

bool SeriesFits(std::uint32_t first, std::uint32_t increment, std::uint64_t chips, int length) {
  if (chips == 0) return true;
  // At most 2^32 chips times an increment below 2^32: no 64-bit overflow.
  const std::uint64_t last =
      std::uint64_t{first} + (std::min<std::uint64_t>(chips, 1ull << 32) - 1) * increment;
  return last <= MaxId(length);
}

bool WriteId(const std::string& file, std::uint32_t address, std::uint32_t id, int length,
             ByteOrder order) {
  File f(std::fopen(file.c_str(), "r+b"));
  if (!f) return false;
  if (std::fseek(f.get(), static_cast<long>(address), SEEK_SET) != 0) return false;
  const std::vector<std::uint8_t> bytes = IdBytes(id, length, order);
  if (std::fwrite(bytes.data(), 1, bytes.size(), f.get()) != bytes.size()) return false;
  return std::fclose(f.release()) == 0;
}

// ---- Plan -----------------------------------------------------------------

Field Plan::CheckFields(Fields& f) {
  const bool needsMaster = f.mode != Mode::List;
  const bool needsList = f.mode == Mode::List || f.mode == Mode::Append;
  if (needsMaster && !IsRegularFile(f.masterFile)) return Field::MasterFile;
  if (needsList && f.files.empty()) return Field::FileList;
  // An empty image would be "programmed" without a byte written.
  if (needsMaster && IsEmptyFile(f.masterFile)) return Field::EmptyImage;
  for (const std::string& file : f.files) {
    if (needsList && IsEmptyFile(file)) return Field::EmptyImage;
  }
  if (f.mode == Mode::Serial) {
    if (f.increment == 0) return Field::Increment;
    if (f.count < f.startId) f.count = f.startId;
    if (f.idLength != 1 && f.idLength != 2) f.idLength = 4;
    if (f.count > MaxId(f.idLength)) return Field::IdTooLarge;
  }
  return Field::None;
}

Field Plan::CheckAgainstChip(const Fields& f, std::uint64_t chipSize) {
  if (chipSize == 0) return Field::None;  // no chip selected: the step refuses
  if (f.mode == Mode::Serial) {
    const auto idEnd =
        std::uint64_t{f.fillAddress} + static_cast<std::uint64_t>(std::max(f.idLength, 1));
    if (idEnd > chipSize) return Field::FillAddress;
  }
  if (f.mode == Mode::Append && std::uint64_t{f.fillAddress} >= chipSize) return Field::FillAddress;
  return Field::None;
}

const std::string& Plan::recordName() const {
  switch (fields_.mode) {
    case Mode::Serial:
      return fields_.masterFile;
    case Mode::Append:
      return currentEntry_;
    case Mode::Repeat:
    case Mode::List:
      break;
  }
  return currentFile_;
}

void Plan::RemoveTemporaries() {
  std::error_code ec;
  for (const std::string& name : temporaries_) fs::remove(name, ec);
  temporaries_.clear();
}

bool Plan::Start(Fields fields) {
  fields_ = std::move(fields);
  if (fields_.idLength != 1 && fields_.idLength != 2) fields_.idLength = 4;
  currentFile_.clear();
  idsUsedUp_ = false;
  switch (fields_.mode) {
    case Mode::Repeat:
      currentFile_ = fields_.masterFile;
      return true;
    case Mode::List:
    case Mode::Append: {
      const int n = static_cast<int>(fields_.files.size());
      const int entry = fields_.selected >= 0 && fields_.selected < n ? fields_.selected : 0;
      return SelectEntry(entry);
    }
    case Mode::Serial: {
      const std::string name = UniqueName(fields_.masterFile + "-ID");
      const std::uint64_t needed =
          static_cast<std::uint64_t>(fields_.fillAddress) + static_cast<unsigned>(fields_.idLength);
      temporaries_.push_back(name);
      if (!CopyPadded(name, fields_.masterFile, needed)) return false;
      if (!WriteId(name, fields_.fillAddress, fields_.count, fields_.idLength, fields_.byteOrder)) {
        return false;
      }
      currentId_ = fields_.count;
      currentFile_ = name;
      return true;
    }
  }
  return false;
}

bool Plan::SelectEntry(int entry) {
  if (entry < 0 || entry >= static_cast<int>(fields_.files.size())) return false;
  fields_.selected = entry;
  const std::string& file = fields_.files[static_cast<std::size_t>(entry)];
  currentEntry_ = file;
  if (fields_.mode == Mode::List) {
    currentFile_ = file;
    return true;
  }
  const std::string name = UniqueName(fields_.masterFile + "-" + BaseName(file));
  temporaries_.push_back(name);
  if (!CopyPadded(name, fields_.masterFile, fields_.fillAddress) || !AppendAll(name, file)) {
    return false;
  }
  currentFile_ = name;
  return true;
}

bool Plan::Advance() {
  switch (fields_.mode) {
    case Mode::Repeat:
      ++fields_.count;
      return true;
    case Mode::Serial:
      // An ID is never cut to the length nor wrapped round to 0: either would
      // give a serial number that another chip already carries.
      if (!SeriesFits(fields_.count, fields_.increment, 2, fields_.idLength)) {
        idsUsedUp_ = true;
        return false;
      }
      fields_.count += fields_.increment;
      currentId_ = fields_.count;
      return WriteId(currentFile_, fields_.fillAddress, fields_.count, fields_.idLength,
                     fields_.byteOrder);
    case Mode::List:
    case Mode::Append: {
      ++fields_.count;
      const int next = fields_.selected + 1;
      if (next >= static_cast<int>(fields_.files.size())) {
        fields_.selected = -1;
        return false;
      }
      if (!SelectEntry(next)) {
        fields_.selected = -1;
        return false;
      }
      return true;
    }
  }
  return false;
}

StepLoad Plan::NextChipLoad() const {
  return fields_.mode == Mode::Repeat ? StepLoad::UseLoaded : StepLoad::LoadFile;
}

}  // namespace tarnwick::batch
