// The program's state for one run, without any widget: texts, settings,
// catalogue and selection, command frame, link, worker, file image. The Qt
// window and the command line each own one Session and only translate user
// actions into calls on it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/app/text_table.h"
#include "core/app/window_services.h"
#include "core/app/window_surface.h"
#include "protocol/usb_api.h"

namespace tarnwick {

class Session {
 public:
  struct Options {
    std::string baseDir;       // with trailing '/'
    bool startWorker = true;   // tests may drive jobs synchronously
  };

  Session(Options options, WindowSurface& surface, UsbApi& usb);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Start-up, in the window's initialisation order. LoadTexts first (the
  // front end then applies captions from texts()), then Start.
  void LoadTexts();
  void Start();

  TextTable& texts();
  WindowServices& services();

  // A command id from a button, menu item or key (resources/ids.h).
  void OnCommand(int id);
  // A chip list (1014-1016) changed its selection to `index`.
  void OnListChanged(int listId, int index);
  // A file picked by the user (browse, menu) or dropped on the window.
  bool LoadUserFile(const std::string& path);
  void OnFileDropped(const std::string& path);
  // Files named "...CAP" go through offset programming: the front end opens
  // its dialog with the path.
  void SetOffsetDialogOpener(std::function<void(const std::string&)> open);
  // USB devices changed (hot plug).
  void OnDeviceChange();

  // The close sequence: questions about running operations, link release,
  // temporary files, worker exit. False when the user abandoned the close.
  bool CloseRequested();
  // The exit menu item: ends the worker without the close sequence.
  void Exit();

  // Starts job `code` on the worker (starting the worker when it is not yet
  // running) and waits until the worker is idle again. For the command line
  // and whole-flow tests; the window never waits for the worker.
  // Returns the job's outcome (false for an unknown code).
  bool RunJobAndWait(std::uint8_t code);
  // What the last detection returned (1 found, 0 family only / not in the
  // catalogue, -1 no answer or refusal, -2 no box).
  int LastDetectResult() const;

  struct Impl;
  Impl& impl() { return *impl_; }

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace tarnwick
