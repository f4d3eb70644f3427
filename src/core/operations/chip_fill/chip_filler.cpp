#include "core/operations/chip_fill/chip_filler.h"

#include <cstdio>
#include <utility>
#include <vector>

#include "core/app/std_file.h"
#include "core/app/text_ids.h"
#include "core/buffers/posix_file.h"
#include "core/catalogue/chip_selection.h"
#include "core/device/streams.h"
#include "core/operations/chip/detection.h"
#include "protocol/protocol.h"
#include "resources/ids.h"

namespace tarnwick {

// Where the filled positions take their units from: the fill value, or in
// file mode the file's units in order, the last one repeated once the file
// has ended (the fill value before the first).
class FillSource {
 public:
  FillSource(const chip_fill::FillUnit& value, buffers::PosixFile* file)
      : unit_(value), file_(file) {}

  // The byte for the next filled position.
  std::uint8_t Next() {
    if (inUnit_ == 0 && file_ != nullptr && !ended_) TakeUnit();
    const std::uint8_t b = unit_.bytes[inUnit_];
    inUnit_ = (inUnit_ + 1) % unit_.size;
    return b;
  }
  // The file's last unit was short and was padded with 0xFF: the word as
  // it was written.
  bool padded() const { return padded_; }
  const chip_fill::FillUnit& unit() const { return unit_; }

 private:
  void TakeUnit() {
    if (at_ + unit_.size > filled_) {
      // Refill, keeping a part of a unit at the buffer's end.
      const std::size_t keep = filled_ - at_;
      std::copy(buffer_.begin() + static_cast<std::ptrdiff_t>(at_),
                buffer_.begin() + static_cast<std::ptrdiff_t>(filled_), buffer_.begin());
      const std::int64_t got = file_->ReadAt(offset_, buffer_.data() + keep, buffer_.size() - keep);
      offset_ += got > 0 ? static_cast<std::uint64_t>(got) : 0;
      filled_ = keep + (got > 0 ? static_cast<std::size_t>(got) : 0);
      at_ = 0;
      if (filled_ == 0) {
        ended_ = true;  // the last unit taken goes on
        return;
      }
      if (filled_ < unit_.size) {
        // The file ends inside a word: its last byte goes out with 0xFF
        // after it, and that padded word is the last unit taken.
        for (std::size_t i = 0; i < unit_.size; ++i) {
          unit_.bytes[i] = i < filled_ ? buffer_[i] : std::uint8_t{0xFF};
        }
        at_ = filled_;
        padded_ = true;
        ended_ = true;
        return;
      }
    }
    for (std::size_t i = 0; i < unit_.size; ++i) unit_.bytes[i] = buffer_[at_ + i];
    at_ += unit_.size;
  }

