#include "core/services/update/update_check.h"

#include "core/app/text_ids.h"
#include "core/app/text_table.h"
#include "core/services/update/http_status.h"

namespace tarnwick::update {

std::string DocumentUrl(const std::string& host) {
  return std::string("http://") + host + kDocumentPath;
}

UpdateCheckResult RunUpdateCheck(const std::string& host, const FirmwareQuery& queryFirmware,
                                 const UpdateCheckOptions& options) {
  UpdateCheckResult result;
  // An address with spaces or line breaks would not be one host: refuse it
  // before it reaches the request line.
  if (host.empty() || host.find_first_of(" \t\r\n/?#@") != std::string::npos) {
    result.failure = UpdateFailure{UpdateFailure::Kind::NoHost, {}};
    return result;
  }
  UrlReader reader(options.timeouts, options.cancel);
  if (!reader.Open(DocumentUrl(host), kTransferBinary, kAccept2xx) || reader.GetFile() == nullptr) {
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
