// What every test against the virtual box shares: a fresh base directory with
// the shipped texts and catalogue, a recording surface in place of the window,
// the box behind a recording tap, and the checks of what a user would see
// (status lines, boxes, the frames the box received, the controls).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/app/text_table.h"
#include "core/catalogue/catalogue_codec.h"
#include "resources/ids.h"
#include "sim/virtual_box.h"
#include "support/recording_surface.h"
#include "support/tap_usb.h"
#include "support/temp_dir.h"

namespace tarnwick::test {

using Bytes = std::vector<std::uint8_t>;

// A raw SPI flash chip the virtual box can hold: blank, class 0.
inline sim::ChipDescription Flash(std::uint32_t id, std::uint64_t size,
                                  const std::string& content) {
  sim::ChipDescription c;
  c.model = "flash";
  c.kind = sim::ChipKind::SpiFlash;
  c.id = id;
  c.size = size;
  c.contentPath = content;
  c.fill = sim::ContentFill::Blank;
  return c;
}

// A raw EEPROM of access class `cls` talking only in the given subcodes.
inline sim::ChipDescription Eeprom(std::uint8_t cls, std::vector<std::uint8_t> subcodes,
                                   bool fiveVolt, std::uint64_t size, const std::string& content) {
  sim::ChipDescription c;
  c.model = "eeprom";
  c.kind = sim::ChipKind::Eeprom;
  c.accessClass = cls;
  c.subcodes = std::move(subcodes);
  c.fiveVolt = fiveVolt;
  c.size = size;
  c.pageSize = 64;
  c.sectorSize = 0;
  c.contentPath = content;
  c.fill = sim::ContentFill::Blank;
  return c;
}

inline int CountOf(const std::vector<std::uint8_t>& v, std::uint8_t code) {
  return static_cast<int>(std::count(v.begin(), v.end(), code));
}

inline Bytes Pattern(std::size_t n, unsigned seed = 1) {
  Bytes b(n);
  std::uint32_t x = seed * 2654435761u + 12345u;
  for (auto& v : b) {
    x = x * 1103515245u + 12345u;
    v = static_cast<std::uint8_t>(x >> 16);
  }
  return b;
}

// A clock that never moves: every elapsed time reads "0:0".
inline std::tm FixedClock() {
  std::tm t{};
  t.tm_year = 124;
  t.tm_mday = 1;
  t.tm_hour = 10;
  return t;
}

class BoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::filesystem::path portable = TARNWICK_PORTABLE_DIR;
    for (const char* f : {"ftext.ini", "itext.ini", "database.dat"}) {
      std::filesystem::copy_file(portable / f, dir.path() / f);
    }
  }

  // The text tables the program under test loaded.
  virtual const TextTable& Texts() = 0;
  const std::string& I(int n) { return Texts().itext(n); }
  const std::string& F(int n) { return Texts().ftext(n); }

  // Replaces database.dat with a catalogue of our own (readable text).
  void WriteCatalogue(const std::string& text) {
    std::string stored;
    CatalogueEncodeError error;
    ASSERT_TRUE(EncodeCatalogue(text, stored, error)) << "line " << error.line;
    dir.Write("database.dat", stored);
  }

  sim::BoxDescription DefaultBox() { return sim::DefaultBoxDescription(dir.base()); }
  sim::BoxDescription BoxWith(const sim::ChipDescription& chip) {
    sim::BoxDescription d = DefaultBox();
    d.chip = chip;
    return d;
  }

  // Builds the box and the tap in front of it.
  void MakeBox(const sim::BoxDescription& description) {
    std::string error;
    box = sim::VirtualBox::Create(description, error);
    ASSERT_TRUE(box) << error;
    tap = std::make_unique<TapUsb>(*box);
  }

  void SetAutoDetect(bool on) { surface.SetMenuChecked(ids::kAutoDetectSetting, on); }

  Bytes Chip(std::uint64_t address, std::uint64_t length) {
    return box->ReadContent(address, length);
  }

  // The status lines, and whether one of them starts with itext n.
  std::vector<std::string> Status() const { return surface.StatusLines(); }
  bool Shown(int itext) {
    const std::string& t = I(itext);
    for (const std::string& s : surface.StatusLines()) {
      if (s.compare(0, t.size(), t) == 0) return true;
    }
    return false;
  }
  bool LastIs(int itext) {
    const std::string last = surface.LastStatus();
    return last.compare(0, I(itext).size(), I(itext)) == 0;
  }
  int BoxesWith(const std::string& text) {
    int n = 0;
    for (const RecordedBox& b : surface.Boxes())
      n += b.text.find(text) != std::string::npos ? 1 : 0;
    return n;
  }

  // Commands sent after the last frame with `code` (or all when none).
  std::vector<std::uint8_t> CommandsAfter(std::uint8_t code) {
    const std::vector<std::uint8_t> all = tap->Commands();
    auto it = std::find(all.rbegin(), all.rend(), code);
    if (it == all.rend()) return all;
    return std::vector<std::uint8_t>(it.base(), all.end());
  }

  // Every operation button and menu item an operation greys must be usable
  // again afterwards, and every caption back to its idle text.
  void ExpectControlsRestored() {
    for (int id : {ids::kBrowseButton, ids::kAutoProgramButton, ids::kEraseButton,
                   ids::kProgramButton, ids::kReadButton, ids::kVerifyButton, ids::kDetectButton,
                   ids::kBlankCheckButton, ids::kSaveFileAs, ids::kFind, ids::kGoToAddress,
                   ids::kFirmwareVersion, ids::kFirmwareUpgrade, ids::kMenu32790}) {
      EXPECT_TRUE(surface.Enabled(id)) << "id " << id;
    }
    const std::pair<int, int> captions[] = {{ids::kEraseButton, 36},
                                            {ids::kProgramButton, 38},
                                            {ids::kVerifyButton, 40},
                                            {ids::kReadButton, 42},
                                            {ids::kBlankCheckButton, 44}};
    for (const auto& [id, running] : captions)
      EXPECT_NE(surface.ControlText(id), I(running)) << "id " << id;
  }

  TempDir dir;
  RecordingSurface surface;
  std::unique_ptr<sim::VirtualBox> box;
  std::unique_ptr<TapUsb> tap;
};

// Waits until `idle()` holds, failing the test after a minute.
template <typename Idle>
void WaitUntilIdle(Idle idle) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!idle()) {
    ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "worker never went idle";
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

}  // namespace tarnwick::test
