// Reading the whole chip into the chip-data file, then showing it.
#include <cstdio>
#include <vector>

#include "core/app/text_ids.h"
#include "core/buffers/file_image.h"
#include "core/buffers/posix_file.h"
#include "core/catalogue/chip_selection.h"
#include "core/device/device_link.h"
#include "core/operations/chip/chip_jobs.h"
#include "core/operations/chip/chip_texts.h"
#include "core/operations/chip/detection.h"
#include "core/operations/op_support.h"
#include "protocol/protocol.h"
#include "resources/ids.h"

namespace tarnwick {

void PercentProgress::Start() {
  shown_ = 0;
  ctx_.ui.surface().ShowProgress(true);
  ctx_.ui.surface().SetProgress(0, prefix_ + "0%");
}

void PercentProgress::Update(std::uint64_t done, std::uint64_t total) {
  if (total == 0) return;
  const int pct = static_cast<int>(done * 100 / total);
  if (pct > shown_) {
    shown_ = pct;
    ctx_.ui.surface().SetProgress(pct, Format("%s%d%%", prefix_.c_str(), pct));
  }
}

bool ReadChip(OperationContext& ctx, ChipJobState& st) {
  WindowServices& ui = ctx.ui;
  if (RefusedByBox(ctx)) return false;
  if (!AutoIdentify(ctx)) return false;
  if (NoChipSelected(ctx)) return false;
  Drain64(ctx, 10);
  if (!Send(ctx, protocol::CMD_READ, 5000)) {
    // Said out loud: a read that silently does nothing looks like a hang.
    ui.surface().ShowProgress(false);
    ui.ShowStatus(ctx.I(itext::kUsbError), true, true);
    return false;
  }

  const std::string chipPath = ctx.image.chipDataPath();
  if (ctx.image.loaded() && ctx.image.currentPath() == chipPath) ctx.image.Close();
  // A FIFO or a folder in the chip-data file's place is refused, not waited on.
  std::FILE* out = buffers::OpenPlainFileForWriting(chipPath);

  DisableAll(ctx, command_sets::kReadButtons);
  DisableAll(ctx, command_sets::kBoxMenus);
  DisableAll(ctx, command_sets::kImageEditing);
  ui.SetOperationCaption(ids::kReadButton, true);
  if (ctx.image.editMode()) {
    ctx.image.SetEditMode(false);
    ui.surface().SetMenuChecked(ids::kEditModeMenu, false);
    ui.surface().SetCheckBox(ids::kEditModeCheck, false);
    ui.ShowStatus(ctx.I(itext::kEditModeOff));
  }

  const int start = TimeOfDaySeconds(ctx);
  PercentProgress progress(ctx, ctx.I(itext::kReadProgress));
  progress.Start();

  const std::uint64_t size = ctx.selection.ChipSize();
  const int request = static_cast<int>(std::min<std::uint64_t>(protocol::kReadBlock, size));
  std::vector<std::uint8_t> block(protocol::kReadBlock);
  std::uint64_t received = 0;
  bool ok = out != nullptr;
  if (!ok) {
    // The chip-data file cannot be created.
    ui.surface().ShowProgress(false);
    ui.ShowStatus(ctx.I(itext::kReadFailed), true, true);
  }
  st.busyRead = true;
  while (ok && received < size && !st.windowStopRead && !st.cancelRead) {
    const int n = Read(ctx, block.data(), request, 5000);
    if (n < 1) {
      ui.surface().ShowProgress(false);
      ui.ShowStatus(ctx.I(itext::kUsbError), true, true);
      ok = false;
      break;
    }
    if (std::fwrite(block.data(), 1, static_cast<std::size_t>(n), out) !=
        static_cast<std::size_t>(n)) {
      // A full disk must not pass for a complete read.
      ui.surface().ShowProgress(false);
      ui.ShowStatus(ctx.I(itext::kReadFailed), true, true);
      ok = false;
      break;
    }
    received += static_cast<std::uint64_t>(n);
    progress.Update(received, size);
  }
  const bool cancelled = st.cancelRead || st.windowStopRead;
  if (out) std::fclose(out);
  st.busyRead = false;

  EnableAll(ctx, command_sets::kReadButtons);
  EnableAll(ctx, command_sets::kImageMenus);
  EnableAll(ctx, command_sets::kBoxMenus);
  ctx.ui.EnableCommand(ids::kGoToAddress);
  if (ctx.image.editMode()) ui.EnableCommand(ids::kFileFill);
  ui.SetOperationCaption(ids::kReadButton, false);

  if (!ok) return false;
  const int elapsed = Elapsed(ctx, start);
  ui.surface().ShowProgress(false);
  if (cancelled && received < size) {
    // A stopped read is not the chip: the part that arrived stays in the
    // chip-data file, but it is never loaded and titled as the chip.
    ui.ShowStatus(
        chip_text::ReadStopped(received, size) + ctx.I(itext::kTimeAfterCount) + MinSec(elapsed),
        true);
    return false;
  }
  ui.PlaySoundIfOn("sound/finishsound.wav");
  ctx.image.LoadFile(chipPath, buffers::LoadOrigin::Program);
  ui.ShowStatus(ctx.I(itext::kReadEnded) + MinSec(elapsed));
  return true;
}

}  // namespace tarnwick
