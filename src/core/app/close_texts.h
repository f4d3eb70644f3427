// What the window and the command line say when they will not end a job
// that must not be cut.
#pragma once

namespace tarnwick::close_texts {

inline constexpr const char* kWaitsForUpgrade =
    "A firmware upgrade is running. Stopping it now would leave the programmer without "
    "firmware, unusable until a new upgrade completes. The program closes as soon as the "
    "upgrade has ended.";

}  // namespace tarnwick::close_texts
