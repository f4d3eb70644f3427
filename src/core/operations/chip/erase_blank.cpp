// Erase and blank check: the box does the work, the program waits.
#include <array>

#include "core/app/text_ids.h"
#include "core/catalogue/chip_selection.h"
#include "core/device/device_link.h"
#include "core/operations/chip/chip_jobs.h"
#include "core/operations/chip/chip_texts.h"
#include "core/operations/chip/detection.h"
#include "core/operations/op_support.h"
#include "protocol/protocol.h"
#include "resources/ids.h"

namespace tarnwick {

namespace cs = command_sets;

bool EraseChip(OperationContext& ctx, ChipJobState& st, bool identifyFirst) {
  WindowServices& ui = ctx.ui;
  if (RefusedByBox(ctx)) return false;
  if (st.busyErase) return false;
  // A stop click of an earlier erase must not stop this one before it starts
  // (the automatic sequence reaches here without the button clearing it).
  st.cancelErase = false;
  if (identifyFirst && !AutoIdentify(ctx)) return false;
  if (NoChipSelected(ctx)) return false;

  st.busyErase = true;
  DisableAll(ctx, cs::kEraseButtons);
  DisableAll(ctx, cs::kBoxMenus);
  ui.SetOperationCaption(ids::kEraseButton, true);
  ui.ShowStatus(ctx.I(itext::kErasing));

  const int start = TimeOfDaySeconds(ctx);
  DrainBytes(ctx);
  bool sent = false;
  for (int attempt = 0; attempt < 11 && !st.cancelErase; ++attempt) {
    if (Send(ctx, protocol::CMD_ERASE, 1000)) {
      sent = true;
      break;
    }
  }

  bool result = false;
  bool cancelled = false;
  if (sent) {
    int last = -1;
    std::uint8_t b = 0;
    for (int reads = 0; reads < 601; ++reads) {
      if (st.cancelErase) break;
      last = Read(ctx, &b, 1, 1000);
      if (last == 1 && b == protocol::kEraseDone) break;
    }
    if (st.cancelErase) {
      cancelled = true;
      // The box had begun: some of the chip may be blank, the rest not.
      ui.ShowStatus(std::string(chip_text::kEraseStopped) + ctx.I(itext::kTimeAfterCount) +
                        MinSec(Elapsed(ctx, start)),
                    true);
      Send(ctx, protocol::CMD_IDLE, 1000);
    } else if (!(last == 1 && b == protocol::kEraseDone)) {
      ui.ShowStatus(ctx.I(itext::kUsbError), true, true);
    } else {
      ui.ShowStatus(ctx.I(itext::kEraseEnded) + MinSec(Elapsed(ctx, start)));
      ui.PlaySoundIfOn("sound/del.wav");
      result = true;
    }
  } else if (st.cancelErase) {
    cancelled = true;
    ui.ShowStatus(std::string(chip_text::kEraseStoppedBeforeStart) +
                      ctx.I(itext::kTimeAfterCount) + MinSec(Elapsed(ctx, start)),
                  true);
  } else {
    ui.ShowStatus(ctx.I(itext::kUsbError), true, true);
  }

  EnableAll(ctx, cs::kEraseButtons);
  EnableAll(ctx, cs::kImageMenus);
  EnableAll(ctx, cs::kBoxMenus);
  ui.SetOperationCaption(ids::kEraseButton, false);
  st.busyErase = false;
  SleepMs(50);

  if (cancelled) {
    // Leave the box re-initialised for the next command.
    Send(ctx, protocol::CMD_IDLE, 1000);
    SleepMs(10);
    Send(ctx, protocol::CMD_RESET, 1000);
    SleepMs(10);
    Send(ctx, protocol::CMD_SETUP, 1000);
    return false;
  }
  return result;
}

bool BlankCheck(OperationContext& ctx, ChipJobState& st) {
  WindowServices& ui = ctx.ui;
  if (RefusedByBox(ctx)) return false;
  if (!AutoIdentify(ctx)) return false;
  if (NoChipSelected(ctx)) return false;

  Send(ctx, protocol::CMD_BLANK_CHECK, 1000);
  ui.ShowStatus(ctx.I(itext::kBlankChecking));
  DisableAll(ctx, cs::kBlankButtons);
  DisableAll(ctx, cs::kBoxMenus);
  ui.SetOperationCaption(ids::kBlankCheckButton, true);

  const int start = TimeOfDaySeconds(ctx);
  std::array<std::uint8_t, 64> answer{};
  int last = 0;
  bool cancelled = false;
  for (int reads = 0; reads < 300; ++reads) {
    if (st.cancelBlank) {
      last = -1;
      cancelled = true;
      break;
    }
    last = Read(ctx, answer.data(), static_cast<int>(answer.size()), 1000);
    if (last == static_cast<int>(protocol::kBlankAnswerSize) &&
        (answer[0] == protocol::kBlankYes || answer[0] == protocol::kBlankNo)) {
      break;
    }
  }

  bool result = false;
  const std::string time = MinSec(Elapsed(ctx, start));
  const bool answered = last == static_cast<int>(protocol::kBlankAnswerSize) &&
                        (answer[0] == protocol::kBlankYes || answer[0] == protocol::kBlankNo);
  if (cancelled) {
    ui.ShowStatus(ctx.I(itext::kBlankCheckStopped) + ctx.I(itext::kTimeAfterCount) + time);
  } else if (!answered) {
    // A box that stopped answering says nothing about the chip.
    ui.ShowStatus(ctx.I(itext::kUsbError), true, true);
  } else if (last == static_cast<int>(protocol::kBlankAnswerSize) &&
             answer[0] == protocol::kBlankYes) {
    ui.ShowStatus(ctx.I(itext::kChipBlankTime) + time);
    ui.Box(ctx.I(itext::kChipBlank), BoxIcon::Information);
    result = true;
  } else if (last == static_cast<int>(protocol::kBlankAnswerSize) &&
             answer[0] == protocol::kBlankNo) {
    ui.ShowStatus(ctx.I(itext::kChipNotBlankTime) + time, true);
    // Zero-filled hex fields; the texts around them keep their blanks.
    ui.Box(Format("%s\r\n%s%02X%02X%02X%02X\r\n%s%02X", ctx.I(itext::kChipNotBlank).c_str(),
                  ctx.I(itext::kNotBlankAddress).c_str(), answer[1], answer[2], answer[3],
                  answer[4], ctx.I(itext::kNotBlankData).c_str(), answer[5]) +
               std::string(11, ' '),
           BoxIcon::Error);
  }

  EnableAll(ctx, cs::kBlankButtons);
  EnableAll(ctx, cs::kImageMenus);
  EnableAll(ctx, cs::kBoxMenus);
  ui.SetOperationCaption(ids::kBlankCheckButton, false);
  return result;
}

}  // namespace tarnwick
