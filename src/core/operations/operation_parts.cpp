#include "core/operations/operation_parts.h"

#include <fcntl.h>
#include <unistd.h>

#include <utility>

#include "protocol/protocol.h"

namespace tarnwick {

OperationParts::OperationParts(std::string base, WindowSurface& s, UsbApi& u, WorkerHooks hooks,
                               std::function<void()> logLoadedFile, const std::string& workDir)
    : baseDir(std::move(base)),
      surface(s),
      usb(u),
      services(surface, texts),
      settings(surface, baseDir),
      worker(jobs, std::move(hooks)),
      launcher(jobs, worker, surface, texts, std::move(logLoadedFile)),
      link(usb, services, detection.refusal, worker.DeviceChangeFlag()),
      channel(link, frame),
      selection(catalogue, surface),
      image(services, baseDir, workDir),
      ctx{services,  link,  frame,    channel,   selection,
          catalogue, image, settings, detection, [this] { return worker.JobCode(); }} {
  services.SetBaseDir(baseDir);
}

void OperationParts::StartParts() {
  const std::string logPath = baseDir + "log.txt";
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
