// Helpers shared by the catalogue tests: building catalogue texts and reading
// the shipped source.
#pragma once

#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>

namespace tarnwick::test {

// Joins lines with the catalogue's CR LF line end (after every line).
inline std::string CrLf(std::initializer_list<std::string> lines) {
  std::string text;
  for (const auto& l : lines) text += l + "\r\n";
  return text;
}

inline std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string ShippedCatalogueDir() {
  return std::string(TARNWICK_SOURCE_DIR) + "/resources/catalogue";
}

inline std::string ShippedCatalogueSource() {
  return ReadWholeFile(ShippedCatalogueDir() + "/catalogue.txt");
}

}  // namespace tarnwick::test
