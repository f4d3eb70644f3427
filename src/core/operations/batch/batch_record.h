// The production record: one CSV line per chip of every batch, appended to
// "batch-report.csv" (or the command line's --report file), and what a
// serial-number batch looks up in it before it writes an ID.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/operations/batch/batch_view.h"

namespace tarnwick::batch {

inline constexpr const char* kRecordHeader = "chip,time,mode,file,id,checksum,steps,result,seconds";

// Appends `line` to the record at `path`, the header first when the file is
// new or empty. False when the line could not be written.
bool AppendRecordLine(const std::string& path, const BatchChipLine& line);

// The fields of one CSV line ("" quoting as AppendRecordLine writes it).
std::vector<std::string> SplitCsvLine(const std::string& line);

// The master file of a serial-number batch as the record can recognise it.
// The record names the temporary data file ("<master>-ID-<n>.tmp~") and the
// checksum of the image with the ID in it, so a line counts as this master's
// when either its data file was made from this master's path, or its
// checksum is this master's with that line's ID at the fill address (the
// same content under another name). Erring on the side of a match keeps a
// serial number from being given twice.
struct SerialMaster {
  std::string path;
  std::uint32_t fillAddress = 0;
  int idLength = 4;
  // The byte sum of the padded master without the ID's bytes; none when
  // the master could not be read (then only the path can match).
  std::optional<std::uint64_t> baseSum;
};

// Reads the master for its sum. `idLength` is 1, 2 or 4.
SerialMaster DescribeMaster(const std::string& path, std::uint32_t fillAddress, int idLength);

// The IDs the record at `recordPath` has as "done" for `master`. A missing
// record has none.
std::set<std::uint32_t> RecordedIds(const std::string& recordPath, const SerialMaster& master);

}  // namespace tarnwick::batch
