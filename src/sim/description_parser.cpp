// The description file: "[section]" headers and "key = value" lines, "#"
// starts a comment. See docs/virtual-box.md.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "sim/box_description.h"
#include "sim/chip_models.h"

namespace tarnwick::sim {
namespace {

constexpr std::uint64_t kMaxChipSize = 0xFFFFFFFFull;  // the frame carries 4 bytes
// Each chip of a batch gets its own content file; more than this is a typo.
constexpr std::uint64_t kMaxBatchChips = 9999;

std::string Trim(const std::string& s) {
  std::size_t b = 0;
  std::size_t e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return s.substr(b, e - b);
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::vector<std::string> Words(const std::string& s) {
  std::string spaced = s;
  std::replace(spaced.begin(), spaced.end(), ',', ' ');
  std::istringstream in(spaced);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

bool ParseBool(const std::string& v, bool& out) {
  const std::string l = Lower(v);
  if (l == "yes" || l == "true" || l == "on" || l == "1") {
    out = true;
    return true;
  }
  if (l == "no" || l == "false" || l == "off" || l == "0") {
    out = false;
    return true;
  }
  return false;
}

bool ParseHexDigits(const std::string& text, std::uint64_t limit, std::uint64_t& out) {
  if (text.empty() || text.size() > 16) return false;
  std::uint64_t v = 0;
  for (char c : text) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    v = v * 16 +
        static_cast<std::uint64_t>(std::isdigit(static_cast<unsigned char>(c))
                                       ? c - '0'
                                       : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10);
  }
  if (v > limit) return false;
  out = v;
  return true;
}

// Decimal or 0x-hex, with an optional binary K, M or G suffix.
bool ParseNumber(const std::string& v, std::uint64_t limit, std::uint64_t& out) {
  std::string t = Trim(v);
  if (t.empty()) return false;
  if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
    return ParseHexDigits(t.substr(2), limit, out);
  }
  unsigned shift = 0;
  const char last = static_cast<char>(std::toupper(static_cast<unsigned char>(t.back())));
  if (last == 'K' || last == 'M' || last == 'G') {
    shift = last == 'K' ? 10 : last == 'M' ? 20 : 30;
    t.pop_back();
  }
  if (t.empty() || t.size() > 12) return false;
  std::uint64_t n = 0;
  for (char c : t) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    n = n * 10 + static_cast<std::uint64_t>(c - '0');
  }
  // Checked before the shift: a shift past 64 bits would wrap to a small size.
  if (n > (limit >> shift)) return false;
  n <<= shift;
  out = n;
  return true;
}

// Hex bytes written "09 02", "09,02" or "0x09 0x02".
bool ParseHexBytes(const std::string& v, std::vector<std::uint8_t>& out) {
  out.clear();
  for (std::string w : Words(v)) {
    if (w.size() > 2 && w[0] == '0' && (w[1] == 'x' || w[1] == 'X')) w = w.substr(2);
    std::uint64_t b = 0;
    if (w.size() > 2 || !ParseHexDigits(w, 0xFF, b)) return false;
    out.push_back(static_cast<std::uint8_t>(b));
  }
  return true;
}

bool ParseFaultKind(const std::string& word, FaultKind& kind) {
  static const std::map<std::string, FaultKind> kKinds{
      {"unplug", FaultKind::Unplug},
      {"stall", FaultKind::Stall},
      {"partial_write", FaultKind::PartialWrite},
      {"erase_hang", FaultKind::EraseHang},
      {"refuse", FaultKind::Refuse},
      {"program_end_hang", FaultKind::ProgramEndHang}};
  auto it = kKinds.find(Lower(word));
  if (it == kKinds.end()) return false;
  kind = it->second;
  return true;
}

// "always", "at command K" or "at byte N".
bool ParseTrigger(const std::vector<std::string>& words, std::size_t from, FaultTrigger& t) {
  const std::size_t n = words.size() - from;
  if (n == 1 && Lower(words[from]) == "always") {
    t.when = FaultTrigger::When::Always;
    return true;
  }
  if (n != 3 || Lower(words[from]) != "at") return false;
  const std::string unit = Lower(words[from + 1]);
  if (unit == "command") {
    t.when = FaultTrigger::When::AtCommand;
  } else if (unit == "byte") {
    t.when = FaultTrigger::When::AtByte;
  } else {
    return false;
  }
  if (!ParseNumber(words[from + 2], UINT64_MAX >> 2, t.value)) return false;
  return t.when != FaultTrigger::When::AtCommand || t.value >= 1;
}

struct Entry {
  int line;
  std::string key;
  std::string value;
};

class Parser {
 public:
  // Relative names: a boot table is read from `fileDir`, content files are
  // kept in `contentDir`.
  Parser(std::string fileDir, std::string contentDir, std::string& error)
      : fileDir_(std::move(fileDir)), baseDir_(std::move(contentDir)), error_(error) {}

