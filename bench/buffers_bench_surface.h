// A window surface that shows nothing, for the buffer benchmarks. It keeps
// no ControlState on purpose: with no menu check marks ever set, automatic
// identification stays off for the operation benchmarks.
#pragma once

#include <string>
#include <vector>

#include "core/app/window_surface.h"

namespace tarnwick::bench {

class SilentSurface : public WindowSurface {
 public:
  void SetStatusLine(const std::string&, bool) override {}
  void Beep() override {}
  void WritePaneLine(const std::string&, bool) override {}
  void ClearPane() override {}
  void ShowProgress(bool) override {}
  void SetProgress(int, const std::string&) override {}
  void SetCommandEnabled(int, bool) override {}
  bool IsCommandEnabled(int) override { return true; }
  void SetMenuChecked(int, bool) override {}
  bool IsMenuChecked(int) override { return false; }
  void SetControlText(int, const std::string&) override {}
  std::string ControlText(int) override { return {}; }
  void SetControlVisible(int, bool) override {}
  void SetCheckBox(int, bool) override {}
  bool IsCheckBoxChecked(int) override { return false; }
  void SetListItems(int, const std::vector<std::string>&) override {}
  void SetListSelection(int, int) override {}
  void SetPicture(int, int) override {}
  void HexViewChanged() override {}
  BoxAnswer Ask(const std::string&, const std::string&, BoxIcon, BoxButtons) override {
    return BoxAnswer::Ok;
  }
  void PlaySound(const std::string&) override {}
};

}  // namespace tarnwick::bench
