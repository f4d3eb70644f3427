// The user manual in the built portable folder: Tarnwick.html is there, and
// every picture it shows lies beside it, so the manual never ships with a
// broken image.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

TEST(PortableManual, TheManualAndEveryPictureItShowsAreInThePortableFolder) {
  const fs::path portable = TARNWICK_PORTABLE_DIR;
  const fs::path html = portable / "Tarnwick.html";
  std::ifstream in(html, std::ios::binary);
  ASSERT_TRUE(in) << html << " is missing";
  std::stringstream text;
  text << in.rdbuf();
  const std::string page = text.str();
  EXPECT_NE(page.find("<meta charset=\"utf-8\">"), std::string::npos) << "not marked as UTF-8";

  const std::regex source(R"re(src\s*=\s*"([^"]*)")re", std::regex::icase);
  std::vector<std::string> missing;
  int pictures = 0;
  for (auto it = std::sregex_iterator(page.begin(), page.end(), source);
       it != std::sregex_iterator(); ++it) {
    const std::string ref = (*it)[1].str();
    ++pictures;
    // Relative to the page, inside the portable folder.
    const bool relative = !ref.empty() && ref.front() != '/' &&
                          ref.find("://") == std::string::npos &&
                          ref.find("..") == std::string::npos;
    if (!relative || !fs::is_regular_file(portable / ref)) missing.push_back(ref);
  }
  EXPECT_GT(pictures, 0) << "the manual shows no picture";
  EXPECT_TRUE(missing.empty()) << "pictures not beside the manual: "
                               << ::testing::PrintToString(missing);
}

}  // namespace
