// The 20-byte command frames: what the firmware does for each command code.
#include <algorithm>

#include "sim/box_firmware.h"

namespace tarnwick::sim {

using namespace protocol;

namespace {

constexpr std::uint8_t kSectorReady = 0x01;
constexpr std::uint8_t kSectorIncomplete = 0xEE;
constexpr std::uint64_t kLargestUnit = 16u << 20;  // a sector the box can buffer
constexpr std::uint8_t kSerialHeader[4] = {'T', 'W', 'S', 'N'};

std::uint32_t Be32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
         static_cast<std::uint32_t>(p[2]) << 8 | p[3];
}

const char* CommandName(std::uint8_t code) {
  const CommandInfo* info = FindCommand(Frame::Command, code);
  return info ? info->name.data() : "unknown command";
}

}  // namespace

std::uint64_t BoxFirmware::UnitSize(const std::uint8_t* f) const {
  const std::uint8_t sector = f[kFrameSectorCode];
  if (sector == 0xFF) return 0;
  std::uint64_t unit = 0;
  if (sector != 0) {
    if (sector + 10 > 32) return 0;
    unit = std::uint64_t{1} << (sector + 10);
  } else {
    const std::uint8_t page = f[kFramePageCode];
    unit = page == 0xFF ? 256 : page > 24 ? 0 : std::uint64_t{1} << page;
    if (f[kFrameCommand] & kWordOrganisedBit) unit *= 2;
  }
  return unit <= kLargestUnit ? unit : 0;
}

void BoxFirmware::WriteSector(SimClock::time_point now) {
  const bool complete = intakeTaken_ == sector_.size() && !sector_.empty();
  if (complete && Talks(intakeMode_)) {
    if (!chip_->RewriteSector(intakeAddress_, sector_.data(), sector_.size())) {
      events_.emplace_back("content file write failed");
    }
  }
  SimDuration busy{};
  if (chip_) {
    busy = speed_.SectorErase(chip_->Description()) +
           speed_.Program(chip_->Description(), sector_.size());
  }
  if (!complete) {
    events_.push_back("sector write-back incomplete: " + std::to_string(intakeTaken_) + " of " +
                      std::to_string(sector_.size()) + " bytes");
  }
  Answer({complete ? kProgramEndDone : kSectorIncomplete}, now + busy);
  intake_ = Intake::None;
  sector_.clear();
}

