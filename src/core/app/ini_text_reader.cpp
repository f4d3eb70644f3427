#include "core/app/ini_text_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>

namespace tarnwick {
namespace {

constexpr char kReadErrorFormat[] = "文件复制到内存失败！ \r\n错误代码：#%d";

bool IsBlank(char c) {
  // Only ASCII white space: bytes of UTF-8 sequences are text.
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// "name[index]": the index is what follows the first "[" less the last
// character; the name stands before the "[" and exists only when the "[" is
// not the first character.
struct Split {
  std::string name;
  std::string index;
  bool hasName = false;
  bool hasIndex = false;
};

Split SplitBrackets(std::string_view s) {
  Split out;
  const auto open = s.find('[');
  if (open != std::string_view::npos && s.find(']') != std::string_view::npos) {
    const std::size_t start = open + 1;
    // A "[" in last place leaves nothing to take.
    const std::size_t length = s.size() > start + 1 ? s.size() - start - 1 : 0;
    out.index = std::string(s.substr(start, length));
    out.hasIndex = true;
    if (open > 0) {
      out.name = std::string(s.substr(0, open));
      out.hasName = true;
    }
  } else if (!s.empty()) {
    out.name = std::string(s);
    out.hasName = true;
  }
  return out;
}

}  // namespace

std::string TextFileErrorMessage(const TextFileError& error) {
  char message[128];
  std::snprintf(message, sizeof message, kReadErrorFormat, error.cause);
  // The table's own wording, then which file and why in the system's words:
  // with two tables and a base directory of choice the number alone says little.
  return std::string(message) + "\r\n" + error.path + ": " + std::strerror(error.cause);
}

namespace {

void ReportReadError(const IniTextReader::ErrorSink& sink, const std::string& path, int cause) {
  if (sink) sink(TextFileErrorMessage({path, cause}));
}

}  // namespace

ParsedLine ParseIniLine(std::string_view raw) {
  ParsedLine line;
  const auto semicolon = raw.find(';');
  if (semicolon != std::string_view::npos) raw = raw.substr(0, semicolon);
  const std::string_view text = Trim(raw);
  line.text = std::string(text);
  if (text.empty()) return line;

  if (text.front() == '[' && text.back() == ']') {
    if (text.size() >= 3) {
      line.section = std::string(text.substr(1, text.size() - 2));
      line.flags = ParsedLine::kSection;
    }
    return line;  // "[]" stays an empty line
  }

  const auto equals = text.find('=');
  const std::string_view key = text.substr(0, equals);
  const std::string_view value =
      equals == std::string_view::npos ? std::string_view() : text.substr(equals + 1);

  const Split k = SplitBrackets(key);
  line.keyName = k.name;
  line.keyIndex = k.index;
  if (k.hasName) line.flags |= ParsedLine::kKeyName;
  if (k.hasIndex) line.flags |= ParsedLine::kKeyIndex;

  const Split v = SplitBrackets(value);
  line.value = v.name;
  line.valueIndex = v.index;
  if (v.hasName) line.flags |= ParsedLine::kValue;
  if (v.hasIndex) line.flags |= ParsedLine::kValueIndex;
  return line;
}

bool IniTextReader::Load(const std::string& path, const ErrorSink& onReadError) {
  buffer_.clear();
  position_ = 0;
  // Non-blocking, so a FIFO in the table's place cannot hang the start.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    // A missing table shows as its placeholders; one that is there but cannot
    // be opened (no permission, a symlink loop) is named.
    if (errno != ENOENT) ReportReadError(onReadError, path, errno);
    return false;
  }

  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    ReportReadError(onReadError, path, errno);
    ::close(fd);
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    ReportReadError(onReadError, path, S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    ::close(fd);
    return false;
  }
  // The length is a 32-bit count; a text table is never near that.
  const auto length = static_cast<std::uint64_t>(st.st_size < 0 ? 0 : st.st_size);
  if (length > std::numeric_limits<std::uint32_t>::max()) {
    ReportReadError(onReadError, path, EFBIG);
    ::close(fd);
    return false;
  }

  std::string bytes;
  try {
    bytes.resize(static_cast<std::size_t>(length));
  } catch (const std::bad_alloc&) {
    ReportReadError(onReadError, path, ENOMEM);
    ::close(fd);
    return false;
  }

  std::size_t done = 0;
  while (done < bytes.size()) {
    const std::size_t want = std::min(kReadPiece, bytes.size() - done);
    const ssize_t got = ::read(fd, bytes.data() + done, want);
    if (got < 0) {
      if (errno == EINTR) continue;
      ReportReadError(onReadError, path, errno);
      ::close(fd);
      return false;
    }
    if (got == 0) break;  // the file shrank meanwhile: keep what is there
    done += static_cast<std::size_t>(got);
  }
  ::close(fd);
  bytes.resize(done);
  LoadBytes(std::move(bytes));
  return true;
}

void IniTextReader::LoadBytes(std::string bytes) {
  buffer_ = std::move(bytes);
  position_ = 0;
  section_.clear();
  line_ = ParsedLine{};
}

std::string_view IniTextReader::LineText() const {
  const std::string_view rest = std::string_view(buffer_).substr(position_);
  // A lone LF ends a line too, so files from Linux editors read correctly.
  const auto end = rest.find_first_of("\r\n");
  return rest.substr(0, end);
}

bool IniTextReader::Advance() {
  const auto lf = buffer_.find('\n', position_);
  if (lf == std::string::npos) return false;
  position_ = lf + 1;
  return true;
}

void IniTextReader::StepBack() {
  if (position_ == 0) return;
  // position_ - 1 is the LF that ended the previous line; its start follows
  // the LF before that.
  const std::size_t end = position_ - 1;
  const auto lf = end == 0 ? std::string::npos : buffer_.rfind('\n', end - 1);
  position_ = lf == std::string::npos ? 0 : lf + 1;
}

bool IniTextReader::FindSection(const std::string& name) {
  position_ = 0;
  for (;;) {
    ParseCurrent();
    if (line_.IsSection() && line_.section == name) {
      section_ = name;
      return true;
    }
    if (!Advance()) return false;
  }
}

bool IniTextReader::NextEntry() {
  for (;;) {
    if (!Advance()) return false;
    ParseCurrent();
    if (line_.IsEmpty()) continue;
    if (line_.IsSection()) {
      StepBack();
      return false;
    }
    return true;
  }
}

bool IniTextReader::EntryNumber(int& out) const {
  if ((line_.flags & ParsedLine::kKeyName) == 0) return false;
  const std::string& key = line_.keyName;
  if (key.empty()) return false;
  long long number = 0;
  for (char c : key) {
    // Anything but plain digits ("12 " with a blank before the "=") would
    // give an unrelated number, so such keys name no entry.
    if (c < '0' || c > '9') return false;
    number = number * 10 + (c - '0');
    if (number > std::numeric_limits<int>::max()) return false;
  }
  out = static_cast<int>(number);
  return true;
}

}  // namespace tarnwick
