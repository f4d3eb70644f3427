// Writing the file image into the chip and comparing the chip with it.
#include <cstring>
#include <memory>
#include <vector>

#include "core/app/settings.h"
#include "core/app/text_ids.h"
#include "core/buffers/file_image.h"
#include "core/catalogue/chip_selection.h"
#include "core/device/device_link.h"
#include "core/device/streams.h"
#include "core/operations/chip/chip_jobs.h"
#include "core/operations/chip/chip_texts.h"
#include "core/operations/chip/detection.h"
#include "core/operations/op_support.h"
#include "protocol/protocol.h"
#include "resources/ids.h"

namespace tarnwick {

namespace {

namespace cs = command_sets;

// Program and verify grey their buttons, the image menus and the box menus.
void GreyForTransfer(OperationContext& ctx, CommandSet buttons, int ownButton) {
  DisableAll(ctx, buttons);
  DisableAll(ctx, cs::kTransferMenus);
  DisableAll(ctx, cs::kBoxMenus);
  ctx.ui.SetOperationCaption(ownButton, true);
}

void RestoreAfterTransfer(OperationContext& ctx, CommandSet buttons, int ownButton) {
  if (ctx.image.editMode()) ctx.ui.EnableCommand(ids::kFileFill);
  ctx.ui.EnableCommand(ids::kGoToAddress);
  EnableAll(ctx, buttons);
  EnableAll(ctx, cs::kImageMenus);
  EnableAll(ctx, cs::kBoxMenus);
  ctx.ui.SetOperationCaption(ownButton, false);
}

void RestoreAfterProgram(OperationContext& ctx) {
  RestoreAfterTransfer(ctx, cs::kProgramButtons, ids::kProgramButton);
}

void RestoreAfterVerify(OperationContext& ctx) {
  RestoreAfterTransfer(ctx, cs::kVerifyButtons, ids::kVerifyButton);
}

// The working copy as the source of the program and verify streams.
class ImageSource : public StreamSource {
 public:
  // `expected` is the image size the operation was set up for.
  ImageSource(const buffers::FileImage& image, std::uint64_t expected)
      : reader_(image.OpenReader()), expected_(expected) {}
  bool ok() const { return reader_.isOpen(); }
  std::int64_t Read(std::uint8_t* out, std::size_t size) override {
    const std::int64_t got = reader_.Read(out, size);
    // A working copy cut short under us is an error: the program stream
    // would otherwise send 0xFF where the file's bytes belong.
    if (got == 0 && size > 0 && reader_.position() < expected_) return -1;
    return got;
  }
  bool Seek(std::int64_t delta) override { return reader_.Seek(delta); }