  std::optional<BoxDescription> Run(const std::string& text) {
    std::istringstream in(text);
    std::string raw;
    int line = 0;
    std::string section;
    while (std::getline(in, raw)) {
      ++line;
      const std::size_t hash = raw.find('#');
      if (hash != std::string::npos) raw.erase(hash);
      const std::string l = Trim(raw);
      if (l.empty()) continue;
      if (l.front() == '[') {
        if (l.back() != ']') return Fail(line, "a section header must end with ']'");
        section = Lower(Trim(l.substr(1, l.size() - 2)));
        if (section != "box" && section != "chip" && section != "speed" && section != "faults" &&
            section != "socket") {
          return Fail(line,
                      "unknown section [" + section + "] (use box, chip, speed, faults or socket)");
        }
        if (section == "socket" && socketLine_ == 0) socketLine_ = line;
        if (section == "chip") {
          if (chipLine_ != 0) return Fail(line, "a second [chip] section");
          chipLine_ = line;
        }
        continue;
      }
      const std::size_t eq = l.find('=');
      if (eq == std::string::npos) return Fail(line, "expected 'key = value'");
      if (section.empty()) return Fail(line, "a setting before the first [section]");
      Entry e{line, Lower(Trim(l.substr(0, eq))), Trim(l.substr(eq + 1))};
      if (e.value.empty()) return Fail(line, "'" + e.key + "' has no value");
      bool ok = true;
      if (section == "box") {
        ok = BoxKey(e);
      } else if (section == "chip") {
        chipEntries_.push_back(e);
      } else if (section == "speed") {
        ok = SpeedKey(e);
      } else if (section == "socket") {
        ok = SocketKey(e);
      } else {
        ok = FaultKey(e);
      }
      if (!ok) return std::nullopt;
    }
    if (chipLine_ != 0 && !BuildChip()) return std::nullopt;
    if (socketLine_ != 0 && chipLine_ == 0) {
      return Fail(socketLine_,
                  "[socket] needs a [chip] section: its chips are copies of that chip");
    }
    return box_;
  }

 private:
  std::nullopt_t Fail(int line, const std::string& message) {
    error_ = "line " + std::to_string(line) + ": " + message;
    return std::nullopt;
  }
  bool Bad(const Entry& e, const std::string& expected) {
    Fail(e.line, "'" + e.key + "': '" + e.value + "' is not " + expected);
    return false;
  }

  bool BoxKey(const Entry& e) {
    std::uint64_t n = 0;
    if (e.key == "present") return ParseBool(e.value, box_.present) || Bad(e, "yes or no");
    if (e.key == "adapter") return ParseBool(e.value, box_.adapterFitted) || Bad(e, "yes or no");
    if (e.key == "boot_loader") return ParseBool(e.value, box_.bootLoader) || Bad(e, "yes or no");
    if (e.key == "boot_table") {
      if (e.value.empty()) return Bad(e, "a file name");
      box_.bootTablePath = e.value.front() == '/' ? e.value : fileDir_ + e.value;
      return true;
    }
    if (e.key == "firmware") {
      if (e.value == "silent") {
        box_.firmwareSilent = true;
        return true;
      }
      if (!ParseNumber(e.value, 0xFF, n)) return Bad(e, "a byte (e.g. 0x23) or silent");
      box_.firmwareVersion = static_cast<std::uint8_t>(n);
      return true;
    }
    if (e.key == "serial") {
      if (!ParseNumber(e.value, 0xFFFFFF, n)) return Bad(e, "a 24-bit number");
      box_.serial = static_cast<std::uint32_t>(n);
      return true;
    }
    Fail(e.line, "unknown [box] setting '" + e.key + "'");
    return false;
  }

