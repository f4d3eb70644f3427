// The four shipped text files: every entry of both languages is present, none
// shows a placeholder, and the files keep CR LF line ends.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "core/app/text_ids.h"
#include "core/app/text_table.h"

namespace tarnwick {
namespace {

std::string LangFile(const std::string& lang, const std::string& name) {
  return std::string(TARNWICK_SOURCE_DIR) + "/resources/lang/" + lang + "/" + name;
}

std::string ReadAll(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

class ShippedTextsTest : public testing::TestWithParam<const char*> {};

TEST_P(ShippedTextsTest, EveryEntryIsPresentAndReadable) {
  const std::string lang = GetParam();
  TextTable t;
  std::string readError;
  auto sink = [&](const std::string& m) { readError = m; };
  EXPECT_TRUE(t.LoadFtext(LangFile(lang, "ftext.ini"), sink));
  EXPECT_TRUE(t.LoadItext(LangFile(lang, "itext.ini"), sink));
  EXPECT_EQ(readError, "");
  for (int n = 0; n < TextTable::kFtextCount; ++n) {
    EXPECT_NE(t.ftext(n), TextTable::kFtextPlaceholder) << lang << " ftext " << n;
    EXPECT_FALSE(t.ftext(n).empty()) << lang << " ftext " << n;
  }
  for (int n = 0; n < TextTable::kItextCount; ++n) {
    EXPECT_NE(t.itext(n), TextTable::kItextPlaceholder) << lang << " itext " << n;
    EXPECT_FALSE(t.itext(n).empty()) << lang << " itext " << n;
  }
  // Running captions must differ from the idle ones: the buttons tell a stop
  // request from a start by their caption.
  const int pairs[][2] = {{itext::kStopErase, ftext::kEraseButton},
                          {itext::kStopProgram, ftext::kProgramButton},
                          {itext::kStopVerify, ftext::kVerifyButton},
                          {itext::kStopRead, ftext::kReadButton},
                          {itext::kStopBlankCheck, ftext::kBlankCheckButton}};
  for (const auto& p : pairs) EXPECT_NE(t.itext(p[0]), t.ftext(p[1])) << lang;
  // These are shown with every blank turned into '0'.
  for (int n : {65, 66, 67, 148, 149}) {
    EXPECT_EQ(t.itext(n).find(' '), std::string::npos) << lang << " itext " << n;
  }
}

TEST_P(ShippedTextsTest, FilesUseCrLfAndOneLinePerEntry) {
  const std::string lang = GetParam();
  for (const char* name : {"ftext.ini", "itext.ini"}) {
    const std::string bytes = ReadAll(LangFile(lang, name));
    ASSERT_FALSE(bytes.empty()) << lang << "/" << name;
    int lines = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      if (bytes[i] != '\n') continue;
      ++lines;
      EXPECT_TRUE(i > 0 && bytes[i - 1] == '\r') << lang << "/" << name << " byte " << i;
    }
    const int entries =
        std::string(name) == "ftext.ini" ? TextTable::kFtextCount : TextTable::kItextCount;
    EXPECT_EQ(lines, entries + 1) << lang << "/" << name;  // header plus entries
    EXPECT_EQ(bytes.back(), '\n');
    // A "[" or ";" in a text would cut it short.
    std::istringstream in(bytes);
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
      const auto eq = line.find('=');
      ASSERT_NE(eq, std::string::npos) << line;
      const std::string text = line.substr(eq + 1);
      EXPECT_EQ(text.find_first_of("[;"), std::string::npos) << lang << "/" << name << ": " << line;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Languages, ShippedTextsTest, testing::Values("en", "zh_CN"),
                         [](const testing::TestParamInfo<const char*>& info) {
                           return std::string(info.param) == "en" ? "English" : "Chinese";
                         });

}  // namespace
}  // namespace tarnwick
