#include "sim/box_firmware.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace tarnwick::sim {

using namespace protocol;

namespace {

// The version byte of an image file kept by an earlier run: the byte that
// BOOT_FINISH carried, 4 bytes before its end.
std::optional<std::uint8_t> KeptVersion(const std::string& path) {
  if (path.empty()) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  const std::vector<std::uint8_t> image{std::istreambuf_iterator<char>(in), {}};
  if (image.size() < 4) return std::nullopt;
  return image[image.size() - 4];
}

// The boot loader's table from its file: exactly 256 bytes of a regular file.
bool LoadBootTable(const std::string& path, std::optional<BootTableBytes>& table,
                   std::string& error) {
  table.reset();
  if (path.empty()) return true;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec) ||
      std::filesystem::file_size(path, ec) != kBootTableLength || ec) {
    error = "boot table " + path + ": not a file of " + std::to_string(kBootTableLength) + " bytes";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  BootTableBytes bytes{};
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!in) {
    error = "boot table " + path + ": cannot be read";
    return false;
  }
  table = bytes;
  return true;
}

}  // namespace

bool BoxFirmware::Init(const BoxDescription& description, std::string& error) {
  std::optional<BootTableBytes> table;
  if (!LoadBootTable(description.bootTablePath, table, error)) return false;
  bootLoader_.SetTable(table);
  firmwarePath_ = description.firmwarePath;
  const std::optional<std::uint8_t> kept = KeptVersion(firmwarePath_);
  firmwareVersion_ = kept.value_or(description.firmwareVersion);
  firmwareSilent_ = description.firmwareSilent;
  serial_ = description.serial & 0xFFFFFF;
  adapterFitted_ = description.adapterFitted;
  // An image kept by an earlier run was accepted: the box left its boot
  // loader then and starts with that firmware.
  stuckInBootLoader_ = description.bootLoader && !kept;
  bootMode_ = stuckInBootLoader_;
  if (bootMode_) bootLoader_.Begin();
  speed_ = SpeedModel(description.speed);
  return SetChip(description.chip, error);
}

bool BoxFirmware::SetChip(const std::optional<ChipDescription>& chip, std::string& error) {
  EndOperation();
  if (!chip) {
    chip_.reset();
    events_.emplace_back("socket emptied");
    return true;
  }
  VirtualChip next;
  if (!next.Open(*chip, error)) return false;
  chip_.emplace(std::move(next));
  events_.push_back("chip " + chip->model + " in the socket, content " + chip->contentPath);
  return true;
}

void BoxFirmware::PowerUp() {
  EndOperation();
  output_.clear();
  bootMode_ = stuckInBootLoader_ || bootLoader_.FirmwareDamaged();
  if (bootMode_) bootLoader_.Begin();
  lamp_ = kLampNeutral;
  lampHistory_.push_back(lamp_);
}

void BoxFirmware::EnterBootLoader() {
  EndOperation();
  output_.clear();
  bootMode_ = true;
  bootLoader_.Begin();
  events_.emplace_back("boot loader running");
}

void BoxFirmware::EndOperation() {
  intake_ = Intake::None;
  sector_.clear();
  output_.erase(
      std::remove_if(output_.begin(), output_.end(), [](const Segment& s) { return s.fromChip; }),
      output_.end());
  if (chip_) chip_->Otp().Reset();
}

void BoxFirmware::Answer(std::vector<std::uint8_t> bytes, SimClock::time_point readyAt) {
  Segment s;
  s.length = bytes.size();
  s.bytes = std::move(bytes);
  s.readyAt = readyAt;
  output_.push_back(std::move(s));
}

void BoxFirmware::Stream(std::uint64_t address, std::uint64_t length, bool talks,
                         SimClock::time_point at) {
  if (length == 0) return;
  Segment s;
  s.fromChip = true;
  s.blankBus = !talks;
  s.address = address;
  s.length = length;
  s.readyAt = at;
  output_.push_back(std::move(s));
}

