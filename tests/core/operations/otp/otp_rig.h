// The OTP feature on a virtual box: the chip rig with the OTP jobs added and
// a view that records what the dialog would show and answers its questions.
#pragma once

#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/operations/operation_rig.h"
#include "core/operations/otp/otp_programmer.h"
#include "protocol/protocol.h"

namespace tarnwick::test {

class RecordingOtpView : public OtpView {
 public:
  void SetLogText(const std::string& text) override {
    std::lock_guard l(m_);
    log_ = text;
  }
  void AppendLogText(const std::string& text) override {
    std::lock_guard l(m_);
    log_ += text;
  }
  void SetControlEnabled(int id, bool enabled) override {
    std::lock_guard l(m_);
    enabled_[id] = enabled;
  }
  void SetLockTicked(bool ticked) override {
    std::lock_guard l(m_);
    ticked_ = ticked;
  }
  void ShowBusy(bool busy) override {
    std::lock_guard l(m_);
    busyCalls_.push_back(busy);
  }
  void Beep(OtpBeep kind) override {
    std::lock_guard l(m_);
    beeps_.push_back(kind);
  }
  std::string ChosenFile() override {
    std::lock_guard l(m_);
    return file_;
  }
  bool LockTicked() override {
    std::lock_guard l(m_);
    return ticked_;
  }
  BoxAnswer Ask(const std::string& text, BoxIcon icon, BoxButtons buttons) override {
    std::lock_guard l(m_);
    boxes_.push_back({text, "", icon, buttons});
    if (answers_.empty()) return buttons == BoxButtons::YesNo ? BoxAnswer::No : BoxAnswer::Ok;
    const BoxAnswer a = answers_.front();
    answers_.pop_front();
    return a;
  }
  std::optional<std::string> AskSaveFile() override {
    std::lock_guard l(m_);
    ++saveDialogs_;
    return savePath_;
  }

  void Choose(const std::string& file) {
    std::lock_guard l(m_);
    file_ = file;
  }
  void Tick(bool on) {
    std::lock_guard l(m_);
    ticked_ = on;
  }
  void QueueAnswer(BoxAnswer a) {
    std::lock_guard l(m_);
    answers_.push_back(a);
  }
  void SaveTo(std::optional<std::string> path) {
    std::lock_guard l(m_);
    savePath_ = std::move(path);
  }
  std::string Log() const {
    std::lock_guard l(m_);
    return log_;
  }
  bool Enabled(int id) const {
    std::lock_guard l(m_);
    const auto it = enabled_.find(id);
    return it != enabled_.end() && it->second;
  }
  bool Ticked() const {
    std::lock_guard l(m_);
    return ticked_;
  }
  std::vector<OtpBeep> Beeps() const {
    std::lock_guard l(m_);
    return beeps_;
  }
  std::vector<RecordedBox> Boxes() const {
    std::lock_guard l(m_);
    return boxes_;
  }
  std::vector<bool> BusyCalls() const {
    std::lock_guard l(m_);
    return busyCalls_;
  }
  int SaveDialogs() const {
    std::lock_guard l(m_);
    return saveDialogs_;
  }

 private:
  mutable std::mutex m_;
  std::string log_;
  std::map<int, bool> enabled_;
  bool ticked_ = false;
  std::vector<bool> busyCalls_;
  std::vector<OtpBeep> beeps_;
  std::string file_;
  std::deque<BoxAnswer> answers_;
  std::vector<RecordedBox> boxes_;
  std::optional<std::string> savePath_;
  int saveDialogs_ = 0;
};

// One decoded OTP frame: its code, and for reads and writes the address,
// length and data.
struct OtpFrame {
  std::uint8_t code = 0;
  std::uint16_t address = 0;
  std::uint16_t length = 0;
  std::vector<std::uint8_t> data;
};

inline OtpFrame DecodeOtpFrame(const TapUsb::Frame& f) {
  OtpFrame out;
  out.code = f[2];
  out.address = static_cast<std::uint16_t>(f[3] | f[4] << 8);
  out.length = static_cast<std::uint16_t>(f[5] | f[6] << 8);
  if (out.code == protocol::OTP_WRITE) out.data.assign(f.begin() + 7, f.begin() + 7 + out.length);
  return out;
}

class OtpRigTest : public ChipRigTest {
 protected:
  void TearDown() override {
    if (otp) otp->SetView(nullptr);
    ChipRigTest::TearDown();
  }

  // A raw flash chip with an OTP area, in a box; the OTP jobs on the rig.
  void BootOtp(std::uint32_t id, std::uint64_t size, std::uint32_t otpSize,
               std::uint32_t otpStart = 0, bool locked = false) {
    sim::ChipDescription chip = Flash(id, size, dir.file("chip.bin"));
    chip.otp.size = otpSize;
    chip.otp.start = otpStart;
    chip.otp.locked = locked;
    BootWith(chip);
  }
  void BootWith(const sim::ChipDescription& chip) {
    Boot(BoxWith(chip));
    ASSERT_TRUE(rig);
    otp = std::make_unique<OtpProgrammer>(rig->ctx, rig->launcher);
    otp->AddJobs(rig->jobs);
    otp->SetView(&view);
  }

  // The OTP frames of the last job.
  std::vector<OtpFrame> OtpFrames() const {
    std::vector<OtpFrame> out;
    for (const TapUsb::Frame& f : tap->OtpFrames()) out.push_back(DecodeOtpFrame(f));
    return out;
  }
  std::vector<OtpFrame> Writes() const {
    std::vector<OtpFrame> out;
    for (OtpFrame& f : OtpFrames())
      if (f.code == protocol::OTP_WRITE) out.push_back(std::move(f));
    return out;
  }
  int CountOtp(std::uint8_t code) const {
    int n = 0;
    for (const OtpFrame& f : OtpFrames()) n += f.code == code ? 1 : 0;
    return n;
  }
  std::uint8_t LastOtpCode() const {
    const auto frames = OtpFrames();
    return frames.empty() ? 0 : frames.back().code;
  }
  bool EndsWith(const std::string& text) const {
    const std::string log = view.Log();
    return log.size() >= text.size() &&
           log.compare(log.size() - text.size(), text.size(), text) == 0;
  }
  std::string File(const std::string& name, const Bytes& bytes) {
    dir.Write(name, bytes);
    return dir.file(name);
  }

  RecordingOtpView view;
  std::unique_ptr<OtpProgrammer> otp;
};

}  // namespace tarnwick::test
