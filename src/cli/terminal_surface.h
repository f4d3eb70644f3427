// The command line's window: status lines and the log go to standard error,
// progress is a bar on a terminal and plain lines otherwise, questions are
// answered Yes with --yes and otherwise fail the command.
#pragma once

#include <atomic>
#include <cstdio>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "cli/verify_differences.h"
#include "core/app/control_state.h"
#include "core/app/window_surface.h"

namespace tarnwick::cli {

// `text` as a terminal in a locale other than UTF-8 can show it: the check
// mark of the status lines becomes " OK".
std::string PlainText(const std::string& text, bool utf8);

class TerminalSurface : public WindowSurface {
 public:
  TerminalSurface(std::FILE* err, bool assumeYes, bool isTerminal);

  void SetStatusLine(const std::string& text, bool error) override;
  void Beep() override {}
  void WritePaneLine(const std::string& line, bool replaceLast) override;
  void ClearPane() override {}
  void ShowProgress(bool visible) override;
  void SetProgress(int position, const std::string& text) override;
  void SetCommandEnabled(int id, bool enabled) override;
  bool IsCommandEnabled(int id) override;
  void SetMenuChecked(int id, bool checked) override;
  bool IsMenuChecked(int id) override;
  void SetControlText(int id, const std::string& text) override;
  std::string ControlText(int id) override;
  void SetControlVisible(int, bool) override {}
  void SetCheckBox(int id, bool checked) override;
  bool IsCheckBoxChecked(int id) override;
  void SetListItems(int id, const std::vector<std::string>& items) override;
  void SetListSelection(int id, int index) override;
  void SetPicture(int, int) override {}
  void HexViewChanged() override {}
  BoxAnswer Ask(const std::string& text, const std::string& caption, BoxIcon icon,
                BoxButtons buttons) override;
  void PlaySound(const std::string&) override {}

  // The last status line and whether it was an error line.
  std::string LastStatus() const;
  bool LastStatusWasError() const;
  // True once a question could not be answered (no --yes): the command fails.
  bool QuestionRefused() const { return questionRefused_.load(); }
  // Log pane lines (detection writes its result there).
  std::vector<std::string> PaneLines() const;
  std::vector<std::string> ListItems(int id) const;
  int ListSelection(int id) const;
  // Verify's question about each difference is not asked: the first `keep`
  // differences `parse` reads from it are kept, the rest only counted.
  using DifferenceParser = std::function<std::optional<Difference>(const std::string&)>;
  void CollectDifferences(DifferenceParser parse, std::size_t keep);
  std::vector<Difference> Differences() const;
  // Quiet mode: status lines are kept but not printed.
  void SetQuiet(bool quiet) { quiet_ = quiet; }
  // A status text the command line settles by itself (the --chip named
  // settles which of several records sharing an ID is meant): not said.
  void PassOver(const std::string& text);

 private:
  void EndProgressLine();

  std::FILE* err_;
  bool assumeYes_;
  bool tty_;
  bool utf8_;
  bool quiet_ = false;
  std::set<std::string> passedOver_;
  mutable std::mutex m_;
  std::string lastStatus_;
  bool lastError_ = false;
  bool progressShown_ = false;
  std::string lastProgress_;
  int lastPlainPercent_ = -1;
  std::atomic<bool> questionRefused_{false};
  std::set<std::string> saidErrors_;
  DifferenceParser parseDifference_;
  std::size_t keepDifferences_ = 0;
  std::vector<Difference> differences_;
  std::vector<std::string> pane_;
  ControlState state_;
};

}  // namespace tarnwick::cli
