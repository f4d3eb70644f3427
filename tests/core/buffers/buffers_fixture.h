// Shared set-up of the buffer tests: a base directory of its own, a recording
// surface, a text table whose entries are told apart ("itext N"), and a file
// image on top.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/app/text_table.h"
#include "core/app/window_services.h"
#include "core/buffers/file_image.h"
#include "support/recording_surface.h"
#include "support/temp_dir.h"

namespace tarnwick::buffers::test {

class BuffersTest : public ::testing::Test {
 protected:
  BuffersTest() : services(surface, texts) {
    std::string ini = "[itext]\r\n";
    for (int i = 0; i < TextTable::kItextCount; ++i) {
      ini += std::to_string(i) + "=itext " + std::to_string(i) + "\r\n";
    }
    dir.Write("itext.ini", ini);
    texts.LoadItext(dir.file("itext.ini"));
    services.SetLogPath(dir.file("log.txt"));
    services.SetClock([] {
      std::tm t{};
      t.tm_year = 124;
      t.tm_mon = 2;
      t.tm_mday = 5;
      t.tm_hour = 9;
      t.tm_min = 7;
      t.tm_sec = 3;
      return t;
    });
    std::filesystem::create_directory(dir.path() / "data");
    image = std::make_unique<FileImage>(services, dir.base());
  }

  // A user file under data/.
  std::string UserFile(const std::string& name, const std::string& bytes) {
    dir.Write("data/" + name, bytes);
    return dir.file("data/" + name);
  }
  std::string UserFile(const std::string& name, std::size_t size, char fill) {
    return UserFile(name, std::string(size, fill));
  }
  std::string ReadFile(const std::string& path) {
    return dir.Read(std::filesystem::relative(path, dir.path()).string());
  }
  std::string itext(int n) const { return texts.itext(n); }
  std::string LogText() { return dir.Read("log.txt"); }
  std::vector<::tarnwick::test::RecordedBox> Boxes() const { return surface.Boxes(); }

  ::tarnwick::test::TempDir dir;
  ::tarnwick::test::RecordingSurface surface;
  TextTable texts;
  WindowServices services;
  std::unique_ptr<FileImage> image;
};

}  // namespace tarnwick::buffers::test
