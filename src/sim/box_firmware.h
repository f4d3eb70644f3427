// The box's firmware: what it does with each frame and each data block, with
// no USB, threads or faults around it (VirtualBox adds those). Answers and
// chip streams wait in an output queue for the bulk-in endpoint, each with
// the time it becomes ready.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "protocol/protocol.h"
#include "sim/boot_loader.h"
#include "sim/box_description.h"
#include "sim/speed_model.h"
#include "sim/virtual_chip.h"

namespace tarnwick::sim {

struct ReceivedFrame {
  protocol::Frame family;
  std::uint8_t code;
};

class BoxFirmware {
 public:
  bool Init(const BoxDescription& description, std::string& error);

  // One frame from the interrupt endpoint; true when the box re-enumerates.
  bool OnInterrupt(const std::uint8_t* data, std::size_t size, SimClock::time_point now);
  // One block on bulk-out: the count taken, or -1 when nothing takes data
  // now (the box NAKs). `busy` is how long the box needs for it.
  int OnBulkOut(const std::uint8_t* data, int size, SimClock::time_point now, SimDuration& busy);
  // Copies ready output; 0 when none is ready. `streamed` receives the chip
  // stream bytes among them.
  int TakeOutput(std::uint8_t* out, int size, SimClock::time_point now, std::uint64_t& streamed);
  std::optional<SimClock::time_point> NextOutputAt() const;

  // The box lost power and got it back.
  void PowerUp();
  // The firmware jumps into its boot loader (command or fault).
  void EnterBootLoader();
  bool InBootLoader() const { return bootMode_; }
  void SetEraseHang(bool always) { (always ? eraseHangAlways_ : eraseHangOnce_) = true; }
  // The next CMD_PROGRAM_END (every one with `always`) takes the count but
  // never sends its done byte.
  void SetProgramEndHang(bool always) {
    (always ? programEndHangAlways_ : programEndHangOnce_) = true;
  }
  // Puts a chip into the socket (nullopt: empties it).
  bool SetChip(const std::optional<ChipDescription>& chip, std::string& error);

  const VirtualChip* Chip() const { return chip_ ? &*chip_ : nullptr; }
  std::uint8_t Lamp() const { return lamp_; }
  const std::vector<std::uint8_t>& LampHistory() const { return lampHistory_; }
  const std::vector<ReceivedFrame>& Frames() const { return frames_; }
  std::uint8_t FirmwareVersion() const { return firmwareVersion_; }
  const BootLoader& Loader() const { return bootLoader_; }
  std::vector<std::string>& Events() { return events_; }
  const std::vector<std::string>& Events() const { return events_; }
  void SetSpeed(SpeedModel speed) { speed_ = speed; }

 private:
  struct Segment {
    std::vector<std::uint8_t> bytes;  // an answer
    bool fromChip = false;            // else a chip range
    bool blankBus = false;            // the chip does not talk: the bus reads 0xFF
    std::uint64_t address = 0;
    std::uint64_t length = 0;
    std::uint64_t pos = 0;
    SimClock::time_point readyAt{};
  };
  enum class Intake { None, Program, Sector };

  void OnCommandFrame(const std::uint8_t* f, SimClock::time_point now, bool& reenumerate);
  void OnBootFrame(const std::uint8_t* f, SimClock::time_point now, bool& reenumerate);
  void Answer(std::vector<std::uint8_t> bytes, SimClock::time_point readyAt);
  void Stream(std::uint64_t address, std::uint64_t length, bool talks, SimClock::time_point at);
  void EndOperation();
  bool Talks(const AccessMode& mode) const { return chip_ && chip_->Talks(mode); }
  std::uint64_t UnitSize(const std::uint8_t* f) const;
  void WriteSector(SimClock::time_point now);
  // An accepted image becomes the box's firmware: its version and its file.
  void AdoptImage();

  std::optional<VirtualChip> chip_;
  BootLoader bootLoader_;
  SpeedModel speed_;
  std::uint8_t firmwareVersion_ = 0x23;
  bool firmwareSilent_ = false;
  std::uint32_t serial_ = 0;
  std::string firmwarePath_;
  bool adapterFitted_ = false;
  bool bootMode_ = false;
  bool stuckInBootLoader_ = false;
  bool eraseHangOnce_ = false;
  bool eraseHangAlways_ = false;
  bool programEndHangOnce_ = false;
  bool programEndHangAlways_ = false;

  AccessMode mode_;  // of the last command frame; OTP frames use it
  Intake intake_ = Intake::None;
  AccessMode intakeMode_;
  std::uint64_t intakeAddress_ = 0;
  std::uint64_t intakeTaken_ = 0;
  std::vector<std::uint8_t> sector_;

  std::deque<Segment> output_;
  std::uint8_t lamp_ = protocol::kLampNeutral;
  std::vector<std::uint8_t> lampHistory_;
  std::vector<ReceivedFrame> frames_;
  std::vector<std::string> events_;
};

}  // namespace tarnwick::sim
