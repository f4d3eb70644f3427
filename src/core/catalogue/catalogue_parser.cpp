#include "core/catalogue/catalogue_parser.h"

#include <utility>

namespace tarnwick {
namespace {

constexpr std::size_t kChipFieldsBeforeType = 9;
constexpr ChipRecord::Field kChipLineFields[kChipFieldsBeforeType] = {
    ChipRecord::kModel,    ChipRecord::kPageSize,    ChipRecord::kSectorSize,
    ChipRecord::kCapacity, ChipRecord::kMainAddress, ChipRecord::kSecondaryAddress,
    ChipRecord::kMainId,   ChipRecord::kSecondaryId, ChipRecord::kVoltage,
};

bool HasControlBytes(std::string_view line) {
  for (char ch : line) {
    auto c = static_cast<unsigned char>(ch);
    if (c < 0x20 || c == 0x7F) return true;
  }
  return false;
}

// Splits the text after "@" into the nine fields and the operation type.
bool SplitChipLine(std::string_view rest, ChipRecord& record) {
  for (ChipRecord::Field field : kChipLineFields) {
    auto colon = rest.find(':');
    if (colon == std::string_view::npos) return false;
    record.fields[field] = std::string(rest.substr(0, colon));
    rest.remove_prefix(colon + 1);
  }
  record.fields[ChipRecord::kOperationType] = std::string(rest);
  return true;
}

const char* ReasonText(LineRefusal why) {
  switch (why) {
    case LineRefusal::kTooLong:
      return "too long";
    case LineRefusal::kControlBytes:
      return "with control bytes";
    case LineRefusal::kTooFewFields:
      return "with fewer than nine fields";
    case LineRefusal::kUnderRefusedHead:
      return "under a refused type or maker line";
    case LineRefusal::kCount:
      break;
  }
  return "";
}

}  // namespace

std::size_t CatalogueLoadReport::TotalRefused() const {
  std::size_t total = 0;
  for (std::size_t n : refused) total += n;
  return total;
}

void CatalogueLoadReport::Refuse(LineRefusal why, std::size_t lineNumber) {
  auto i = static_cast<std::size_t>(why);
  if (refused[i]++ == 0) firstLine[i] = lineNumber;
}

void ParseCatalogueText(std::string_view text, std::vector<ChipRecord>& records,
                        CatalogueLoadReport& report) {
  std::string type;
  std::string maker;
  // A refused "$" or "#" line leaves its chips without a trustworthy type or
  // maker; they are refused until the next sound heading.
  bool typeSound = true;
  bool makerSound = true;
  std::size_t lineNumber = 0;
  std::size_t start = 0;
  // Only text ended by LF counts: a last line without LF is not read.
  for (auto lf = text.find('\n'); lf != std::string_view::npos;
       start = lf + 1, lf = text.find('\n', start)) {
    ++lineNumber;
    ++report.lines;
    std::string_view line = text.substr(start, lf - start);
    // The line end is CR LF; a hand-edited file with bare LF keeps its last
    // character instead of losing it.
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) continue;
    const char kind = line.front();
    if (kind != '$' && kind != '#' && kind != '@') continue;

    LineRefusal why = LineRefusal::kCount;
    if (line.size() > kMaxCatalogueLine) {
      why = LineRefusal::kTooLong;
    } else if (HasControlBytes(line)) {
      why = LineRefusal::kControlBytes;
    }
    if (kind == '$') {
      typeSound = why == LineRefusal::kCount;
      if (typeSound) type = std::string(line.substr(1));
    } else if (kind == '#') {
      makerSound = why == LineRefusal::kCount;
      // The maker line carries one closing character after the name.
      if (makerSound) {
        std::string_view name = line.substr(1);
        if (!name.empty()) name.remove_suffix(1);
        maker = std::string(name);
      }
    } else {
      ChipRecord record;
      if (why == LineRefusal::kCount && !(typeSound && makerSound)) {
        why = LineRefusal::kUnderRefusedHead;
      }
      if (why == LineRefusal::kCount && !SplitChipLine(line.substr(1), record)) {
        why = LineRefusal::kTooFewFields;
      }
      if (why == LineRefusal::kCount) {
        record.fields[ChipRecord::kType] = type;
        record.fields[ChipRecord::kMaker] = maker;
        record.internalNumber = static_cast<std::uint32_t>(records.size());
        records.push_back(std::move(record));
      }
    }
    if (why != LineRefusal::kCount) report.Refuse(why, lineNumber);
  }
  report.endsMidLine = start < text.size();
}

std::string FormatRefusalLog(const CatalogueLoadReport& report) {
  if (report.fileTooLarge) return "catalogue refused: the file is too large";
  const std::size_t total = report.TotalRefused();
  if (total == 0) return "";
  std::string text = std::to_string(total) +
                     (total == 1 ? " catalogue line refused:" : " catalogue lines refused:");
  bool first = true;
  for (std::size_t i = 0; i < CatalogueLoadReport::kReasons; ++i) {
    if (report.refused[i] == 0) continue;
    text += first ? " " : ", ";
    first = false;
    text += std::to_string(report.refused[i]) + " " + ReasonText(static_cast<LineRefusal>(i)) +
            " (first: line " + std::to_string(report.firstLine[i]) + ")";
  }
  return text;
}

}  // namespace tarnwick
