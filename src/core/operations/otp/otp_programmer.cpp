#include "core/operations/otp/otp_programmer.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "core/app/text_ids.h"
#include "core/buffers/posix_file.h"
#include "core/catalogue/catalogue.h"
#include "core/catalogue/chip_selection.h"
#include "core/operations/chip/detection.h"
#include "core/operations/otp/otp_exchange.h"
#include "core/operations/otp/otp_format.h"
#include "resources/ids.h"

namespace tarnwick {
namespace {

// Reports nowhere: the operations run the same without a dialog.
class SilentOtpView : public OtpView {
 public:
  void SetLogText(const std::string&) override {}
  void AppendLogText(const std::string&) override {}
  void SetControlEnabled(int, bool) override {}
  void SetLockTicked(bool) override {}
  void ShowBusy(bool) override {}
  void Beep(OtpBeep) override {}
  std::string ChosenFile() override { return {}; }
  bool LockTicked() override { return false; }
  BoxAnswer Ask(const std::string&, BoxIcon, BoxButtons buttons) override {
    return buttons == BoxButtons::Ok ? BoxAnswer::Ok : BoxAnswer::No;
  }
  std::optional<std::string> AskSaveFile() override { return std::nullopt; }
};

constexpr const char* kUsbError = "(USB error)";

// The label the model line starts with, without a colon of its own: the
// line puts one after it.
std::string LabelWithoutColon(std::string label) {
  for (const char* colon : {":", "："}) {
    const std::string c = colon;
    if (label.size() >= c.size() && label.compare(label.size() - c.size(), c.size(), c) == 0) {
      label.resize(label.size() - c.size());
    }
  }
  return label;
}

}  // namespace

OtpProgrammer::OtpProgrammer(OperationContext& ctx, JobLauncher& launcher)
    : ctx_(ctx), launcher_(launcher) {}

void OtpProgrammer::AddJobs(JobTable& jobs) {
  // The detection's own result is not the box's business: the lamp goes
  // back to 0 as after the chip detections.
  jobs.Add({Job::OtpDetect,
            [this] {
              View().ShowBusy(true);
              const int r = OtpDetect(true);
              View().ShowBusy(false);
              return r == kOtpLocked || r == kOtpWritable;
            },
            LampRule::Neutral});
  // The close asks about these as about the chip's own program, read and verify.
  jobs.Add({Job::OtpProgram, [this] { return RunJob(&OtpProgrammer::OtpProgram); },
            LampRule::Outcome, 0, 0, nullptr, false, CloseRule{itext::kCloseWhileProgramming}});
  jobs.Add({Job::OtpRead, [this] { return RunJob(&OtpProgrammer::OtpRead); }, LampRule::Outcome, 0,
            0, nullptr, false, CloseRule{itext::kCloseWhileReading}});
  // Saving writes what was read to a file; the chip is not touched.
  jobs.Add({Job::OtpSave, [this] { return RunJob(&OtpProgrammer::OtpSave); }});
  jobs.Add({Job::OtpVerify, [this] { return RunJob(&OtpProgrammer::OtpVerify); }, LampRule::Outcome,
            0, 0, nullptr, false, CloseRule{itext::kCloseWhileVerifying}});
  jobs.Add({Job::OtpBlankCheck, [this] { return RunJob(&OtpProgrammer::OtpBlankCheck); }});
}

void OtpProgrammer::AddCommands(CommandRouter& router) {
  router.Register(ids::kOtpProgramming, [this] {
    if (openDialog_) openDialog_();
  });
}

void OtpProgrammer::Request(Job job) {
  switch (job) {
    case Job::OtpDetect:
    case Job::OtpProgram:
    case Job::OtpRead:
    case Job::OtpSave:
    case Job::OtpVerify:
    case Job::OtpBlankCheck:
      launcher_.Launch(job);
      return;
    default:
      return;  // not one of this feature's jobs
  }
}

OtpAreaInfo OtpProgrammer::LastArea() const {
  return OtpAreaInfo{lastResult_.load(), lastSize_.load(), lastStart_.load()};
}

bool OtpProgrammer::RunJob(bool (OtpProgrammer::*operation)()) {
  View().ShowBusy(true);
  const bool ok = (this->*operation)();
  View().ShowBusy(false);
  return ok;
}

OtpView& OtpProgrammer::View() {
  static SilentOtpView silent;
  OtpView* view = view_.load();
  return view != nullptr ? *view : silent;
}

void OtpProgrammer::Log(const std::string& text) { View().AppendLogText(text); }

void OtpProgrammer::Enable(int id, bool on) { View().SetControlEnabled(id, on); }

void OtpProgrammer::EnableWork(bool on) {
  for (int id : {ids::kOtpProgramButton, ids::kOtpReadButton, ids::kOtpVerifyButton,
                 ids::kOtpBlankCheckButton}) {
    Enable(id, on);
  }
}

void OtpProgrammer::Leave() { otp::Leave(ctx_.channel); }

void OtpProgrammer::SetSaveable(std::size_t length) {
  saveable_ = length;
  saveableShown_ = length;
  Enable(ids::kOtpSaveButton, length > 0);
}

bool OtpProgrammer::Fail(const std::string& line) {
  Leave();
  LogLine(line);
  View().Beep(OtpBeep::Error);
  return false;
}

// ---- OtpDetect ---------------------------------------------------------------

// `beep` is true only for the user's own "检测". Every detection shows the
// lock box for the chip it found: ticked and grey when its area is locked,
// unticked otherwise. Only the detection an operation runs first, finding the
// same writable area again, keeps the tick the technician gave after the
// last detection: that tick was given for this area.
int OtpProgrammer::OtpDetect(bool beep) {
  const otp::Entry* previous = writableEntry_;
  writableEntry_ = nullptr;
  auto result = [this, beep, previous](int r) {
    ShowLock(r, beep, previous);
    lastResult_ = r;
    return r;
  };
  Enable(ids::kOtpLockCheck, false);
  EnableWork(false);
  View().SetLogText("NULL");
  match_.reset();
  locked_ = false;
  lastSize_ = 0;
  lastStart_ = 0;

  if (DetectChip(ctx_, true, false) != kDetectFound) return result(kOtpNotFound);
  View().SetLogText(I(itext::kOtpDetecting));
  std::string model =
      LabelWithoutColon(ctx_.F(ftext::kTypeLabel)) + ":" + ctx_.selection.ModelText();
  if (ctx_.detection.severalMatches) model += I(itext::kOtpSeveralMatches);
  LogLine(model);

  const ChipRecord* record = ctx_.catalogue.Record(ctx_.selection.SelectedRecord());
  std::optional<otp::Match> match =
      record != nullptr ? otp::FindChip(record->mainId()) : std::nullopt;
  if (!match) {
    LogLine(I(itext::kOtpUnknownChip));
    View().Ask(I(itext::kOtpUnknownChip), BoxIcon::Warning, BoxButtons::Ok);
    return result(kOtpNotFound);
  }
  match_ = match;
  const otp::Entry& entry = *match->entryRow;
  lastSize_ = entry.size;
  lastStart_ = entry.start;
  LogLine(I(itext::kOtpFound));
  LogLine(otp::SizeLine(I(itext::kOtpSize), entry));

  if (!otp::SendMethod(ctx_.channel, match->familyRow->method)) {
    LogLine(I(itext::kOtpMethodFailed));
    if (beep) View().Beep(OtpBeep::Default);
    return result(kOtpMethodFailed);
  }
  if (!match->familyRow->HasLockStatus()) {
    // Without a lock command the box matters only for the lock bytes of the
    // protected ranges.
    Enable(ids::kOtpLockCheck, match->Lockable());
    EnableWork(true);
    LogLine(I(itext::kOtpNoLockStatus));
    if (beep) View().Beep(OtpBeep::Default);
    return result(kOtpWritable);
  }
  if (!otp::Enter(ctx_.channel)) {
    LogLine(I(itext::kOtpEnterFailed));
    View().Beep(OtpBeep::Default);
    return result(kOtpEnterFailed);
  }
  const std::optional<otp::Status> status = otp::ReadStatus(ctx_.channel);
  if (!status) {
    LogLine(I(itext::kOtpStatusFailed));
    Leave();
    View().Beep(OtpBeep::Default);
    return result(kOtpStatusFailed);
  }
  locked_ = status->Locked();
  const std::string statusText = otp::StatusText(status->value);
  if (locked_) {
    Enable(ids::kOtpProgramButton, false);
    for (int id : {ids::kOtpReadButton, ids::kOtpVerifyButton, ids::kOtpBlankCheckButton}) {
      Enable(id, true);
    }
    LogLine(I(itext::kOtpLocked) + statusText);
    Leave();
    if (beep) View().Beep(OtpBeep::Information);
    return result(kOtpLocked);
  }
  Enable(ids::kOtpLockCheck, true);
  EnableWork(true);
  LogLine(I(itext::kOtpUnlocked) + statusText);
  Leave();
  if (beep) View().Beep(OtpBeep::Information);
  return result(kOtpWritable);
}

void OtpProgrammer::ShowLock(int result, bool userStarted, const otp::Entry* previous) {
  if (result == kOtpLocked) {
    // The tick shows the area is locked; nobody can take it back.
    Enable(ids::kOtpLockCheck, true);
    View().SetLockTicked(true);
    Enable(ids::kOtpLockCheck, false);
    return;
  }
  const otp::Entry* found = result == kOtpWritable && match_ ? match_->entryRow : nullptr;
  writableEntry_ = found;
  if (userStarted || found == nullptr || found != previous) View().SetLockTicked(false);
}

void OtpProgrammer::ShowLockedNow() {
  locked_ = true;
  writableEntry_ = nullptr;
  lastResult_ = kOtpLocked;
  ShowLock(kOtpLocked, false, nullptr);
  Enable(ids::kOtpProgramButton, false);
}

bool OtpProgrammer::DetectAndEnter() {
  const int r = OtpDetect(false);
  if (r != kOtpLocked && r != kOtpWritable) return false;
  if (otp::Enter(ctx_.channel)) return true;
  // Without a line the user would not see why nothing happened.
  LogLine(I(itext::kOtpEnterFailed));
  View().Beep(OtpBeep::Error);
  return false;
}

// ---- the chosen file -----------------------------------------------------------

std::optional<std::vector<std::uint8_t>> OtpProgrammer::ReadChosenFile() {
  const std::string path = View().ChosenFile();
  buffers::PosixFile file;
  // One byte more than any area holds: a file larger than the area shows.
  std::vector<std::uint8_t> bytes(otp::kMaxOtpSize + 1);
  std::int64_t got = -1;
  // Only a regular file is opened (a FIFO would hold the worker).
  if (!path.empty() && file.Open(path, buffers::PosixFile::Mode::ReadOnly)) {
    got = file.ReadAt(0, bytes.data(), bytes.size());
  }
  if (got < 0) {
    View().Ask(I(itext::kCannotOpenFile), BoxIcon::Warning, BoxButtons::Ok);
    return std::nullopt;
  }
  if (got == 0) {
    // Nothing to write or compare: an empty file is a mistake, not a pass.
    View().Ask(path + ": " + I(itext::kFileEmpty), BoxIcon::Warning, BoxButtons::Ok);
    return std::nullopt;
  }
  bytes.resize(static_cast<std::size_t>(got));
  return bytes;
}

// ---- OtpProgram ---------------------------------------------------------------

bool OtpProgrammer::WriteArea(const std::uint8_t* data, std::uint16_t address, std::size_t length,
                              bool dots) {
  for (std::size_t off = 0; off < length; off += otp::kChunk) {
    const std::size_t n = std::min(otp::kChunk, length - off);
    if (Stopping() ||
        !otp::WriteChunk(ctx_.channel, static_cast<std::uint16_t>(address + off), data + off, n)) {
      return false;
    }
    if (dots) Log(".");
  }
  return true;
}

bool OtpProgrammer::WriteProtectedRanges(const std::uint8_t* image) {
  const otp::Entry& entry = *match_->entryRow;
  for (const otp::Range& r : entry.protectedRanges) {
    if (Stopping() || !otp::WriteChunk(ctx_.channel, r.first, image + (r.first - entry.start),
                                       static_cast<std::size_t>(r.last - r.first) + 1)) {
      return false;
    }
  }
  return true;
}

bool OtpProgrammer::OtpProgram() {
  if (OtpDetect(false) != kOtpWritable) return false;
  // The tick counts only where something can lock, and only as this chip's
  // detection left it.
  const bool lock = match_->Lockable() && View().LockTicked();
  const otp::Entry& entry = *match_->entryRow;
  const std::optional<std::vector<std::uint8_t>> file = ReadChosenFile();
  if (!file) return false;
  if (file->size() > entry.size && View().Ask(I(itext::kOtpFileLargerAsk), BoxIcon::Question,
                                              BoxButtons::YesNo) != BoxAnswer::Yes) {
    return false;
  }
  if (!OtpBlankCheck() && View().Ask(I(itext::kOtpNotBlankAsk), BoxIcon::Warning,
                                     BoxButtons::YesNo) != BoxAnswer::Yes) {
    return false;
  }
  // The area the file was measured against must still be the one in the socket.
  if (OtpDetect(false) != kOtpWritable || match_->entryRow != &entry) return false;
  if (!otp::Enter(ctx_.channel)) {
    LogLine(I(itext::kOtpEnterFailed));
    View().Beep(OtpBeep::Error);
    return false;
  }
  const bool lockStatus = match_->familyRow->HasLockStatus();
  Log("\r\n");
  // The blank check's reading stops being the area's content now.
  SetSaveable(0);
  const std::size_t length = std::min<std::size_t>(file->size(), entry.size);
  // Its own buffers: the OTP buffer takes what is read back.
  std::array<std::uint8_t, otp::kMaxOtpSize> image{};
  image.fill(0xFF);
  std::copy_n(file->begin(), length, image.begin());
  // The protected ranges stay blank in the first pass and are written by
  // themselves afterwards: the chip locks a region by its own bytes.
  std::array<std::uint8_t, otp::kMaxOtpSize> firstPass = image;
  auto inRange = [&entry](std::size_t offset) {
    const std::size_t address = entry.start + offset;
    return std::any_of(
        entry.protectedRanges.begin(), entry.protectedRanges.end(),
        [address](const otp::Range& r) { return address >= r.first && address <= r.last; });
  };
  bool lockBytes = false;  // the file holds bytes that would lock a region
  for (std::size_t off = 0; off < entry.size; ++off) {
    if (!inRange(off)) continue;
    lockBytes = lockBytes || image[off] != 0xFF;
    firstPass[off] = 0xFF;
  }
  if (!WriteArea(firstPass.data(), entry.start, entry.size, true)) {
    return Fail(I(itext::kOtpProgramFailed));
  }
  // The box never answers a write: only reading the area back shows what
  // the chip took. Nothing locks before the data is right.
  if (!ReadBack(firstPass.data(), inRange)) return false;
  if (lock && !entry.protectedRanges.empty()) {
    if (!WriteProtectedRanges(image.data())) return Fail(I(itext::kOtpProgramFailed));
    if (!ReadBack(image.data(), {})) return false;
  } else if (lockBytes) {
    LogLine(I(itext::kOtpLockBytesLeft));
    Log("\r\n");
  }
  if (lock && lockStatus && !locked_) {
    if (!otp::Lock(ctx_.channel)) {
      // The lock was asked for: programming without it is not done.
      return Fail(I(itext::kOtpLockFailed));
    }
    ShowLockedNow();
    LogLine(I(itext::kOtpLockDone));
    // The closing words go on a line of their own, not onto the lock's.
    Log("\r\n");
  }
  Log(I(itext::kOtpProgramDone));
  View().Beep(OtpBeep::Information);
  Leave();
  return true;
}

// ---- OtpRead, OtpSave ------------------------------------------------------------

bool OtpProgrammer::ReadArea(std::size_t length, const ReadFailure& readFailure,
                             const ByteCheck& check) {
  const otp::Entry& entry = *match_->entryRow;
  Log("\r\n");
  SetSaveable(0);
  for (std::size_t off = 0; off < length; off += otp::kChunk) {
    const std::size_t n = std::min(otp::kChunk, length - off);
    std::uint8_t* chip = buffer_.data() + off;
    const auto address = static_cast<std::uint16_t>(entry.start + off);
    if (Stopping() || !otp::ReadChunk(ctx_.channel, address, chip, n)) {
      return Fail(readFailure(address));
    }
    for (std::size_t i = 0; check && i < n; ++i) {
      if (const std::optional<std::string> wrong = check(address + i, off + i, chip[i])) {
        return Fail(*wrong);
      }
    }
    Log(".");
  }
  return true;
}

bool OtpProgrammer::ReadBack(const std::uint8_t* meant,
                             const std::function<bool(std::size_t)>& skip) {
  const std::string failed = I(itext::kOtpVerifyFailed);
  const std::string programFailed = "\r\n" + I(itext::kOtpProgramFailed);
  return ReadArea(
      match_->entryRow->size,
      [&](std::uint32_t address) {
        return failed + otp::AddressText(address) + kUsbError + programFailed;
      },
      [&](std::uint32_t address, std::size_t at, std::uint8_t chip) -> std::optional<std::string> {
        if (chip == meant[at] || (skip && skip(at))) return std::nullopt;
        return failed +
               otp::MismatchText(address, meant[at], I(itext::kOtpFileWord), chip,
                                 I(itext::kOtpChipWord)) +
               programFailed;
      });
}

bool OtpProgrammer::Succeed(std::size_t saveable, const std::string& line) {
  SetSaveable(saveable);
  LogLine(line);
  View().Beep(OtpBeep::Information);
  Leave();
  return true;
}

bool OtpProgrammer::OtpRead() {
  if (!DetectAndEnter()) return false;
  const std::size_t size = match_->entryRow->size;
  const std::string failed = I(itext::kOtpReadFailed);
  if (!ReadArea(size, [&](std::uint32_t) { return failed; }, {})) return false;
  return Succeed(size, I(itext::kOtpReadDone));
}

bool OtpProgrammer::OtpSave() {
  if (saveable_ == 0) {
    Enable(ids::kOtpSaveButton, false);
    return false;
  }
  const std::optional<std::string> path = View().AskSaveFile();
  if (!path || path->empty()) return false;
  // Written beside the target and renamed over it once whole, so a full
  // disk never leaves a chosen file cut short.
  const std::string part = *path + ".part";
  buffers::PosixFile out;
  bool ok = out.Open(part, buffers::PosixFile::Mode::CreateWriteOnly) &&
            out.WriteAt(0, buffer_.data(), saveable_);
  out.Close();
  std::error_code ec;
  if (ok) {
    std::filesystem::rename(part, *path, ec);
    ok = !ec;
  }
  if (!ok) {
    std::filesystem::remove(part, ec);
    View().Ask(I(itext::kCannotOpenFile) + " (" + *path + ")", BoxIcon::Warning, BoxButtons::Ok);
    return false;
  }
  SetSaveable(0);
  Log("," + I(itext::kOtpSaved));
  return true;
}

// ---- OtpVerify, OtpBlankCheck ----------------------------------------------------

bool OtpProgrammer::OtpVerify() {
  const std::optional<std::vector<std::uint8_t>> file = ReadChosenFile();
  if (!file) return false;
  if (!DetectAndEnter()) return false;
  const std::size_t length = std::min<std::size_t>(file->size(), match_->entryRow->size);
  const std::string failed = I(itext::kOtpVerifyFailed);
  const bool same = ReadArea(
      length, [&](std::uint32_t) { return failed + kUsbError; },
      [&](std::uint32_t address, std::size_t at, std::uint8_t chip) -> std::optional<std::string> {
        if (chip == (*file)[at]) return std::nullopt;
        return failed + otp::MismatchText(address, (*file)[at], I(itext::kOtpFileWord), chip,
                                          I(itext::kOtpChipWord));
      });
  // What was compared is what "保存" saves.
  return same && Succeed(length, I(itext::kOtpVerifyDone));
}

bool OtpProgrammer::OtpBlankCheck() {
  if (!DetectAndEnter()) return false;
  const std::size_t size = match_->entryRow->size;
  const std::string failed = I(itext::kOtpBlankFailed);
  const bool blank = ReadArea(
      size, [&](std::uint32_t) { return failed + kUsbError; },
      [&](std::uint32_t address, std::size_t, std::uint8_t chip) -> std::optional<std::string> {
        if (chip == 0xFF) return std::nullopt;
        return failed + otp::NotBlankText(address, chip);
      });
  return blank && Succeed(size, I(itext::kOtpBlank));
}

}  // namespace tarnwick
