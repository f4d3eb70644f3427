// check-update: the update check of the help menu on a terminal. Prints the
// program row and the firmware row (current, latest, verdict); without a box
// the firmware cells read NULL. Fails when the update document was not read.
#include <cstdio>
#include <string>

#include "cli/command_table.h"
#include "cli/json_report.h"
#include "core/app/text_ids.h"
#include "core/app/text_table.h"
#include "core/services/services_config.h"
#include "core/services/update/update_check.h"
#include "core/services/update/update_checker.h"
#include "core/session/session.h"

namespace tarnwick::cli {
namespace {

void PrintRow(const std::string& label, const std::string& current, const std::string& latest,
              const std::string& verdict) {
  std::printf("%s\t%s\t%s\t%s\n", label.c_str(), current.c_str(), latest.c_str(), verdict.c_str());
}

// --json: the row's three cells.
nlohmann::json RowObject(const std::string& current, const std::string& latest,
                         const std::string& verdict) {
  return {{"current", current}, {"latest", latest}, {"verdict", verdict}};
}

int CheckUpdate(CliContext& c) {
  const TextTable& texts = c.session.texts();
  if (c.options.json) {
    std::string problem;
    const std::string host =
        LoadServicesConfig(c.session.baseDir() + kServicesFileName, problem).update.host;
    JsonFields()["url"] = update::DocumentUrl(host);
  }
  const update::UpdateCheckResult result = c.session.updateCheck().RunAndWait();
  if (result.failure) {
    std::string reason;
    for (const update::UpdateMessage& m : update::FailureMessages(*result.failure, texts)) {
      std::fprintf(stderr, "%s\n", m.text.c_str());
      reason += (reason.empty() ? "" : " ") + m.text;
    }
    JsonFailure(reason);
    return kExitFailed;
  }
  const update::VersionRows rows = update::MakeVersionRows(result, texts);
  if (c.options.json) {
    JsonFields()["program"] =
        RowObject(rows.programCurrent, rows.programLatest, rows.programVerdict);
    JsonFields()["firmware"] =
        RowObject(rows.firmwareCurrent, rows.firmwareLatest, rows.firmwareVerdict);
  }
  PrintRow(texts.itext(itext::kVersionSoftwareRow), rows.programCurrent, rows.programLatest,
           rows.programVerdict);
  PrintRow(texts.itext(itext::kVersionFirmwareRow), rows.firmwareCurrent, rows.firmwareLatest,
           rows.firmwareVerdict);
  return kExitOk;
}

// The check asks the box for its firmware byte itself: no chip detection first.
bool NoDetection(const std::vector<std::string>&) { return false; }

constexpr CliCommand kCommands[] = {
    {"check-update", "", 0, 0,
     "read the latest versions from the update server ([update] host of services.ini) and "
     "compare them with this program and the box's firmware",
     CheckUpdate, CliCommand::Needs::Box, nullptr, NoDetection},
};

}  // namespace

std::span<const CliCommand> UpdateCommands() { return kCommands; }

}  // namespace tarnwick::cli