bool BoxFirmware::OnInterrupt(const std::uint8_t* data, std::size_t size,
                              SimClock::time_point now) {
  bool reenumerate = false;
  if (size == kCommandFrameSize && data[0] == kStartMarker && data[kFrameEnd] == kEndMarker) {
    frames_.push_back(
        {Frame::Command, static_cast<std::uint8_t>(data[kFrameCommand] & kCommandMask)});
    OnCommandFrame(data, now, reenumerate);
  } else if (size == kBootFrameSize && data[0] == kStartMarker && data[3] == kEndMarker) {
    frames_.push_back({Frame::Boot, data[1]});
    OnBootFrame(data, now, reenumerate);
  } else if ((size == kOtpShortFrameSize || size == kOtpLongFrameSize) && data[0] == kStartMarker &&
             data[size - 1] == kEndMarker) {
    frames_.push_back({size == kOtpShortFrameSize ? Frame::OtpShort : Frame::OtpLong, data[2]});
    if (!bootMode_ && chip_) {
      if (auto answer = chip_->Otp().OnFrame(data, size, Talks(mode_))) {
        Answer(std::vector<std::uint8_t>(answer->begin(), answer->end()), now);
      }
    } else if (!bootMode_ && size == kOtpShortFrameSize && data[2] != OTP_METHOD) {
      OtpArea none;  // empty socket: every answered OTP command is refused
      if (auto answer = none.OnFrame(data, size, false)) {
        Answer(std::vector<std::uint8_t>(answer->begin(), answer->end()), now);
      }
    }
  } else {
    events_.push_back("malformed frame of " + std::to_string(size) + " bytes ignored");
  }
  return reenumerate;
}

void BoxFirmware::OnBootFrame(const std::uint8_t* f, SimClock::time_point now, bool& reenumerate) {
  if (!bootMode_) return;  // the running firmware does not speak boot frames
  std::vector<std::uint8_t> answer;
  bool restart = false;
  bootLoader_.OnFrame(f[1], f[2], answer, restart);
  if (!answer.empty()) Answer(std::move(answer), now);
  if (f[1] == BOOT_FINISH && bootLoader_.Accepted()) AdoptImage();
  if (!restart) return;
  bootMode_ = stuckInBootLoader_ || bootLoader_.FirmwareDamaged();
  if (bootMode_) bootLoader_.Begin();
  output_.clear();
  reenumerate = true;
}

void BoxFirmware::AdoptImage() {
  stuckInBootLoader_ = false;
  firmwareVersion_ = bootLoader_.FinishValue();
  events_.push_back("new firmware accepted, " + std::to_string(bootLoader_.ImageLength()) +
                    " bytes");
  if (firmwarePath_.empty()) return;
  const std::vector<std::uint8_t> image = bootLoader_.PlainImage();
  std::ofstream out(firmwarePath_, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(image.data()),
            static_cast<std::streamsize>(image.size()));
  if (!out) events_.push_back("firmware file " + firmwarePath_ + " could not be written");
}

int BoxFirmware::OnBulkOut(const std::uint8_t* data, int size, SimClock::time_point,
                           SimDuration& busy) {
  busy = speed_.Transfer(static_cast<std::uint64_t>(std::max(size, 0)));
  if (size < 0) return -1;
  if (bootMode_) return bootLoader_.TakingImage() ? bootLoader_.OnImagePiece(data, size) : -1;
  const std::uint64_t n = static_cast<std::uint64_t>(size);
  if (intake_ == Intake::Program) {
    if (chip_ && chip_->Talks(intakeMode_)) {
      if (!chip_->Write(intakeAddress_, data, n)) events_.emplace_back("content file write failed");
      busy = std::max(busy, speed_.Program(chip_->Description(), n));
    }
    intakeAddress_ += n;
    intakeTaken_ += n;
    return size;
  }
  if (intake_ == Intake::Sector) {
    const std::uint64_t room = sector_.size() - intakeTaken_;
    const std::uint64_t take = std::min(room, n);
    if (take == 0) return -1;
    std::copy_n(data, take, sector_.begin() + static_cast<std::ptrdiff_t>(intakeTaken_));
    intakeTaken_ += take;
    return static_cast<int>(take);
  }
  return -1;
}

int BoxFirmware::TakeOutput(std::uint8_t* out, int size, SimClock::time_point now,
                            std::uint64_t& streamed) {
  streamed = 0;
  while (!output_.empty() && output_.front().pos >= output_.front().length) output_.pop_front();
  if (output_.empty() || size <= 0) return 0;
  Segment& s = output_.front();
  if (s.readyAt > now) return 0;
  const std::uint64_t n =
      std::min<std::uint64_t>(static_cast<std::uint64_t>(size), s.length - s.pos);
  if (!s.fromChip) {
    std::copy_n(s.bytes.begin() + static_cast<std::ptrdiff_t>(s.pos), n, out);
  } else {
    if (s.blankBus || !chip_ || !chip_->Read(s.address + s.pos, out, n)) std::fill_n(out, n, 0xFF);
    streamed = n;
  }
  s.pos += n;
  if (s.pos >= s.length) output_.pop_front();
  return static_cast<int>(n);
}

std::optional<SimClock::time_point> BoxFirmware::NextOutputAt() const {
  for (const Segment& s : output_) {
    if (s.pos < s.length) return s.readyAt;
  }
  return std::nullopt;
}

}  // namespace tarnwick::sim
