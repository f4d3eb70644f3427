// --json: one JSON object on standard output for the whole run. The run's own
// standard output and standard error are kept aside while it works; its
// printed lines become the object's "output", its last error line the
// object's "error", and the commands add their figures to JsonFields().
#pragma once

#include <nlohmann/json.hpp>
#include <string>

namespace tarnwick::cli {

// True when the words ask for --json (before any "--").
bool JsonRequested(int argc, char** argv);

// The figures of the command that runs; empty when --json was not given.
nlohmann::json& JsonFields();

// The reason a failed run gives as its "error" when its standard error does
// not end with one ("error: " or "tarnwick-cli: " lines): the command's own
// words for a failure it reports otherwise (a log, a message list).
void JsonFailure(const std::string& reason);

// Objects printed one a line before the run's object (batch: one per chip).
nlohmann::json& JsonLines();

// Runs `run` and, with --json, prints its object with the exit status it
// returns (which it passes on).
int RunReported(int argc, char** argv, int (*run)(int, char**));

}  // namespace tarnwick::cli
