// tarnwick-cli against the virtual box, as a production line would run it:
// a real process in a fresh base directory, real files, the exit status and
// what it prints.
#pragma once

#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/app/text_table.h"
#include "support/temp_dir.h"

namespace tarnwick::test {

struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
};

class CliFlow : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::filesystem::path portable = TARNWICK_PORTABLE_DIR;
    for (const char* f : {"ftext.ini", "itext.ini", "database.dat"}) {
      std::filesystem::copy_file(portable / f, dir.path() / f);
    }
    texts.LoadFtext(dir.file("ftext.ini"));
    texts.LoadItext(dir.file("itext.ini"));
  }

  static std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
  }

  // `input` is the program's standard input.
  CliRun Cli(const std::vector<std::string>& args, const std::string& simulate = "--simulate",
             const std::string& input = "/dev/null") {
    std::string cmd = Quote(std::string(TARNWICK_PORTABLE_DIR) + "/tarnwick-cli");
    if (!simulate.empty()) cmd += " " + Quote(simulate);
    cmd += " --base-dir " + Quote(dir.base());
    for (const std::string& a : args) cmd += " " + Quote(a);
    cmd += " >" + Quote(dir.file("out.txt")) + " 2>" + Quote(dir.file("err.txt")) + " <" +
           Quote(input);
    const int raw = std::system(cmd.c_str());
    CliRun r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = dir.Read("out.txt");
    r.err = dir.Read("err.txt");
    return r;
  }

  std::string Chip() const { return dir.Read("en25q64.bin"); }

  std::string RandomFile(const std::string& name, std::size_t size, unsigned seed = 7) {
    std::mt19937 rng(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(rng());
    dir.Write(name, bytes);
    return dir.file(name);
  }

  TempDir dir;
  TextTable texts;
};

}  // namespace tarnwick::test
