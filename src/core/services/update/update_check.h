// The update check: reads the version record from the maker's update
// document over HTTP, asks the box for its firmware byte, and gives the two
// rows of the version dialog. It runs on a thread of its own; the result is
// a value the front end turns into its dialog or its messages.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/app/window_surface.h"
#include "core/services/update/url_reader.h"
#include "core/services/update/version_record.h"

namespace tarnwick {

class TextTable;

namespace update {

inline constexpr const char* kDocumentPath = "/updata/Tarnbase_CV_Info.pdf";

// The URL of the update document for the configured host: "host",
// "host:port", or either after "http://" or "https://" (plain http when no
// scheme is given), then the document's path. Empty when the setting is not
// one host: empty, another scheme, a path, a user part, blanks.
std::string DocumentUrl(const std::string& host);

// A document shorter than the version record holds no answer.
inline constexpr std::size_t kVersionRecordSize = 2;
// Told before the check's failure when the document was shorter.
inline constexpr const char* kShortDocumentText =
    "The update document is shorter than its two-byte version record.";

// Why the check has no version record.
struct UpdateFailure {
  enum class Kind { NoHost, Transfer, HttpStatus, ShortDocument, Cancelled };
  Kind kind = Kind::NoHost;
  std::string text;  // the library's error text or the status message
};

struct UpdateCheckResult {
  std::optional<UpdateFailure> failure;  // set: no dialog, the messages instead
  VersionRecord record;
  std::optional<std::uint8_t> deviceByte;  // unset: no usable answer from the box
};

// The box's firmware byte, or nothing (absent, silent, not exactly one byte,
// or 0xFF). Called on the check's thread while nothing else uses the link.
using FirmwareQuery = std::function<std::optional<std::uint8_t>()>;

struct UpdateCheckOptions {
  UrlTimeouts timeouts;
  const std::atomic<bool>* cancel = nullptr;  // the session is ending
};

UpdateCheckResult RunUpdateCheck(const std::string& host, const FirmwareQuery& queryFirmware,
                                 const UpdateCheckOptions& options = {});

// The six texts of the version dialog, in row order.
struct VersionRows {
  std::string programCurrent, programLatest, programVerdict;
  std::string firmwareCurrent, firmwareLatest, firmwareVerdict;
};
VersionRows MakeVersionRows(const UpdateCheckResult& result, const TextTable& texts);

// The message boxes of a failed check, in the order they show; an empty
// caption stands for the program's title. Nothing for a cancelled check.
struct UpdateMessage {
  std::string text;
  std::string caption;
  BoxIcon icon;
};
std::vector<UpdateMessage> FailureMessages(const UpdateFailure& failure, const TextTable& texts);

}  // namespace update
}  // namespace tarnwick