  bool SpeedKey(const Entry& e) {
    if (e.key != "model") {
      Fail(e.line, "unknown [speed] setting '" + e.key + "'");
      return false;
    }
    const std::string v = Lower(e.value);
    if (v == "instant") {
      box_.speed = SpeedKind::Instant;
    } else if (v == "realistic") {
      box_.speed = SpeedKind::Realistic;
    } else {
      return Bad(e, "instant or realistic");
    }
    return true;
  }

  bool SocketKey(const Entry& e) {
    SocketDescription& socket = box_.socket;
    std::uint64_t n = 0;
    if (e.key == "chips") {
      if (!ParseNumber(e.value, kMaxBatchChips, n) || n == 0) {
        return Bad(e, "a number of chips from 1 to " + std::to_string(kMaxBatchChips));
      }
      socket.chips = static_cast<std::uint32_t>(n);
      return true;
    }
    if (e.key == "new_chip") {
      const std::string v = Lower(e.value);
      if (v == "pattern") {
        socket.newChip = ContentFill::Pattern;
      } else if (v == "blank") {
        socket.newChip = ContentFill::Blank;
      } else {
        return Bad(e, "pattern or blank");
      }
      return true;
    }
    if (e.key == "remove_ms" || e.key == "insert_ms") {
      if (e.key == "remove_ms" && Lower(e.value) == "never") {
        socket.removeMs.reset();
        return true;
      }
      if (!ParseNumber(e.value, 0xFFFFFFFF, n)) {
        return Bad(e, e.key == "remove_ms" ? "a time in milliseconds (0 or more) or 'never'"
                                           : "a time in milliseconds (0 or more)");
      }
      if (e.key == "remove_ms") {
        socket.removeMs = static_cast<std::uint32_t>(n);
      } else {
        socket.insertMs = static_cast<std::uint32_t>(n);
      }
      return true;
    }
    Fail(e.line, "unknown [socket] setting '" + e.key + "'");
    return false;
  }

  bool FaultKey(const Entry& e) {
    FaultPlan& plan = box_.faults;
    if (e.key == "seed") {
      std::uint64_t n = 0;
      if (Lower(e.value) == "random") {
        plan.seed.reset();
        return true;
      }
      if (!ParseNumber(e.value, UINT64_MAX >> 1, n)) return Bad(e, "a number or 'random'");
      plan.seed = n;
      return true;
    }
    if (e.key == "random") {
      plan.random.clear();
      for (const std::string& w : Words(e.value)) {
        FaultKind k{};
        if (!ParseFaultKind(w, k)) return Bad(e, "a list of fault kinds");
        plan.random.push_back(k);
      }
      return true;
    }
    if (e.key == "random_commands" || e.key == "random_bytes") {
      std::uint64_t n = 0;
      if (!ParseNumber(e.value, UINT64_MAX >> 2, n) || n == 0) return Bad(e, "a positive number");
      (e.key == "random_commands" ? plan.randomCommands : plan.randomBytes) = n;
      return true;
    }
    FaultEntry entry;
    if (!ParseFaultKind(e.key, entry.kind)) {
      Fail(e.line, "unknown [faults] setting '" + e.key + "'");
      return false;
    }
    const std::vector<std::string> words = Words(e.value);
    std::size_t from = 0;
    if (entry.kind == FaultKind::PartialWrite) {
      std::uint64_t n = 0;
      if (words.empty() || !ParseNumber(words[0], 0xFFFFFFFF, n) || n == 0) {
        return Bad(e, "'<bytes taken> always|at command K|at byte N'");
      }
      entry.amount = static_cast<std::uint32_t>(n);
      from = 1;
    }
    if (from >= words.size() || !ParseTrigger(words, from, entry.trigger)) {
      return Bad(e, "a trigger: 'always', 'at command K' (K from 1) or 'at byte N'");
    }
    plan.scripted.push_back(entry);
    return true;
  }