void BoxFirmware::OnCommandFrame(const std::uint8_t* f, SimClock::time_point now,
                                 bool& reenumerate) {
  // Programmed bytes the chip still holds back reach its file before any
  // command is carried out.
  if (chip_ && !chip_->Flush()) events_.emplace_back("content file write failed");
  const std::uint8_t code = f[kFrameCommand] & kCommandMask;
  const std::uint8_t* payload = f + kFramePayload;
  if (bootMode_) {
    // The boot loader knows one command frame: it refuses identification.
    if (code == CMD_READ_ID) {
      Answer({static_cast<std::uint8_t>(kIdRefusal >> 16),
              static_cast<std::uint8_t>(kIdRefusal >> 8), static_cast<std::uint8_t>(kIdRefusal)},
             now);
    }
    return;
  }
  mode_ = AccessMode{static_cast<std::uint8_t>(f[kFrameClass] & 0x0F), f[kFrameSubcode],
                     (f[kFrameCommand] & kFiveVoltBit) != 0};
  const bool talks = Talks(mode_);
  const std::uint64_t capacity = Be32(f + kFrameCapacity);

  switch (code) {
    case CMD_SETUP:
      EndOperation();
      break;
    case CMD_PROGRAM:
      EndOperation();
      intake_ = Intake::Program;
      intakeMode_ = mode_;
      intakeAddress_ = 0;
      intakeTaken_ = 0;
      break;
    case CMD_PROGRAM_END:
      if (intake_ == Intake::Sector) {
        WriteSector(now);
        break;
      }
      if (intake_ == Intake::Program && Be32(payload) != intakeTaken_) {
        events_.push_back("CMD_PROGRAM_END counts " + std::to_string(Be32(payload)) +
                          " bytes, the box took " + std::to_string(intakeTaken_));
      }
      intake_ = Intake::None;
      if (programEndHangAlways_ || programEndHangOnce_) {
        programEndHangOnce_ = false;
        events_.emplace_back("program end never confirmed");
        break;
      }
      Answer({kProgramEndDone}, now);
      break;
    case CMD_ERASE: {
      EndOperation();
      if (eraseHangAlways_ || eraseHangOnce_) {
        eraseHangOnce_ = false;
        events_.emplace_back("erase never ends");
        break;
      }
      SimDuration busy{};
      if (talks) {
        if (!chip_->Erase()) events_.emplace_back("content file write failed");
        busy = speed_.ChipErase(chip_->Description());
      }
      Answer({kEraseDone}, now + busy);
      break;
    }
    case CMD_READ_ID: {
      std::uint32_t id = mode_.accessClass == 0 ? 0xFFFFFF : 0x000000;
      if (chip_ && chip_->AnswersIdentification(mode_)) id = chip_->Identification();
      Answer({static_cast<std::uint8_t>(id >> 16), static_cast<std::uint8_t>(id >> 8),
              static_cast<std::uint8_t>(id)},
             now);
      break;
    }
    case CMD_VERIFY:
      EndOperation();
      Stream(0, Be32(payload), talks, now);
      break;
    case CMD_IDLE:
      EndOperation();
      break;
    case CMD_READ:
      EndOperation();
      Stream(0, capacity, talks, now);
      break;
    case CMD_BLANK_CHECK: {
      EndOperation();
      std::vector<std::uint8_t> answer(kBlankAnswerSize, 0);
      answer[0] = kBlankYes;
      std::uint64_t at = 0;
      std::uint8_t value = 0xFF;
      if (talks && capacity > 0) {
        const auto scan = chip_->FindNotBlank(capacity, at, value);
        if (scan == ChipStorage::Scan::Error) events_.emplace_back("content file read failed");
        if (scan == ChipStorage::Scan::NotBlank) {
          answer = {kBlankNo,
                    static_cast<std::uint8_t>(at >> 24),
                    static_cast<std::uint8_t>(at >> 16),
                    static_cast<std::uint8_t>(at >> 8),
                    static_cast<std::uint8_t>(at),
                    value};
        }
      }
      const SimDuration scan = speed_.Scan(answer[0] == kBlankNo ? at : capacity);
      Answer(std::move(answer), now + scan);
      break;
    }
    case CMD_PEEK: {
      std::vector<std::uint8_t> two(2, 0xFF);
      if (talks && !chip_->Read(Be32(payload), two.data(), 2)) two.assign(2, 0xFF);
      Answer(std::move(two), now);
      break;
    }
    case CMD_FW_VERSION:
      if (!firmwareSilent_) Answer({firmwareVersion_}, now);
      break;
    case CMD_SECTOR_READ: {
      EndOperation();
      const std::uint64_t unit = UnitSize(f);
      if (unit == 0) {
        events_.emplace_back("CMD_SECTOR_READ with a unit the box cannot buffer");
        break;
      }
      const std::uint64_t address = Be32(payload) / unit * unit;
      for (std::uint64_t at = 0; at < unit; at += kSectorPiece) {
        Stream(address + at, std::min<std::uint64_t>(kSectorPiece, unit - at), talks, now);
      }
      // The box erases the sector while the program merges its copy.
      const SimDuration erase = chip_ ? speed_.SectorErase(chip_->Description()) : SimDuration{};
      Answer({kSectorReady}, now + erase);
      intake_ = Intake::Sector;
      intakeMode_ = mode_;
      intakeAddress_ = address;
      intakeTaken_ = 0;
      sector_.assign(unit, 0xFF);
      break;
    }
    case CMD_ENTER_BOOT:
      EnterBootLoader();
      reenumerate = true;
      break;
    case CMD_SERIAL:
      Answer({kSerialHeader[0], kSerialHeader[1], kSerialHeader[2], kSerialHeader[3],
              static_cast<std::uint8_t>(serial_ >> 16), static_cast<std::uint8_t>(serial_ >> 8),
              static_cast<std::uint8_t>(serial_)},
             now);
      break;
    case CMD_RESET:
      EndOperation();
      output_.clear();
      break;
    case CMD_ADAPTER_QUERY:
      Answer({static_cast<std::uint8_t>(adapterFitted_ ? kAdapterFitted : 0)}, now);
      break;
    case CMD_STATUS_LAMP:
      lamp_ = payload[0];
      lampHistory_.push_back(lamp_);
      break;
    case CMD_QE_CONFIG: {
      const bool done =
          talks && chip_->ConfigureQuadEnable(payload[0], payload[1], payload[2] != 0);
      Answer({static_cast<std::uint8_t>(done ? kQeDone : 0)}, now);
      break;
    }
    default:
      events_.push_back("ignored " + std::string(CommandName(code)) + " (" + std::to_string(code) +
                        ")");
      break;
  }
}

}  // namespace tarnwick::sim
