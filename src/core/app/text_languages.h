// The text table sets shipped in the portable folder's lang/ (one folder
// each, holding ftext.ini and itext.ini), chosen with --lang.
#pragma once

#include <string>
#include <string_view>

namespace tarnwick {

inline constexpr std::string_view kTextLanguages[] = {"en", "zh_CN"};

inline bool IsTextLanguage(std::string_view name) {
  for (std::string_view l : kTextLanguages) {
    if (l == name) return true;
  }
  return false;
}

// "en, zh_CN", for usage messages.
inline std::string TextLanguageList() {
  std::string list;
  for (std::string_view l : kTextLanguages) {
    if (!list.empty()) list += ", ";
    list += l;
  }
  return list;
}

// The folder of a set below the program's folder (with trailing '/').
inline std::string TextLanguageDir(const std::string& programDir, std::string_view name) {
  return programDir + "lang/" + std::string(name) + "/";
}

}  // namespace tarnwick
