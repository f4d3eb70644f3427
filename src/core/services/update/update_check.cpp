#include "core/services/update/update_check.h"

#include <cctype>
#include <utility>

#include "core/app/text_ids.h"
#include "core/app/text_table.h"
#include "core/services/update/http_status.h"

namespace tarnwick::update {

namespace {

// The scheme the setting starts with ("http://" or "https://", any case),
// lower-cased, and its length in the setting; none: plain http.
std::pair<std::string, std::size_t> SchemeOf(const std::string& host) {
  const std::size_t sep = host.find("://");
  if (sep == std::string::npos) return {"http", 0};
  std::string scheme = host.substr(0, sep);
  for (char& c : scheme) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return {scheme, sep + 3};
}

}  // namespace

std::string DocumentUrl(const std::string& host) {
  const auto [scheme, skip] = SchemeOf(host);
  std::string name = host.substr(skip);
  if (skip != 0 && !name.empty() && name.back() == '/') name.pop_back();
  // An address with spaces or line breaks would not be one host: refused
  // before it reaches the request line.
  if ((scheme != "http" && scheme != "https") || name.empty() ||
      name.find_first_of(" \t\r\n/?#@\\") != std::string::npos)
    return {};
  return scheme + "://" + name + kDocumentPath;
}

UpdateCheckResult RunUpdateCheck(const std::string& host, const FirmwareQuery& queryFirmware,
                                 const UpdateCheckOptions& options) {
  UpdateCheckResult result;
  const std::string url = DocumentUrl(host);
  if (url.empty()) {
    result.failure = UpdateFailure{UpdateFailure::Kind::NoHost, {}};
    return result;
  }
  UrlReader reader(options.timeouts, options.cancel);
  if (!reader.Open(url, kTransferBinary, kAccept2xx) || reader.GetFile() == nullptr) {
    const UrlError& e = reader.error();
    UpdateFailure f;
    if (options.cancel != nullptr && options.cancel->load()) {
      f.kind = UpdateFailure::Kind::Cancelled;
    } else {
      f.kind = e.kind == UrlError::Kind::HttpStatus ? UpdateFailure::Kind::HttpStatus
                                                    : UpdateFailure::Kind::Transfer;
      f.text = e.text;
    }
    result.failure = f;
    return result;
  }
  if (reader.GetFile()->size() < kVersionRecordSize) {
    result.failure = UpdateFailure{UpdateFailure::Kind::ShortDocument, kShortDocumentText};
    return result;
  }
  result.record = ReadVersionRecord(*reader.GetFile());
  reader.GetFile()->Close();
  reader.CloseAll();
  if (queryFirmware) result.deviceByte = queryFirmware();
  return result;
}

VersionRows MakeVersionRows(const UpdateCheckResult& result, const TextTable& texts) {
  VersionRows rows;
  rows.programCurrent = CurrentProgramText();
  rows.programLatest = VersionText(result.record.program);
  rows.programVerdict =
      texts.itext(NewerProgram(result.record) ? itext::kNewerProgram : itext::kProgramCurrent);
  rows.firmwareLatest = VersionText(result.record.firmware);
  rows.firmwareCurrent = kNullText;
  rows.firmwareVerdict = kNullText;
  if (result.deviceByte) {
    rows.firmwareCurrent = DeviceFirmwareText(*result.deviceByte);
    rows.firmwareVerdict =
        texts.itext(NewerFirmware(*result.deviceByte, result.record) ? itext::kNewerFirmware
                                                                     : itext::kFirmwareCurrent);
  }
  return rows;
}

std::vector<UpdateMessage> FailureMessages(const UpdateFailure& failure, const TextTable& texts) {
  std::vector<UpdateMessage> out;
  if (failure.kind == UpdateFailure::Kind::Cancelled) return out;
  if (!failure.text.empty()) out.push_back({failure.text, {}, BoxIcon::Information});
  out.push_back(
      {texts.itext(itext::kUpdateCheckFailed), texts.itext(itext::kError), BoxIcon::Warning});
  return out;
}

}  // namespace tarnwick::update
