// The named text entries: each one the program shows is a real text in both
// shipped languages, no two names share an entry, the kAll lists hold exactly
// the header's constants, and no code of the core or the command line writes
// an entry number bare.
#include "core/app/text_ids.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <span>
#include <sstream>
#include <string>

#include "core/app/text_table.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

const std::string kSourceDir = TARNWICK_SOURCE_DIR;

std::string ReadAll(const fs::path& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

// A slot the shipped tables keep free ("Reserved text 13", "保留文本 13"): a
// name pointing there shows the user a filler.
bool IsReservedSlot(const std::string& text) {
  return text.starts_with("Reserved text") || text.starts_with("保留文本");
}

struct Table {
  const char* name;
  std::span<const TextId> ids;
  int count;
};

const Table kTables[] = {
    {"itext", itext::kAll, TextTable::kItextCount},
    {"ftext", ftext::kAll, TextTable::kFtextCount},
};

class TextIdsLanguageTest : public testing::TestWithParam<const char*> {};

TEST_P(TextIdsLanguageTest, EveryNameIsARealTextOfTheLanguage) {
  const std::string dir = kSourceDir + "/resources/lang/" + GetParam() + "/";
  TextTable texts;
  ASSERT_TRUE(texts.LoadFtext(dir + "ftext.ini"));
  ASSERT_TRUE(texts.LoadItext(dir + "itext.ini"));
  for (const TextId& id : itext::kAll) {
    const std::string& text = texts.itext(id.number);
    EXPECT_FALSE(text.empty()) << GetParam() << " itext " << id.number << " " << id.name;
    EXPECT_NE(text, TextTable::kItextPlaceholder) << GetParam() << " " << id.name;
    EXPECT_FALSE(IsReservedSlot(text)) << GetParam() << " " << id.name << ": " << text;
  }
  for (const TextId& id : ftext::kAll) {
    const std::string& text = texts.ftext(id.number);
    EXPECT_FALSE(text.empty()) << GetParam() << " ftext " << id.number << " " << id.name;
    EXPECT_NE(text, TextTable::kFtextPlaceholder) << GetParam() << " " << id.name;
    EXPECT_FALSE(IsReservedSlot(text)) << GetParam() << " " << id.name << ": " << text;
  }
}

INSTANTIATE_TEST_SUITE_P(Languages, TextIdsLanguageTest, testing::Values("en", "zh_CN"),
                         [](const testing::TestParamInfo<const char*>& info) {
                           return std::string(info.param) == "en" ? "English" : "Chinese";
                         });

TEST(TextIdsTest, NoTwoNamesShareAnEntry) {
  for (const Table& table : kTables) {
    std::map<int, std::string_view> byNumber;
    std::set<std::string_view> names;
    for (const TextId& id : table.ids) {
      EXPECT_GE(id.number, 0) << table.name << " " << id.name;
      EXPECT_LT(id.number, table.count) << table.name << " " << id.name;
      const auto [it, fresh] = byNumber.emplace(id.number, id.name);
      EXPECT_TRUE(fresh) << table.name << " " << id.number << ": " << it->second << " and "
                         << id.name;
      EXPECT_TRUE(names.insert(id.name).second) << table.name << " lists " << id.name << " twice";
    }
  }
}

// The header's declarations of one namespace, name -> number.
std::map<std::string, int> Declared(const std::string& header, const std::string& ns) {
  const std::string open = "namespace " + ns + " {";
  const std::string close = "}  // namespace " + ns;
  const std::size_t begin = header.find(open);
  const std::size_t end = header.find(close, begin);
  std::map<std::string, int> out;
  if (begin == std::string::npos || end == std::string::npos) return out;
  const std::string body = header.substr(begin, end - begin);
  static const std::regex kDeclaration(R"(inline constexpr int (k\w+) = (\d+);)");
  for (auto m = std::sregex_iterator(body.begin(), body.end(), kDeclaration);
       m != std::sregex_iterator(); ++m) {
    out[(*m)[1].str()] = std::stoi((*m)[2].str());
  }
  return out;
}

TEST(TextIdsTest, ListsHoldExactlyTheDeclaredConstants) {
  const std::string header = ReadAll(kSourceDir + "/src/core/app/text_ids.h");
  ASSERT_FALSE(header.empty());
  for (const Table& table : kTables) {
    const std::map<std::string, int> declared = Declared(header, table.name);
    ASSERT_FALSE(declared.empty()) << table.name;
    std::map<std::string, int> listed;
    for (const TextId& id : table.ids) listed[std::string(id.name)] = id.number;
    for (const auto& [name, number] : declared) {
      const auto it = listed.find(name);
      if (it == listed.end()) {
        ADD_FAILURE() << table.name << "::" << name << " is missing from kAll";
      } else {
        EXPECT_EQ(it->second, number)
            << table.name << "::" << name << " is listed as another entry";
      }
    }
    for (const auto& [name, number] : listed) {
      EXPECT_TRUE(declared.contains(name)) << table.name << " kAll names " << name << " (entry "
                                           << number << "), which is not declared";
    }
  }
}

TEST(TextIdsTest, CoreCommandLineAndWindowNameEveryEntry) {
  static const std::regex kBareNumber(R"(\b(I|F|itext|ftext|Itext|Ftext)\(\s*[0-9]+\s*\))");
  int files = 0;
  for (const char* sub : {"/src/core", "/src/cli", "/src/ui"}) {
    for (const auto& entry : fs::recursive_directory_iterator(kSourceDir + sub)) {
      const std::string ext = entry.path().extension().string();
      if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h")) continue;
      ++files;
      std::istringstream in(ReadAll(entry.path()));
      std::string line;
      for (int n = 1; std::getline(in, line); ++n) {
        EXPECT_FALSE(std::regex_search(line, kBareNumber))
            << entry.path().string() << ":" << n << ": " << line;
      }
    }
  }
  EXPECT_GT(files, 0);
}

}  // namespace
}  // namespace tarnwick
