#include "support/temp_dir.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace tarnwick::test {

TempDir::TempDir() {
  std::string templ = (std::filesystem::temp_directory_path() / "tarnwick-test-XXXXXX").string();
  if (!mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
  path_ = templ;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

void TempDir::Write(const std::string& name, const std::string& bytes) const {
  std::ofstream f(path_ / name, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void TempDir::Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
  Write(name, std::string(bytes.begin(), bytes.end()));
}

std::string TempDir::Read(const std::string& name) const {
  std::ifstream f(path_ / name, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

}  // namespace tarnwick::test
