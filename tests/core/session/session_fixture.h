// A whole session on a fresh base directory, talking to a virtual box through
// a recording tap, with a recording surface in place of the window. What the
// tests look at is what a user would see: status lines, boxes, progress, the
// lamp, the chip's content and the frames the box received.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/catalogue/catalogue_codec.h"
#include "core/session/session.h"
#include "core/session/session_impl.h"
#include "core/session/tap_usb.h"
#include "resources/ids.h"
#include "sim/virtual_box.h"
#include "support/recording_surface.h"
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

class SessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::filesystem::path portable = TARNWICK_PORTABLE_DIR;
    for (const char* f : {"ftext.ini", "itext.ini", "database.dat"}) {
      std::filesystem::copy_file(portable / f, dir.path() / f);
    }
  }

  void TearDown() override {
    if (session) session->Exit();
  }

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

  // Builds the box and the session; `startWorker` runs the quiet start-up
  // detection as the window does.
  void Boot(const sim::BoxDescription& description, bool startWorker = false) {
    std::string error;
    box = sim::VirtualBox::Create(description, error);
    ASSERT_TRUE(box) << error;
    tap = std::make_unique<TapUsb>(*box);
    session = std::make_unique<Session>(Session::Options{dir.base(), startWorker}, surface, *tap);
    // A clock that never moves: every elapsed time reads "0:0".
    session->services().SetClock([] {
      std::tm t{};
      t.tm_year = 124;
      t.tm_mday = 1;
      t.tm_hour = 10;
      return t;
    });
    session->LoadTexts();
    session->Start();
    if (startWorker) WaitIdle();
  }

  Session::Impl& d() { return session->impl(); }
  const std::string& I(int n) { return session->texts().itext(n); }
  const std::string& F(int n) { return session->texts().ftext(n); }

  void SetAutoDetect(bool on) { surface.SetMenuChecked(ids::kAutoDetectSetting, on); }

  // Waits until the worker waits for its next job.
  void WaitIdle() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!(d().worker.Idle() && d().worker.JobCode() == kJobIdle)) {
      ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "worker never went idle";
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }

  // A click on a button or menu item, then wait for the job it started.
  void Press(int id) {
    session->OnCommand(id);
    WaitIdle();
  }

  bool Run(std::uint8_t code) { return session->RunJobAndWait(code); }

  // A click from the window's thread while the worker is busy (called from a
  // hook on the worker's thread, which waits for the click to be handled).
  void ClickFromWindow(int id) {
    std::thread ui([this, id] { session->OnCommand(id); });
    ui.join();
  }

  // Selects a catalogue record by its three texts, as the user would.
  void Choose(const std::string& type, const std::string& maker, const std::string& model) {
    const std::int32_t index = d().catalogue.FindRecord(type, maker, model);
    ASSERT_GE(index, 0) << model;
    ASSERT_TRUE(d().selection.SelectRecord(index));
  }

  std::string LoadFile(const std::string& name, const Bytes& bytes) {
    dir.Write(name, bytes);
    EXPECT_TRUE(session->LoadUserFile(dir.file(name)));
    return dir.file(name);
  }

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
  std::unique_ptr<Session> session;
};

}  // namespace tarnwick::test
