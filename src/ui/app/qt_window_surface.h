// The window's WindowSurface. Callable from any thread: setters update the
// control state at once and hand the widget work to the GUI thread in call
// order; getters read the control state, so the worker never waits for the
// GUI. Ask() from the worker waits for the GUI thread's answer without
// blocking it.
#pragma once

#include <QObject>
#include <string>

#include "core/app/control_state.h"
#include "core/app/window_surface.h"
#include "ui/app/gui_poster.h"
#include "ui/app/surface_view.h"

namespace tarnwick {

class QtWindowSurface : public WindowSurface {
 public:
  // `context` lives on the GUI thread and owns the view's widgets; queued
  // work is dropped once it is gone.
  QtWindowSurface(QObject* context, SurfaceView& view);
  ~QtWindowSurface() override;

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

  // The window seeds the control state with the widgets' start state and keeps it in
  // step with what the user changes directly (check boxes).
  void SeedEnabled(int id, bool enabled);
  void SeedMenuChecked(int id, bool checked);
  void SeedText(int id, const std::string& text);
  void SeedCheckBox(int id, bool checked);

  // From now on nothing reaches the widgets and questions get their
  // cancelling answer at once: the window is going away.
  void Shutdown() { poster_.Shutdown(); }
  bool IsShutDown() const { return poster_.IsShutDown(); }

  // Runs the widget work queued so far (GUI thread only).
  void Flush() { poster_.Flush(); }

 private:
  SurfaceView& view_;
  ControlState state_;
  GuiPoster poster_;
};

}  // namespace tarnwick