  chip_fill::FillUnit unit_;
  buffers::PosixFile* file_;
  std::vector<std::uint8_t> buffer_ = std::vector<std::uint8_t>(std::size_t{64} * 1024);
  std::size_t filled_ = 0;
  std::size_t at_ = 0;
  std::uint64_t offset_ = 0;
  std::size_t inUnit_ = 0;
  bool ended_ = false;
  bool padded_ = false;
};

namespace {

class SilentFillView : public ChipFillView {
 public:
  void ShowFillStatus(const std::string&) override {}
  void EnableCancel(bool) override {}
};

}  // namespace

ChipFiller::ChipFiller(OperationContext& ctx, JobLauncher& launcher, std::string baseDir)
    : ctx_(ctx), launcher_(launcher), workPath_(std::move(baseDir) + "del.f") {}

void ChipFiller::AddJobs(JobTable& jobs) {
  // A fill rewrites the chip: the close asks, as for programming, and stops
  // it between two sectors.
  jobs.Add({Job::ChipFill, [this] { return FillChip(); }, LampRule::Outcome, 0, 0, nullptr, false,
            CloseRule{itext::kCloseWhileProgramming}});
}

void ChipFiller::AddCommands(CommandRouter& router) {
  router.Register(ids::kChipFill, [this] {
    if (openDialog_) openDialog_();
  });
}

void ChipFiller::SetRequest(ChipFillRequest request) {
  std::lock_guard lock(requestMutex_);
  request_ = std::move(request);
}

void ChipFiller::Request(ChipFillRequest request) {
  SetRequest(std::move(request));
  launcher_.Launch(Job::ChipFill);
}

void ChipFiller::Status(const std::string& text) {
  ChipFillView* view = view_.load();
  if (view != nullptr) view->ShowFillStatus(text);
}

bool ChipFiller::Refuse(int dialogText) {
  Status(ctx_.I(dialogText));
  ctx_.ui.ShowStatus(ctx_.I(itext::kFillFailed), true, true);
  outcome_ = dialogText;
  return false;
}

bool ChipFiller::FillChip() {
  std::optional<ChipFillRequest> request;
  {
    std::lock_guard lock(requestMutex_);
    request = std::exchange(request_, std::nullopt);
  }
  if (ctx_.detection.refusal) {
    ctx_.ui.ShowStatus(ctx_.I(itext::kBoxRefused), true, true);
    outcome_ = itext::kBoxRefused;
    return false;
  }
  auto unitOfFrame = [this] {
    const auto& f = ctx_.frame.bytes;
    return chip_fill::UnitSize(f[protocol::kFrameSectorCode], f[protocol::kFramePageCode],
                               (f[protocol::kFrameCommand] & protocol::kWordOrganisedBit) != 0);
  };
  if (!unitOfFrame()) return Refuse(itext::kFillNoSector);
  const bool word = (ctx_.frame.bytes[protocol::kFrameCommand] & protocol::kWordOrganisedBit) != 0;
  if (request && request->fileMode && request->length == 0) {
    // File mode without a length: exactly the file's units.
    buffers::PosixFile probe;
    if (probe.Open(request->file, buffers::PosixFile::Mode::ReadOnly) && probe.Length() > 0) {
      const auto bytes = static_cast<std::uint64_t>(probe.Length());
      request->length = word ? (bytes + 1) / 2 : bytes;
    }
  }
  // Nothing asked, or nothing to write: a fill that writes nothing is not done.
  if (!request || request->length == 0) return Refuse(itext::kFillFailed);
  std::optional<chip_fill::FillUnit> value = chip_fill::ParseFillValue(request->value, word);
  if (!value) {
    if (!request->fileMode) return Refuse(itext::kFillFailed);
    value = chip_fill::ParseFillValue(word ? "FFFF" : "FF", word);
  }
  if (!AutoIdentify(ctx_)) {
    if (!ctx_.detection.selectionChanged) Status(ctx_.I(itext::kFillFailed));
    outcome_ = itext::kFillFailed;
    return false;
  }
  // The identification may have rebuilt the frame.
  const std::optional<std::uint64_t> unit = unitOfFrame();
  if (!unit) return Refuse(itext::kFillNoSector);
  const std::uint64_t scale = word ? 2 : 1;
  const std::uint64_t start = request->start * scale;
  const std::uint64_t end = start + request->length * scale;
  if (end > ctx_.selection.ChipSize() || end < start) return Refuse(itext::kFillBeyondChip);

  Status(ctx_.I(itext::kFilling));
  ChipFillView* view = view_.load();
  if (view != nullptr) view->EnableCancel(false);
  buffers::PosixFile file;
  if (request->fileMode && !file.Open(request->file, buffers::PosixFile::Mode::ReadOnly)) {
    if (view != nullptr) view->EnableCancel(true);
    Status(ctx_.I(itext::kCannotOpenFile));
    ctx_.ui.ShowStatus(ctx_.I(itext::kCannotOpenFile), true, true);
    outcome_ = itext::kCannotOpenFile;
    return false;
  }
  FillSource source(*value, request->fileMode ? &file : nullptr);
  const chip_fill::Passes passes = chip_fill::PassesFor(start, end, *unit);
  bool ok = true;
  bool stopped = false;
  std::uint64_t reached = start;  // the filled range ends here
  for (std::uint64_t n = 0; n < passes.count; ++n) {
    // A pass is never cut: the close stops the fill between two sectors.
    if (ctx_.detection.stopRequested) {
      stopped = true;
      break;
    }
    const std::uint64_t address = passes.first + n * *unit;
    ok = Pass(address, *unit, start, end, *value, source);
    if (!ok) break;
    reached = address + *unit;
    Status(chip_fill::ProgressText(ctx_.I(itext::kFilling), n + 1));
  }
  if (source.padded()) {
    // Never a byte reported as written that the file did not hold.
    ctx_.ui.ShowStatus(chip_fill::PaddedWordText(source.unit().bytes[0]));
  }
  const bool done = ok && !stopped;
  const int outcome = done ? itext::kFillDone : (stopped ? itext::kFillFailed : itext::kUsbError);
  Status(ctx_.I(outcome));
  if (done) {
    ctx_.ui.ShowStatus(ctx_.I(outcome));
  } else {
    // What the chip now holds: the sectors before `reached` carry the new
    // bytes, the rest of the range its old content.
    const std::string range = chip_fill::PartialFillText(start, end, reached, scale);
    ctx_.ui.ShowStatus(ctx_.I(outcome) + (stopped ? " (stopped): " : ": ") + range, true, true);
  }
  if (view != nullptr) view->EnableCancel(true);
  outcome_ = outcome;
  return done;
}

bool ChipFiller::Pass(std::uint64_t address, std::uint64_t unit, std::uint64_t start,
                      std::uint64_t end, const chip_fill::FillUnit&, FillSource& source) {
  StdFile work(std::fopen(workPath_.c_str(), "w+b"));
  if (!work) return false;
  bool written = true;
  std::vector<std::uint8_t> merged;
  const StreamResult read =
      ReadSector(ctx_.channel, static_cast<std::uint32_t>(address), unit,
                 [&](std::uint64_t offset, const std::uint8_t* data, std::size_t n) {
                   merged.assign(data, data + n);
                   for (std::size_t i = 0; i < n; ++i) {
                     const std::uint64_t p = address + offset + i;
                     if (p >= start && p < end) merged[i] = source.Next();
                   }
                   written = std::fwrite(merged.data(), 1, n, work.get()) == n;
                   return written;
                 });
  bool ok = read.ok() && written && std::fflush(work.get()) == 0;
  if (ok) {
    std::rewind(work.get());
    FileSource sector(work.get());
    ok = WriteSector(ctx_.channel, sector, unit).ok();
  }
  work.reset();
  std::remove(workPath_.c_str());
  return ok;
}

}  // namespace tarnwick
