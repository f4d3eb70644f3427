// The two numbered text tables (ftext: menus and captions, itext: messages)
// and the line reader that fills them from "ftext.ini" / "itext.ini".
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tarnwick {

class TextTable {
 public:
  static constexpr int kFtextCount = 139;
  static constexpr int kItextCount = 212;

  TextTable();

  // Load section "ftext" / "itext" of the file at `path`. True only when the
  // section was found and all N entry lines were read. A missing file leaves
  // every entry at its placeholder. `onReadError` receives the message of a
  // read failure (shown by the caller in a box).
  bool LoadFtext(const std::string& path,
                 const std::function<void(const std::string&)>& onReadError = {});
  bool LoadItext(const std::string& path,
                 const std::function<void(const std::string&)>& onReadError = {});

  // Entry n; an empty text for a number outside the table.
  const std::string& ftext(int n) const;
  const std::string& itext(int n) const;
  const std::string& Ftext(int n) const { return ftext(n); }
  const std::string& Itext(int n) const { return itext(n); }

  static constexpr const char* kFtextPlaceholder = "ftext.ini error";
  static constexpr const char* kItextPlaceholder = "itext.ini error";

 private:
  std::vector<std::string> ftext_;
  std::vector<std::string> itext_;
};

}  // namespace tarnwick
