// Why a link could not be opened: the result codes of an open request and
// the text the technician is shown for each.
#pragma once

#include <string>

namespace tarnwick::links {

// Results above kOpenedAbove mean the target was opened.
inline constexpr int kOpenedAbove = 32;
inline constexpr int kOpened = 33;
inline constexpr int kOutOfResources = 0;
inline constexpr int kFileNotFound = 2;
inline constexpr int kPathNotFound = 3;
inline constexpr int kAccessDenied = 5;
inline constexpr int kNotEnoughMemory = 8;  // also: the command line would be too long
inline constexpr int kAssociationIncomplete = 27;
inline constexpr int kNoAssociation = 31;
// A text that is no link the program opens (not http, https or mailto).
inline constexpr int kRefusedTarget = kNoAssociation;

inline bool Opened(int result) { return result > kOpenedAbove; }

// "Unable to open hyperlink:\n\n" and the text for `code`.
std::string LinkFailureText(int code);

}  // namespace tarnwick::links