  // The model goes first so that raw fields override it wherever they stand.
  bool BuildChip() {
    ChipDescription chip;
    // Bad values are reported first, whatever else is missing.
    for (const Entry& e : chipEntries_) {
      ChipDescription scratch;
      if (e.key != "model" && !ChipKey(e, scratch)) return false;
    }
    const Entry* model = nullptr;
    bool sizeGiven = false;
    bool kindGiven = false;
    bool classGiven = false;
    bool subcodesGiven = false;
    bool voltGiven = false;
    for (const Entry& e : chipEntries_) {
      if (e.key == "model") model = &e;
      sizeGiven |= e.key == "size";
      kindGiven |= e.key == "kind";
      classGiven |= e.key == "class";
      subcodesGiven |= e.key == "subcodes";
      voltGiven |= e.key == "five_volt";
    }
    if (model) {
      if (auto built = BuiltInChip(model->value)) {
        chip = *built;
      } else if (!sizeGiven) {
        std::string names;
        for (std::string_view n : BuiltInModelNames())
          names += (names.empty() ? "" : ", ") + std::string(n);
        Fail(model->line, "unknown model '" + model->value + "' (built in: " + names +
                              "); give the raw fields instead");
        return false;
      } else {
        chip.model = model->value;
      }
    } else if (!sizeGiven) {
      Fail(chipLine_, "[chip] needs a model or raw fields with a size");
      return false;
    }
    for (const Entry& e : chipEntries_) {
      if (e.key != "model" && !ChipKey(e, chip)) return false;
    }
    if (classGiven && !model) {
      if (!kindGiven) chip.kind = chip.accessClass == 0 ? ChipKind::SpiFlash : ChipKind::Eeprom;
      if (!subcodesGiven && chip.kind == ChipKind::Eeprom) chip.subcodes = {0x00};
      if (!voltGiven) chip.fiveVolt = chip.accessClass >= 1 && chip.accessClass <= 3;
    }
    if (chip.kind == ChipKind::SpiFlash && !chip.id) {
      Fail(chipLine_, "an SPI flash chip needs an 'id'");
      return false;
    }
    if (chip.size == 0) {
      Fail(chipLine_, "the chip needs a 'size'");
      return false;
    }
    if (chip.otp.size != 0 && chip.otp.start + chip.otp.size > 0x10000) {
      Fail(chipLine_, "the OTP area must lie within 16-bit addresses");
      return false;
    }
    if (chip.contentPath.empty()) chip.contentPath = Lower(chip.model) + ".bin";
    if (chip.contentPath.front() != '/') chip.contentPath = baseDir_ + chip.contentPath;
    box_.chip = chip;
    return true;
  }

