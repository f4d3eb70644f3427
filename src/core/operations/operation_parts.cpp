#include "core/operations/operation_parts.h"

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>
#include <utility>

#include "protocol/protocol.h"

namespace tarnwick {

OperationParts::OperationParts(DataLayout where, WindowSurface& s, UsbApi& u, WorkerHooks hooks,
                               std::function<void()> logLoadedFile)
    : layout(std::move(where)),
      surface(s),
      usb(u),
      services(surface, texts),
      settings(surface, layout.settingsFile),
      worker(jobs, std::move(hooks)),
      launcher(jobs, worker, surface, texts, std::move(logLoadedFile)),
      link(usb, services, detection.refusal, worker.DeviceChangeFlag()),
      channel(link, frame),
      selection(catalogue, surface),
      image(services, layout.configDir, layout.workDir),
      ctx{services,  link,  frame,    channel,   selection,
          catalogue, image, settings, detection, [this] { return worker.JobCode(); }} {
  services.SetBaseDir(layout.configDir);
  services.SetSoundDir(layout.assetDir);
  services.SetLogLimit(layout.logLimit);
}

void OperationParts::StartParts() {
  // The installed program's folders may have been removed since the start.
  std::error_code ec;
  for (const std::string& dir : UserFolders(layout)) {
    if (layout.installed) std::filesystem::create_directories(dir, ec);
  }
  const std::string& logPath = layout.logFile;
  // Created when missing; a FIFO in its place is not waited on.
  const int fd =
      ::open(logPath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0644);
  if (fd >= 0) ::close(fd);
  services.SetLogPath(logPath);
  frame.bytes.fill(0);
  image.ShowInitialState();
  settings.LoadSettings();
  link.ResetLink();
  frame.bytes[0] = protocol::kStartMarker;
  frame.bytes[protocol::kFrameEnd] = protocol::kEndMarker;
}

}  // namespace tarnwick
