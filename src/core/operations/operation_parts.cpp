#include "core/operations/operation_parts.h"

#include <cstdio>
#include <utility>

#include "protocol/protocol.h"

namespace tarnwick {

OperationParts::OperationParts(std::string base, WindowSurface& s, UsbApi& u, WorkerHooks hooks,
                               std::function<void()> logLoadedFile)
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
      image(services, baseDir),
      ctx{services,  link,  frame,    channel,   selection,
          catalogue, image, settings, detection, [this] { return worker.JobCode(); }} {
  services.SetBaseDir(baseDir);
}

void OperationParts::StartParts() {
  const std::string logPath = baseDir + "log.txt";
  if (std::FILE* f = std::fopen(logPath.c_str(), "ab")) std::fclose(f);
  services.SetLogPath(logPath);
  frame.bytes.fill(0);
  image.ShowInitialState();
  settings.LoadSettings();
  link.ResetLink();
  frame.bytes[0] = protocol::kStartMarker;
  frame.bytes[protocol::kFrameEnd] = protocol::kEndMarker;
}

}  // namespace tarnwick
