#include "core/operations/op_support.h"

#include <array>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <thread>

#include "core/buffers/file_image.h"
#include "core/catalogue/chip_selection.h"
#include "core/catalogue/parameter_build.h"
#include "core/device/device_link.h"

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
  BuildParameters(ctx.catalogue, ctx.selection.SelectedRecord(), ctx.selection.AdapterFlag(), ctx.frame);
}

bool RefusedByBox(OperationContext& ctx) {
  if (!ctx.flags.refusal) return false;
  ctx.ui.ShowStatus(ctx.I(56), true, true);
  return true;
}

bool ImageMissing(OperationContext& ctx) {
  if (ctx.image.loaded()) return false;
  ctx.ui.ShowStatus(ctx.I(57));
  ctx.ui.Box(ctx.I(57), BoxIcon::Warning);
  return true;
}

void DisableAll(OperationContext& ctx, std::initializer_list<int> ids) {
  for (int id : ids) ctx.ui.DisableCommand(id);
}

void EnableAll(OperationContext& ctx, std::initializer_list<int> ids) {
  for (int id : ids) ctx.ui.EnableCommand(id);
}

std::string Format(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  va_list ap2;
  va_copy(ap2, ap);
  const int n = std::vsnprintf(nullptr, 0, fmt, ap);
  va_end(ap);
  std::string out(n > 0 ? static_cast<std::size_t>(n) : 0, '\0');
  if (n > 0) std::vsnprintf(out.data(), out.size() + 1, fmt, ap2);
  va_end(ap2);
  return out;
}

}  // namespace tarnwick
