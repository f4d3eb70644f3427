// tarnwick-catalogue: turns the readable catalogue source into the scrambled
// "database.dat" the program reads, and back.
//
//   tarnwick-catalogue encode SOURCE.txt database.dat
//   tarnwick-catalogue decode database.dat SOURCE.txt
//
// Exit status: 0 done, 1 a character that cannot be stored (or a file
// error), 2 wrong usage.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>

#include "core/catalogue/catalogue.h"
#include "core/catalogue/catalogue_codec.h"

namespace {

bool ReadFile(const std::string& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}

int Usage() {
  std::cerr << "usage: tarnwick-catalogue encode SOURCE.txt database.dat\n"
               "       tarnwick-catalogue decode database.dat SOURCE.txt\n";
  return 2;
}

int Encode(const std::string& from, const std::string& to) {
  std::string text;
  if (!ReadFile(from, text)) {
    std::cerr << "tarnwick-catalogue: cannot read " << from << "\n";
    return 1;
  }
  std::string stored;
  tarnwick::CatalogueEncodeError error;
  if (!tarnwick::EncodeCatalogue(text, stored, error)) {
    char code[8];
    std::snprintf(code, sizeof code, "0x%02X", error.byte);
    std::cerr << from << ":" << error.line << ":" << error.column << ": character " << code
              << " cannot be stored in a catalogue\n";
    return 1;
  }
  // Say what the program will make of it, so a bad hand edit shows at build.
  tarnwick::Catalogue catalogue;
  catalogue.LoadText(text);
  const std::string refused = tarnwick::FormatRefusalLog(catalogue.Report());
  if (!refused.empty()) std::cerr << from << ": warning: " << refused << "\n";
  if (!WriteFile(to, stored)) {
    std::cerr << "tarnwick-catalogue: cannot write " << to << "\n";
    return 1;
  }
  return 0;
}

int Decode(const std::string& from, const std::string& to) {
  std::string stored;
  if (!ReadFile(from, stored)) {
    std::cerr << "tarnwick-catalogue: cannot read " << from << "\n";
    return 1;
  }
  if (!WriteFile(to, tarnwick::DecodeCatalogue(stored))) {
    std::cerr << "tarnwick-catalogue: cannot write " << to << "\n";
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return Usage();
  const std::string command = argv[1];
  if (command == "encode") return Encode(argv[2], argv[3]);
  if (command == "decode") return Decode(argv[2], argv[3]);
  return Usage();
}
