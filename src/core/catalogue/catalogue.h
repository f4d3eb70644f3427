// The chip catalogue: every chip the program knows, read once from
// "database.dat" and read-only afterwards. The lists and look-ups of the chip
// selection and of detection work on it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/catalogue/catalogue_messages.h"
#include "core/catalogue/catalogue_parser.h"
#include "core/catalogue/chip_record.h"

namespace tarnwick {

// A catalogue file larger than this is not a catalogue (the shipped one is
// about 40 KB); it is refused whole instead of being read into memory.
inline constexpr std::uint64_t kMaxCatalogueFileBytes = std::uint64_t{16} * 1024 * 1024;

// `FindRecord` when nothing matches.
inline constexpr std::int32_t kNoRecord = -1;

class Catalogue {
 public:
  // Reads, unscrambles and parses the file. When it cannot be opened the sink
  // shows "文件无法打开！  " and the catalogue stays empty. Returns false then
  // (and for a file too large to be a catalogue); refused lines do not fail
  // the load, they are counted in Report().
  bool LoadCatalogue(const std::string& path, const CatalogueMessageSink& sink = {});
  // The same from text already unscrambled (tests, the tool's checks).
  void LoadText(std::string_view text);

  const std::vector<ChipRecord>& Records() const { return records_; }
  std::uint32_t Count() const { return static_cast<std::uint32_t>(records_.size()); }
  const ChipRecord* Record(std::int64_t index) const;
  const CatalogueLoadReport& Report() const { return report_; }

  // Type list: a record's type is added when it differs from the record
  // before it (the first record is compared with "1").
  std::size_t ListTypes(std::vector<std::string>& out) const;
  // Makers of `type`, neighbouring duplicates merged the same way.
  std::size_t ListMakers(const std::string& type, std::vector<std::string>& out) const;
  // Every model of `type` and `maker`, duplicates kept.
  std::size_t ListModels(const std::string& type, const std::string& maker,
                         std::vector<std::string>& out) const;
  // Internal number of the first record with these texts, or kNoRecord.
  std::int32_t FindRecord(const std::string& type, const std::string& maker,
                          const std::string& model) const;
  // Internal numbers of the records whose main (secondary) ID is `id`.
  std::size_t FindByMainId(std::uint32_t id, std::vector<std::uint32_t>& out) const;
  std::size_t FindBySecondId(std::uint32_t id, std::vector<std::uint32_t>& out) const;

 private:
  std::vector<ChipRecord> records_;
  CatalogueLoadReport report_;
};

// An identification as the catalogue writes it: "%6X" with blanks as '0'.
std::string FormatChipId(std::uint32_t id);

}  // namespace tarnwick
