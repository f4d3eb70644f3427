#include "core/operations/op_support.h"

#include <array>
#include <chrono>
#include <thread>

#include "core/app/text_ids.h"
#include "core/buffers/file_image.h"
#include "core/catalogue/chip_selection.h"
#include "core/device/device_link.h"
#include "core/device/parameter_build.h"

namespace tarnwick {

bool Send(OperationContext& ctx, std::uint8_t code, int timeoutMs, const std::uint8_t* payload,
          std::size_t length) {
  return ctx.channel.SendCommand(code, timeoutMs, payload, length);
}

int Read(OperationContext& ctx, std::uint8_t* buffer, int count, int timeoutMs) {
  return ctx.link.ReadAnswer(buffer, count, timeoutMs);
}

void Drain64(OperationContext& ctx, int timeoutMs, bool once) {
  std::array<std::uint8_t, 64> junk{};
  // Bounded: a box that keeps streaming must not hold the worker for ever.
  for (int i = 0; i < 100000; ++i) {
    if (Read(ctx, junk.data(), static_cast<int>(junk.size()), timeoutMs) <= 0 || once) return;
  }
}

void DrainBytes(OperationContext& ctx) {
  std::uint8_t b = 0;
  for (int i = 0; i < 100000; ++i) {
    if (Read(ctx, &b, 1, 10) <= 0) return;
  }
}

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

int TimeOfDaySeconds(OperationContext& ctx) {
  const std::tm t = ctx.ui.Now();
  return t.tm_hour * 3600 + t.tm_min * 60 + t.tm_sec;
}

std::string MinSec(int seconds) { return Format("%d:%d", seconds / 60, seconds % 60); }

int Elapsed(OperationContext& ctx, int start) {
  int d = TimeOfDaySeconds(ctx) - start;
  if (d < 0) d += 24 * 3600;
  return d;
}

void RebuildParameters(OperationContext& ctx) {
  BuildParameters(ctx.catalogue, ctx.selection.SelectedRecord(), ctx.selection.AdapterFlag(),
                  ctx.frame);
}

bool RefusedByBox(OperationContext& ctx) {
  if (!ctx.detection.refusal) return false;
  ctx.ui.ShowStatus(ctx.I(itext::kBoxRefused), true, true);
  return true;
}

bool NoChipSelected(OperationContext& ctx) {
  if (ctx.selection.HasRecord() && ctx.selection.ChipSize() > 0) return false;
  ctx.ui.ShowStatus(ctx.I(itext::kNoChipSelected), true, true);
  return true;
}

bool ImageMissing(OperationContext& ctx) {
  if (ctx.image.loaded()) return false;
  ctx.ui.ShowStatus(ctx.I(itext::kNoFileLoaded));
  ctx.ui.Box(ctx.I(itext::kNoFileLoaded), BoxIcon::Warning);
  return true;
}

bool ImageEmpty(OperationContext& ctx) {
  if (!ctx.image.loaded() || ctx.image.size() > 0) return false;
  // Nothing to write or compare: an empty file is a mistake, not a pass.
  const std::string text = ctx.image.fileName() + ": " + ctx.I(itext::kFileEmpty);
  ctx.ui.ShowStatus(text, true, true);
  ctx.ui.Box(text, BoxIcon::Warning);
  return true;
}

void DisableAll(OperationContext& ctx, CommandSet ids) {
  for (int id : ids) ctx.ui.DisableCommand(id);
}

void EnableAll(OperationContext& ctx, CommandSet ids) {
  for (int id : ids) ctx.ui.EnableCommand(id);
}

}  // namespace tarnwick
