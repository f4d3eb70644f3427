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
  jobs.Add({Job::OtpProgram, [this] { return RunJob(&OtpProgrammer::OtpProgram); }});
  jobs.Add({Job::OtpRead, [this] { return RunJob(&OtpProgrammer::OtpRead); }});
  jobs.Add({Job::OtpSave, [this] { return RunJob(&OtpProgrammer::OtpSave); }});
  jobs.Add({Job::OtpVerify, [this] { return RunJob(&OtpProgrammer::OtpVerify); }});
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

int OtpProgrammer::OtpDetect(bool beep) {
  auto result = [this](int r) {
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
    Enable(ids::kOtpLockCheck, false);
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
    // The tick shows the area is locked; nobody can take it back.
    Enable(ids::kOtpLockCheck, true);
    View().SetLockTicked(true);
    Enable(ids::kOtpLockCheck, false);
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
  std::vector<std::uint8_t> bytes(otp::kMaxOtpSize);
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

bool OtpProgrammer::OtpProgram() {
  if (OtpDetect(false) != kOtpWritable) return false;
  if (!OtpBlankCheck() && View().Ask(I(itext::kOtpNotBlankAsk), BoxIcon::Warning,
                                     BoxButtons::YesNo) != BoxAnswer::Yes) {
    return false;
  }
  OtpDetect(false);
  if (!match_ || !otp::Enter(ctx_.channel)) return false;
  const std::optional<std::vector<std::uint8_t>> file = ReadChosenFile();
  if (!file) {
    Leave();
    return false;
  }
  const otp::Entry& entry = *match_->entryRow;
  const bool lockStatus = match_->familyRow->HasLockStatus();
  Log("\r\n");
  // The blank check's reading stops being the area's content now.
  SetSaveable(0);
  const std::size_t length = std::min<std::size_t>(file->size(), entry.size);
  // Its own buffer: the OTP buffer keeps what the blank check read for "保存".
  std::array<std::uint8_t, otp::kMaxOtpSize> image{};
  auto fillFromFile = [&] {
    image.fill(0xFF);
    std::copy_n(file->begin(), length, image.begin());
  };
  // The protected ranges stay blank in the first pass and are written by
  // themselves in the second: the chip locks a region by its own bytes.
  fillFromFile();
  for (const otp::Range& r : entry.protectedRanges) {
    std::fill(image.begin() + (r.first - entry.start), image.begin() + (r.last - entry.start) + 1,
              0xFF);
  }
  if (!WriteArea(image.data(), entry.start, entry.size, true)) {
    return Fail(I(itext::kOtpProgramFailed));
  }
  if (!entry.protectedRanges.empty()) {
    fillFromFile();
    for (const otp::Range& r : entry.protectedRanges) {
      const std::size_t offset = r.first - entry.start;
      if (!otp::WriteChunk(ctx_.channel, r.first, image.data() + offset,
                           static_cast<std::size_t>(r.last - r.first) + 1)) {
        return Fail(I(itext::kOtpProgramFailed));
      }
    }
  }
  if (lockStatus && !locked_ && View().LockTicked()) {
    if (!otp::Lock(ctx_.channel)) {
      // The lock was asked for: programming without it is not done.
      return Fail(I(itext::kOtpLockFailed));
    }
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

bool OtpProgrammer::ReadArea(std::size_t length, const std::string& usbFailure,
                             const ByteCheck& check) {
  const otp::Entry& entry = *match_->entryRow;
  Log("\r\n");
  SetSaveable(0);
  for (std::size_t off = 0; off < length; off += otp::kChunk) {
    const std::size_t n = std::min(otp::kChunk, length - off);
    std::uint8_t* chip = buffer_.data() + off;
    const auto address = static_cast<std::uint16_t>(entry.start + off);
    if (Stopping() || !otp::ReadChunk(ctx_.channel, address, chip, n)) return Fail(usbFailure);
    for (std::size_t i = 0; check && i < n; ++i) {
      if (const std::optional<std::string> wrong = check(address + i, off + i, chip[i])) {
        return Fail(*wrong);
      }
    }
    Log(".");
  }
  return true;
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
  if (!ReadArea(size, I(itext::kOtpReadFailed), {})) return false;
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
      length, failed + kUsbError,
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
      size, failed + kUsbError,
      [&](std::uint32_t address, std::size_t, std::uint8_t chip) -> std::optional<std::string> {
        if (chip == 0xFF) return std::nullopt;
        return failed + otp::NotBlankText(address, chip);
      });
  return blank && Succeed(size, I(itext::kOtpBlank));
}

}  // namespace tarnwick