  bool ChipKey(const Entry& e, ChipDescription& c) {
    std::uint64_t n = 0;
    const std::string v = Lower(e.value);
    if (e.key == "kind") {
      if (v == "spi_flash") {
        c.kind = ChipKind::SpiFlash;
      } else if (v == "eeprom") {
        c.kind = ChipKind::Eeprom;
      } else {
        return Bad(e, "spi_flash or eeprom");
      }
      return true;
    }
    if (e.key == "class") {
      if (!ParseNumber(e.value, 4, n)) return Bad(e, "a class from 0 to 4");
      c.accessClass = static_cast<std::uint8_t>(n);
      return true;
    }
    if (e.key == "subcodes") {
      if (!ParseHexBytes(e.value, c.subcodes) || c.subcodes.empty()) {
        return Bad(e, "a list of hex subcodes (e.g. 00 20 60 70)");
      }
      return true;
    }
    if (e.key == "five_volt") return ParseBool(e.value, c.fiveVolt) || Bad(e, "yes or no");
    if (e.key == "id") {
      std::string t = e.value;
      if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) t = t.substr(2);
      if (!ParseHexDigits(t, 0xFFFFFF, n)) return Bad(e, "a 24-bit hex id (e.g. 1C3017)");
      c.id = static_cast<std::uint32_t>(n);
      return true;
    }
    if (e.key == "size") {
      if (!ParseNumber(e.value, kMaxChipSize, n) || n == 0) return Bad(e, "a size up to 4G-1");
      c.size = n;
      return true;
    }
    if (e.key == "page" || e.key == "sector") {
      if (!ParseNumber(e.value, 0x40000000, n)) return Bad(e, "a size");
      if (e.key == "page" && n == 0) return Bad(e, "a page size above 0");
      (e.key == "page" ? c.pageSize : c.sectorSize) = static_cast<std::uint32_t>(n);
      return true;
    }
    if (e.key == "word") return ParseBool(e.value, c.wordOrganised) || Bad(e, "yes or no");
    if (e.key == "otp_size" || e.key == "otp_start") {
      if (!ParseNumber(e.value, 0xFFFF + (e.key == "otp_size" ? 1 : 0), n)) {
        return Bad(e, "a 16-bit number");
      }
      (e.key == "otp_size" ? c.otp.size : c.otp.start) = static_cast<std::uint32_t>(n);
      return true;
    }
    if (e.key == "otp_locked") return ParseBool(e.value, c.otp.locked) || Bad(e, "yes or no");
    if (e.key == "otp_method") {
      if (!ParseHexBytes(e.value, c.otp.method) || c.otp.method.size() != 9) {
        return Bad(e, "nine hex bytes");
      }
      return true;
    }
    if (e.key == "quad_enable") return ParseBool(e.value, c.hasQuadEnable) || Bad(e, "yes or no");
    if (e.key == "qe") return ParseBool(e.value, c.quadEnable) || Bad(e, "yes or no");
    if (e.key == "qe_method") {
      if (!ParseHexBytes(e.value, c.qeMethod) || c.qeMethod.size() != 2) {
        return Bad(e, "two hex bytes");
      }
      return true;
    }
    if (e.key == "content") {
      c.contentPath = e.value;
      return true;
    }
    if (e.key == "fill") {
      if (v == "pattern") {
        c.fill = ContentFill::Pattern;
      } else if (v == "blank") {
        c.fill = ContentFill::Blank;
      } else {
        return Bad(e, "pattern or blank");
      }
      return true;
    }
    if (e.key == "erase_ms" || e.key == "page_program_us") {
      if (!ParseNumber(e.value, 0xFFFFFFFF, n)) return Bad(e, "a number");
      (e.key == "erase_ms" ? c.eraseMs : c.pageProgramUs) = static_cast<std::uint32_t>(n);
      return true;
    }
    Fail(e.line, "unknown [chip] setting '" + e.key + "'");
    return false;
  }

  std::string fileDir_;
  std::string baseDir_;
  std::string& error_;
  BoxDescription box_;
  int chipLine_ = 0;
  int socketLine_ = 0;
  std::vector<Entry> chipEntries_;
};

}  // namespace

std::optional<BoxDescription> ParseBoxDescription(const std::string& text,
                                                  const std::string& baseDir, std::string& error) {
  std::string dir = baseDir;
  if (!dir.empty() && dir.back() != '/') dir += '/';
  return Parser(dir, dir, error).Run(text);
}

std::optional<BoxDescription> LoadBoxDescription(const std::string& path, std::string& error,
                                                 const std::string& contentDir) {
  std::error_code ec;
  if (std::filesystem::exists(path, ec) && !std::filesystem::is_regular_file(path, ec)) {
    // A FIFO or /dev/zero would be read for ever.
    error = path + (std::filesystem::is_directory(path, ec) ? ": is a directory"
                                                            : ": is not a regular file");
    return std::nullopt;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = path + ": cannot be opened";
    return std::nullopt;
  }
  std::ostringstream text;
  text << in.rdbuf();
  const std::size_t slash = path.rfind('/');
  const std::string dir = slash == std::string::npos ? "./" : path.substr(0, slash + 1);
  const std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
  const bool elsewhere = !contentDir.empty();
  const std::string keepIn =
      !elsewhere ? dir : (contentDir.back() == '/' ? contentDir : contentDir + "/");
  auto box = Parser(dir, keepIn, error).Run(text.str());
  if (!box) {
    error = path + ": " + error;
  } else {
    box->firmwarePath = (elsewhere ? keepIn + name : path) + ".fw";
  }
  return box;
}

}  // namespace tarnwick::sim
