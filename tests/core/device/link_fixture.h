// What the device tests share: a recording window, numbered message texts
// ("itext 34" for entry 34) so a test can tell the messages apart, the two
// session flags, and a link with its command channel over a given UsbApi.
#pragma once

#include <atomic>
#include <string>

#include "core/app/text_ids.h"
#include "core/app/text_table.h"
#include "core/app/window_services.h"
#include "core/device/command_channel.h"
#include "core/device/command_frame.h"
#include "core/device/device_link.h"
#include "support/recording_surface.h"
#include "support/temp_dir.h"

namespace tarnwick::test {

inline std::string Itext(int n) { return "itext " + std::to_string(n); }

inline void LoadNumberedTexts(const TempDir& dir, TextTable& texts) {
  std::string ini = "[itext]\r\n";
  for (int i = 0; i < TextTable::kItextCount; ++i)
    ini += std::to_string(i) + "=" + Itext(i) + "\r\n";
  dir.Write("itext.ini", ini);
  texts.LoadItext(dir.file("itext.ini"));
}

struct LinkFixture {
  explicit LinkFixture(UsbApi& usb) : link(usb, services, refusal, deviceChanged) {
    LoadNumberedTexts(dir, texts);
    services.SetLogPath(dir.file("log.txt"));
    frame.bytes.front() = protocol::kStartMarker;
    frame.bytes.back() = protocol::kEndMarker;
  }

  int BoxesWith(const std::string& text, BoxIcon icon = BoxIcon::Warning) const {
    int n = 0;
    for (const RecordedBox& b : surface.Boxes()) {
      if (b.text == text && b.caption == Itext(itext::kNoticeCaption) && b.icon == icon) ++n;
    }
    return n;
  }
  int StatusCount(const std::string& text) const {
    int n = 0;
    for (const std::string& s : surface.StatusLines()) n += s == text ? 1 : 0;
    return n;
  }

  TempDir dir;
  RecordingSurface surface;
  TextTable texts;
  WindowServices services{surface, texts};
  std::atomic<bool> refusal{false};
  std::atomic<bool> deviceChanged{false};
  DeviceLink link;
  CommandFrame frame;
  CommandChannel channel{link, frame};
};

}  // namespace tarnwick::test
