// A WindowSurface that records what the core shows and answers questions from
// a script. Used by every core test; thread-safe like the real window.
#pragma once

#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "core/app/control_state.h"
#include "core/app/window_surface.h"

namespace tarnwick::test {

struct RecordedBox {
  std::string text;
  std::string caption;
  BoxIcon icon;
  BoxButtons buttons;
};

class RecordingSurface : public WindowSurface {
 public:
  RecordingSurface();

  void SetStatusLine(const std::string& text, bool error) override;
  void Beep() override;
  void WritePaneLine(const std::string& line, bool replaceLast) override;
  void ClearPane() override;
  void ShowProgress(bool visible) override;
  void SetProgress(int position, const std::string& text) override;
  void SetCommandEnabled(int id, bool enabled) override;
  bool IsCommandEnabled(int id) override;
  void SetMenuChecked(int id, bool checked) override;
  bool IsMenuChecked(int id) override;
  void SetControlText(int id, const std::string& text) override;
  std::string ControlText(int id) override;
  void SetControlVisible(int id, bool visible) override;
  void SetCheckBox(int id, bool checked) override;
  bool IsCheckBoxChecked(int id) override;
  void SetListItems(int id, const std::vector<std::string>& items) override;
  void SetListSelection(int id, int index) override;
  void SetPicture(int id, int iconResource) override;
  void HexViewChanged() override;
  BoxAnswer Ask(const std::string& text, const std::string& caption, BoxIcon icon,
                BoxButtons buttons) override;
  void PlaySound(const std::string& absolutePath) override;

  // Scripted answers, used in order; when none is left a question gets the
  // default (Ok / Yes).
  void QueueAnswer(BoxAnswer a);

  // What was shown. Snapshots, safe to read while the worker runs.
  std::vector<std::string> StatusLines() const;
  std::string LastStatus() const;
  bool LastStatusIsError() const;
  std::vector<std::string> PaneLines() const;  // pane content split into lines
  std::vector<RecordedBox> Boxes() const;
  std::vector<std::string> ProgressTexts() const;
  std::vector<std::string> Sounds() const;
  int Beeps() const;
  bool ProgressVisible() const;
  std::vector<std::string> ListItems(int id) const;
  int ListSelection(int id) const;
  int Picture(int id) const;
  bool Visible(int id) const;
  int HexViewChanges() const;
  bool Enabled(int id) const;  // never-touched ids count as enabled

 private:
  mutable std::mutex m_;
  std::vector<std::string> status_;
  bool statusError_ = false;
  std::string pane_;
  std::vector<RecordedBox> boxes_;
  std::deque<BoxAnswer> answers_;
  std::vector<std::string> progress_;
  bool progressVisible_ = false;
  std::vector<std::string> sounds_;
  int beeps_ = 0;
  int hexChanges_ = 0;
  ControlState state_;
  std::map<int, bool> visible_;
  std::map<int, int> pictures_;
};

}  // namespace tarnwick::test