 private:
  buffers::ImageReader reader_;
  std::uint64_t expected_;
};

// Fills `out` with the expected chip bytes from the image reader: the file's
// bytes while there are any, 0xFF after its end.
bool ExpectedBlock(StreamSource& reader, std::uint64_t address, std::uint64_t fileSize,
                   std::uint8_t* out, std::size_t n) {
  std::size_t filled = 0;
  if (address < fileSize) {
    const std::size_t want =
        static_cast<std::size_t>(std::min<std::uint64_t>(n, fileSize - address));
    while (filled < want) {
      const std::int64_t got = reader.Read(out + filled, want - filled);
      if (got <= 0) break;
      filled += static_cast<std::size_t>(got);
    }
    if (filled < want) return false;
  }
  std::fill(out + filled, out + n, 0xFF);
  return true;
}

// Reads exactly `n` bytes of the verify stream; a read of nothing is a USB error.
int ReadFull(OperationContext& ctx, std::uint8_t* out, int n) {
  int got = 0;
  while (got < n) {
    const int r = Read(ctx, out + got, n - got, 5000);
    if (r < 1) return r < 0 ? r : -1;
    got += r;
  }
  return got;
}

}  // namespace

std::uint64_t LengthToProgram(const std::string& type, std::uint64_t chipSize,
                              std::uint64_t fileSize) {
  if (type == "25 SPI FLASH") return std::min(fileSize, chipSize);
  return chipSize;
}

bool ProgramChip(OperationContext& ctx, ChipJobState& st, bool identifyFirst) {
  WindowServices& ui = ctx.ui;
  st.cancelProgram = false;
  if (RefusedByBox(ctx)) return false;
  if (identifyFirst && !AutoIdentify(ctx)) return false;
  if (NoChipSelected(ctx)) return false;
  if (ImageMissing(ctx) || ImageEmpty(ctx)) return false;
  const std::uint64_t chipSize = ctx.selection.ChipSize();
  const std::uint64_t fileSize = ctx.image.size();
  if (chipSize < fileSize && ui.Box(ctx.I(itext::kFileLargerAsk), BoxIcon::Question,
                                    BoxButtons::YesNo) != BoxAnswer::Yes) {
    return false;
  }

  GreyForTransfer(ctx, cs::kProgramButtons, ids::kProgramButton);
  if (!ctx.link.IsOpen()) {
    // Without this the buttons would stay disabled for the rest of the run.
    RestoreAfterProgram(ctx);
    return false;
  }
  ImageSource imageSource(ctx.image, fileSize);
  StreamSource* reader = imageSource.ok() ? &imageSource : nullptr;
  if (!reader) {
    ui.ShowStatus(ctx.I(itext::kCannotOpenFile), true, true);
    RestoreAfterProgram(ctx);
    return false;
  }

  st.busyProgram = true;
  const int start = TimeOfDaySeconds(ctx);
  ui.ShowStatus(ctx.I(itext::kProgramming));
  PercentProgress progress(ctx, ctx.I(itext::kProgramProgress));
  progress.Start();

  Send(ctx, protocol::CMD_PROGRAM, 5000);
  SleepMs(50);

  const std::uint64_t length = LengthToProgram(ctx.selection.TypeText(), chipSize, fileSize);
  ProgramStreamOptions options;
  options.length = length;
  options.sourceSize = fileSize;
  options.onBlock = [&](std::uint64_t done) { progress.Update(done, length); };
  // The close's stop outlasts the clear of the cancel request above.
  options.cancelled = [&] { return st.cancelProgram.load() || ctx.detection.stopRequested.load(); };
  const StreamResult stream = RunProgramStream(ctx.link, *reader, options);
  const std::uint64_t sent = stream.bytes;

  if (stream.status == StreamStatus::UsbError || stream.status == StreamStatus::Stalled ||
      stream.status == StreamStatus::SourceError) {
    ui.ShowStatus(stream.status == StreamStatus::SourceError ? ctx.I(itext::kCannotOpenFile)
                                                             : ctx.I(itext::kUsbError),
                  true, true);
    st.busyProgram = false;
    ui.surface().ShowProgress(false);
    RestoreAfterProgram(ctx);
    return false;
  }

  const int elapsed = Elapsed(ctx, start);
  const std::string time = MinSec(elapsed);
  bool result = false;
  if (stream.status == StreamStatus::Cancelled) {
    ui.ShowStatus(Format("%s %llu byte(s),", ctx.I(itext::kProgramStopped).c_str(),
                         static_cast<unsigned long long>(sent)) +
                      time,
                  true);
  } else {
    SleepMs(30);
    const auto count = BigEndianPayload(static_cast<std::uint32_t>(sent));
    Send(ctx, protocol::CMD_PROGRAM_END, 1000, count.data(), count.size());
    if (sent < fileSize) {
      const bool cancelled = st.cancelProgram || ctx.detection.stopRequested;
      const int head = cancelled ? itext::kProgramStoppedChipSize : itext::kFileLargerProgrammed;
      ui.ShowStatus(Format("%s%llu byte(s),", ctx.I(head).c_str(),
                           static_cast<unsigned long long>(chipSize)) +
                        time,
                    true);
      if (ctx.RunningAs(Job::Program) && !cancelled)
        ui.Box(ctx.I(itext::kFileLargerProgrammed), BoxIcon::Warning);
    } else {
      ui.ShowStatus(Format("%s %llu byte(s),", ctx.I(itext::kProgramComplete).c_str(),
                           static_cast<unsigned long long>(sent)) +
                    time);
    }
    result = true;
    std::uint8_t b = 0;
    bool confirmed = false;
    for (int i = 0; i < 10 && !confirmed; ++i) {
      confirmed = Read(ctx, &b, 1, 6000) == 1 && b == protocol::kProgramEndDone;
    }
    // The result stands on what was sent; the user still learns that the box
    // never said it had written the last block.
    if (!confirmed) ui.ShowStatus(ctx.I(itext::kProgramEndUnconfirmed));
  }
  if (ctx.RunningAs(Job::Program)) ui.PlaySoundIfOn("sound/finishsound.wav");

  Send(ctx, protocol::CMD_IDLE, 1000);
  SleepMs(50);
  st.busyProgram = false;
  ui.surface().SetProgress(0, "");
  ui.surface().ShowProgress(false);
  RestoreAfterProgram(ctx);
  SleepMs(50);
  return result;
}

bool VerifyChip(OperationContext& ctx, ChipJobState& st, bool identifyFirst) {
  WindowServices& ui = ctx.ui;
  st.cancelVerify = false;
  if (RefusedByBox(ctx)) return false;
  if (identifyFirst && !AutoIdentify(ctx)) return false;
  if (NoChipSelected(ctx)) return false;
  if (st.busyVerify) return false;
  if (ImageMissing(ctx) || ImageEmpty(ctx)) return false;

  const std::uint64_t chipSize = ctx.selection.ChipSize();
  const std::uint64_t fileSize = ctx.image.size();
  // The chip cannot hold the file's end: a verify started on its own asks,
  // as programming does, before it compares only the part that fits. (In a
  // sequence the program step has asked already.)
  if (chipSize < fileSize && ctx.RunningAs(Job::Verify) &&
      ui.Box(chip_text::kVerifyFileLargerAsk, BoxIcon::Question, BoxButtons::YesNo) !=
          BoxAnswer::Yes) {
    return false;
  }
  ui.ShowStatus(ctx.I(itext::kVerifying));
  const auto sizePayload = BigEndianPayload(static_cast<std::uint32_t>(chipSize));
  if (!Send(ctx, protocol::CMD_VERIFY, 5000, sizePayload.data(), sizePayload.size())) {
    ui.ShowStatus(ctx.I(itext::kUsbError), true, true);
    Send(ctx, protocol::CMD_IDLE, 1000);
    return false;
  }

  GreyForTransfer(ctx, cs::kVerifyButtons, ids::kVerifyButton);
  st.busyVerify = true;
  ImageSource imageSource(ctx.image, fileSize);
  StreamSource* reader = imageSource.ok() ? &imageSource : nullptr;
  PercentProgress progress(ctx, ctx.I(itext::kVerifyProgress));
  progress.Start();
  const int start = TimeOfDaySeconds(ctx);

  // A working copy that cannot be opened ends the run like a failed read.
  bool usbError = reader == nullptr;
  if (usbError) ui.ShowStatus(ctx.I(itext::kCannotOpenFile), true, true);
  bool aborted = false;
  bool asking = true;
  std::uint64_t mismatches = 0;
  std::uint64_t address = 0;
  std::vector<std::uint8_t> expected(protocol::kReadBlock);
  std::vector<std::uint8_t> chip(protocol::kReadBlock);

  auto compareBlock = [&](std::size_t n) {
    if (!ExpectedBlock(*reader, address, fileSize, expected.data(), n)) {
      usbError = true;
      ui.ShowStatus(ctx.I(itext::kCannotOpenFile), true, true);
      return;
    }
    if (ReadFull(ctx, chip.data(), static_cast<int>(n)) < 0) {
      ui.ShowStatus(ctx.I(itext::kUsbError), true, true);
      usbError = true;
      return;
    }
    // Most blocks agree: one memcmp, and the byte walk only where they differ.
    if (std::memcmp(expected.data(), chip.data(), n) == 0) {
      address += n;
      return;
    }
    for (std::size_t i = 0; i < n; ++i, ++address) {
      if (expected[i] == chip[i]) continue;
      ++mismatches;
      if (!asking) continue;
      const std::string text = Format("%llXH %s ", static_cast<unsigned long long>(address),
                                      ctx.I(itext::kError).c_str()) +
                               "\r\n" +
                               Format("%s%02XH %s%02XH", ctx.I(itext::kDifferenceFile).c_str(),
                                      expected[i], ctx.I(itext::kDifferenceChip).c_str(), chip[i]) +
                               "     \r\n" + ctx.I(itext::kVerifyDifferenceChoices);
      const BoxAnswer a =
          ui.Box(text, ctx.I(itext::kError), BoxIcon::Warning, BoxButtons::YesNoCancel);
      if (a == BoxAnswer::No) asking = false;
      if (a == BoxAnswer::Cancel) {
        Send(ctx, protocol::CMD_IDLE, 1000);
        aborted = true;
        ++address;
        return;
      }
    }
  };

  if (!usbError) {
    const std::uint64_t fullBlocks = chipSize / protocol::kReadBlock;
    for (std::uint64_t b = 0; b < fullBlocks && !st.cancelVerify && !aborted && !usbError; ++b) {
      compareBlock(protocol::kReadBlock);
      if (!usbError) progress.Update(address, chipSize);
    }
    const std::size_t rest = static_cast<std::size_t>(chipSize % protocol::kReadBlock);
    if (rest > 0 && !st.cancelVerify && !aborted && !usbError) {
      compareBlock(rest);
      if (!usbError) progress.Update(address, chipSize);
    }
  }

  ui.surface().ShowProgress(false);
  if (ctx.RunningAs(Job::Verify)) ui.PlaySoundIfOn("sound/finishsound.wav");
  bool result = false;
  // A stopped verify has not checked the whole chip: it never counts as
  // passed, whatever the bytes compared so far said.
  const bool stopped = aborted || st.cancelVerify;
  if (!usbError) {
    const std::string time = MinSec(Elapsed(ctx, start));
    const bool chipSmaller = chipSize < fileSize;
    // The file's bytes beyond the chip were never compared: every report
    // of such a run names them.
    const std::string notCompared =
        chipSmaller ? ctx.I(itext::kChipSmallerThanFile) + " " +
                          chip_text::NotCompared(chipSize, fileSize)
                    : std::string();
    if (stopped && mismatches == 0) {
      const std::uint64_t pct = chipSize == 0 ? 0 : address * 100 / chipSize;
      // Said as stopped, with how far it got; never as the progress text.
      // The table's text loses its trailing blank: the blank is put back.
      std::string head = ctx.I(itext::kVerifyStoppedAt);
      while (!head.empty() && head.back() == ' ') head.pop_back();
      ui.ShowStatus(Format("%s %llu%%", head.c_str(), static_cast<unsigned long long>(pct)) +
                        ctx.I(itext::kTimeAfterCount) + time,
                    true);
    } else if (mismatches > 0) {
      const std::string count = std::to_string(mismatches);
      ui.ShowStatus(ctx.I(itext::kVerifyFailed) + count + ctx.I(itext::kTimeAfterCount) + time +
                        (chipSmaller ? " " + notCompared : std::string()),
                    true, true);
    } else if (chipSmaller) {
      ui.ShowStatus(ctx.I(itext::kVerifyOk) + time + " " + notCompared, true);
      ui.Box(ctx.I(itext::kVerifyOk) + time + "    \r\n   " + notCompared, BoxIcon::Warning);
      result = true;
    } else {
      ui.ShowStatus(ctx.I(itext::kVerifyOk) + time);
      result = true;
    }
  }

  Send(ctx, protocol::CMD_IDLE, 2000);
  RestoreAfterVerify(ctx);
  st.busyVerify = false;
  return result;
}

bool RunChipSteps(OperationContext& ctx, ChipJobState& st, ChipSteps steps) {
  auto reinitialise = [&] {
    Send(ctx, protocol::CMD_RESET, 1000);
    SleepMs(20);
    RebuildParameters(ctx);
    Send(ctx, protocol::CMD_SETUP, 1000);
    SleepMs(50);
  };

  bool ranBefore = false;
  if (steps.erase) {
    if (!EraseChip(ctx, st, true)) return false;
    ranBefore = true;
  }
  // A close confirmed between two steps: the next one does not start.
  auto closing = [&ctx] { return ctx.detection.stopRequested.load(); };
  if (steps.program) {
    if (closing()) return false;
    if (steps.erase) reinitialise();
    if (!ProgramChip(ctx, st, !ranBefore)) return false;
    ranBefore = true;
  }
  if (steps.verify) {
    if (closing()) return false;
    if (steps.erase && !steps.program) reinitialise();
    if (!VerifyChip(ctx, st, !ranBefore)) return false;
  }
  return true;
}

bool AutoProgram(OperationContext& ctx, ChipJobState& st) {
  WindowServices& ui = ctx.ui;
  ui.ClearLogPane();
  if (RefusedByBox(ctx)) return false;
  if (ImageMissing(ctx) || ImageEmpty(ctx)) return false;
  ui.AppendLog(ctx.image.fileName() + " " + ctx.image.sizeText());
  const int start = TimeOfDaySeconds(ctx);
  if (!RunChipSteps(ctx, st, ChipSteps{true, true, true})) return false;

  const std::string time = MinSec(Elapsed(ctx, start));
  ui.ShowStatus(ctx.I(itext::kAutoDone) + "," + ctx.I(itext::kAutoErased) + "," +
                ctx.I(itext::kAutoProgrammed) + "," + ctx.I(itext::kAutoVerified) + "," +
                ctx.I(itext::kAutoTime) + "," + time);
  ui.PlaySoundIfOn("sound/finishsound.wav");
  return true;
}

}  // namespace tarnwick
