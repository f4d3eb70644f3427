// Prints how long loading the shipped catalogue and filling every list takes.
// Uses the built database.dat when there is one, else encodes the source.
//
//   bench_catalogue [database.dat]
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/catalogue/catalogue.h"
#include "core/catalogue/catalogue_codec.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

double MicrosecondsPer(Clock::duration d, int rounds) {
  return std::chrono::duration<double, std::micro>(d).count() / rounds;
}

// Everything the selection ever lists: every type, its makers, their models.
std::size_t ListEverything(const tarnwick::Catalogue& c) {
  std::size_t entries = 0;
  std::vector<std::string> types;
  entries += c.ListTypes(types);
  for (const auto& t : types) {
    std::vector<std::string> makers;
    entries += c.ListMakers(t, makers);
    for (const auto& m : makers) {
      std::vector<std::string> models;
      entries += c.ListModels(t, m, models);
    }
  }
  return entries;
}

// The portable folder sits beside bench/ in the build tree.
std::string BuiltDatabase() {
  std::error_code ec;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return {};
  return (self.parent_path().parent_path() / "portable" / "database.dat").string();
}

std::string SourceCatalogue() {
  return (std::filesystem::path(__FILE__).parent_path().parent_path() / "resources" / "catalogue" /
          "catalogue.txt")
      .string();
}

}  // namespace

int main(int argc, char** argv) {
  std::string path = argc > 1 ? argv[1] : BuiltDatabase();
  std::filesystem::path temp;
  if (!std::filesystem::exists(path)) {
    std::string stored;
    tarnwick::CatalogueEncodeError error;
    const std::string source = ReadFile(SourceCatalogue());
    if (!tarnwick::EncodeCatalogue(source, stored, error)) {
      std::fprintf(stderr, "catalogue source cannot be encoded (line %zu)\n", error.line);
      return 1;
    }
    temp = std::filesystem::temp_directory_path() / "bench_catalogue_database.dat";
    std::ofstream(temp, std::ios::binary) << stored;
    path = temp.string();
  }

  constexpr int kRounds = 200;
  tarnwick::Catalogue catalogue;
  auto start = Clock::now();
  for (int i = 0; i < kRounds; ++i) catalogue.LoadCatalogue(path);
  const auto load = Clock::now() - start;

  std::size_t entries = 0;
  start = Clock::now();
  for (int i = 0; i < kRounds; ++i) entries = ListEverything(catalogue);
  const auto list = Clock::now() - start;

  if (catalogue.Count() == 0) {
    std::fprintf(stderr, "no catalogue read from %s\n", path.c_str());
    return 1;
  }
  std::printf("catalogue: %s, %zu bytes, %u records, %zu list entries\n", path.c_str(),
              static_cast<std::size_t>(std::filesystem::file_size(path)), catalogue.Count(),
              entries);
  std::printf("load (read, unscramble, parse): %.1f us\n", MicrosecondsPer(load, kRounds));
  std::printf("list every type, maker and model: %.1f us\n", MicrosecondsPer(list, kRounds));
  if (!temp.empty()) std::filesystem::remove(temp);
  return 0;
}
