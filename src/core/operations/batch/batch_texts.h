// The batch feature's own words that are not in the text tables, kept here
// in one place for the window, the command line and the status line.
#pragma once

#include <string>

#include "core/operations/batch/batch_plan.h"
#include "core/operations/batch/batch_view.h"

namespace tarnwick::batch {

// The status line (and the log's one line) while the batch waits.
inline constexpr const char* kWaitingText = "waiting for the next chip";

inline std::string NoNewChipText(int seconds) {
  return "no new chip came within " + std::to_string(seconds) + " s";
}

// Why the wait for the next chip ended without one.
inline std::string WaitEndText(BatchWaitEnd end, int timeoutSeconds) {
  switch (end) {
    case BatchWaitEnd::TimedOut:
      return NoNewChipText(timeoutSeconds);
    case BatchWaitEnd::BoxGone:
      return "the programmer left the bus while the batch waited for the next chip";
    case BatchWaitEnd::BoxNotAnswering:
      return "the programmer stopped answering while the batch waited for the next chip";
    case BatchWaitEnd::BoxRefused:
      return "the programmer went into its firmware-upgrade mode while the batch waited for "
             "the next chip";
    case BatchWaitEnd::None:
      break;
  }
  return "";
}

// Why a start check failed, or why the batch stopped before the next chip.
inline const char* FieldProblemText(Field field) {
  switch (field) {
    case Field::MasterFile:
      return "the master file is missing or not a file";
    case Field::FileList:
      return "the file list is empty";
    case Field::Increment:
      return "the increment must be at least 1";
    case Field::IdTooLarge:
      return "the ID does not fit in the ID length; an ID is never cut or wrapped round to 0, "
             "so no chip gets it";
    case Field::IdRecorded:
      return "the production record already has the ID as programmed from this master file; "
             "no chip gets it again";
    case Field::EmptyImage:
      return "the master file or a file of the list is empty: an empty image is never "
             "programmed";
    case Field::FillAddress:
      return "the fill address lies beyond the chip: the ID or the appended file would not be "
             "written";
    case Field::None:
      break;
  }
  return "";
}

}  // namespace tarnwick::batch
