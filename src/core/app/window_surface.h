// What a front end (the Qt window, the terminal, a test recorder) offers the
// core. Everything the core shows goes through here; the core never prints.
//
// Thread rules: every call may come from the worker thread. An implementation
// must not block the caller on the GUI thread except for Ask(), which waits for
// the user's answer (and must not freeze the GUI while it waits).
#pragma once

#include <string>
#include <vector>

namespace tarnwick {

enum class BoxIcon { Information, Warning, Error, Question };
enum class BoxButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class BoxAnswer { Ok, Cancel, Yes, No };

class WindowSurface {
 public:
  virtual ~WindowSurface() = default;

  // Status line 1018; `error` draws it white on red until the next plain line.
  virtual void SetStatusLine(const std::string& text, bool error) = 0;
  // The system's exclamation beep.
  virtual void Beep() = 0;

  // Log pane 1101. `line` already carries its time prefix (and its leading
  // line break when one is due). With `replaceLast` the pane's last line is
  // replaced instead of appended to.
  virtual void WritePaneLine(const std::string& line, bool replaceLast) = 0;
  virtual void ClearPane() = 0;

  // Progress bar 1031 (a bar with a text over it).
  virtual void ShowProgress(bool visible) = 0;
  virtual void SetProgress(int position, const std::string& text) = 0;

  // Controls and menu items share ids (resources/ids.h). Enabling an id acts
  // on the control and on the menu item of that id, whichever exist.
  virtual void SetCommandEnabled(int id, bool enabled) = 0;
  virtual bool IsCommandEnabled(int id) = 0;
  virtual void SetMenuChecked(int id, bool checked) = 0;
  virtual bool IsMenuChecked(int id) = 0;
  // Captions, static texts, the file-name box; ids::kWindowTitle is the title.
  virtual void SetControlText(int id, const std::string& text) = 0;
  virtual std::string ControlText(int id) = 0;
  virtual void SetControlVisible(int id, bool visible) = 0;
  // Check boxes (edit mode 1006, QE 1189).
  virtual void SetCheckBox(int id, bool checked) = 0;
  virtual bool IsCheckBoxChecked(int id) = 0;

  // The three chip lists 1014-1016: their entries and the selected index
  // (-1 for none). Filling a list does not raise its change notification.
  virtual void SetListItems(int id, const std::vector<std::string>& items) = 0;
  virtual void SetListSelection(int id, int index) = 0;

  // Picture buttons (socket 1071, adapter 1073) by icon resource id.
  virtual void SetPicture(int id, int iconResource) = 0;

  // The hex view must re-read its page from the core.
  virtual void HexViewChanged() = 0;

  // A message box. Returns the button pressed; Ok for a plain box.
  virtual BoxAnswer Ask(const std::string& text, const std::string& caption, BoxIcon icon,
                        BoxButtons buttons) = 0;

  // Plays a wave file without waiting for it.
  virtual void PlaySound(const std::string& absolutePath) = 0;
};

}  // namespace tarnwick
