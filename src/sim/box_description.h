// What a virtual programmer box is: the box itself, the chip in its socket,
// how fast it behaves and which faults it shows. Built in code or read from a
// description file (docs/virtual-box.md).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::sim {

enum class ChipKind { SpiFlash, Eeprom };
enum class ContentFill { Pattern, Blank };
enum class SpeedKind { Instant, Realistic };

struct OtpDescription {
  std::uint32_t size = 0;   // 0: the chip has no OTP area
  std::uint32_t start = 0;  // first OTP address
  bool locked = false;
  // The 9-byte method record the chip needs; empty accepts any method.
  std::vector<std::uint8_t> method;
};

struct ChipDescription {
  std::string model = "chip";
  ChipKind kind = ChipKind::SpiFlash;
  // Access mode: the chip talks only when the frame carries this class, one
  // of these subcodes and this 5-volt flag.
  std::uint8_t accessClass = 0;
  std::vector<std::uint8_t> subcodes{0x00, 0x20, 0x60, 0x70};
  bool fiveVolt = false;
  // SPI flash: the 24-bit identification. EEPROM: the family answer of its
  // class unless given explicitly.
  std::optional<std::uint32_t> id;
  std::uint64_t size = 0;
  std::uint32_t pageSize = 256;
  std::uint32_t sectorSize = 4096;
  bool wordOrganised = false;
  OtpDescription otp;
  bool hasQuadEnable = false;
  bool quadEnable = false;
  std::vector<std::uint8_t> qeMethod;  // two bytes; empty accepts any
  std::string contentPath;             // backing file of the chip content
  ContentFill fill = ContentFill::Pattern;
  // Datasheet-like timings for the realistic speed model; 0 picks a default.
  std::uint32_t eraseMs = 0;
  std::uint32_t pageProgramUs = 0;
};

enum class FaultKind { Unplug, Stall, PartialWrite, EraseHang, Refuse, ProgramEndHang };

struct FaultTrigger {
  enum class When { Always, AtCommand, AtByte } when = When::Always;
  std::uint64_t value = 0;  // command number (from 1) or streamed byte count
};

struct FaultEntry {
  FaultKind kind = FaultKind::Stall;
  FaultTrigger trigger;
  std::uint32_t amount = 0;  // PartialWrite: bytes a block write takes
};

struct FaultPlan {
  std::vector<FaultEntry> scripted;
  // Random faults: each kind listed gets one trigger drawn from the seed.
  std::vector<FaultKind> random;
  std::optional<std::uint64_t> seed;  // unset with random kinds: drawn and logged
  std::uint64_t randomCommands = 200;
  std::uint64_t randomBytes = 0;  // 0: the chip size (or 1 MiB without a chip)
};

// Batch programming: chips are put into the socket one after another. The
// box takes the chip out some time after its lamp shows an outcome and puts
// the next one in a little later, as a technician at the bench would.
struct SocketDescription {
  std::uint32_t chips = 1;
  ContentFill newChip = ContentFill::Blank;  // chips 2 and on, when their file is created
  std::optional<std::uint32_t> removeMs;     // unset: the chip stays in
  std::uint32_t insertMs = 100;
};

struct BoxDescription {
  bool present = true;
  std::uint8_t firmwareVersion = 0x23;  // 0xFF: no valid firmware
  bool firmwareSilent = false;          // CMD_FW_VERSION gets no answer
  std::uint32_t serial = 0x012345;
  bool adapterFitted = false;
  // Starts in the firmware-upgrade mode, unless an image kept at
  // `firmwarePath` shows that an upgrade was accepted since.
  bool bootLoader = false;
  // The boot loader's own scrambling table: a file of 256 bytes (empty: the
  // box has none and accepts no image).
  std::string bootTablePath;
  // Where the box keeps the last image it accepted, unscrambled (empty: not
  // kept). An image found there at start gives the firmware version byte.
  std::string firmwarePath;
  std::optional<ChipDescription> chip;
  SpeedKind speed = SpeedKind::Instant;
  FaultPlan faults;
  SocketDescription socket;
};

// The virtual box's own boot table, shipped in the program's data folder.
inline constexpr const char* kShippedBootTableFile = "sim-boot-table.bin";

// Gives a description that names no boot table the shipped one from
// `dataDir` (with or without a trailing '/'), when that file is there.
void UseShippedBootTable(BoxDescription& description, const std::string& dataDir);

// The box the program sees with --simulate and no file: an EN25Q64 with a
// recognisable pattern, its content and its accepted firmware image
// ("virtual-box.fw") kept in `contentDir`.
BoxDescription DefaultBoxDescription(const std::string& contentDir);

// Reads a description file; relative content paths are taken from the file's
// folder, and the accepted firmware image is kept in "<path>.fw". Given a
// `contentDir` (for a file in a folder the user may not write, such as the
// shipped examples), both are kept there instead; a relative boot table is
// still read beside the file. On failure the error names the line.
std::optional<BoxDescription> LoadBoxDescription(const std::string& path, std::string& error,
                                                 const std::string& contentDir = {});
std::optional<BoxDescription> ParseBoxDescription(const std::string& text,
                                                  const std::string& baseDir, std::string& error);

// The content file of batch chip `number`: chip 1 uses `contentPath` itself,
// chip k the same name with "-k" before its extension (chip-2.bin), or
// appended when there is none.
std::string BatchChipPath(const std::string& contentPath, std::uint32_t number);

// The family answer an EEPROM gives to CMD_READ_ID in its own mode.
std::uint32_t EepromFamilyAnswer(std::uint8_t accessClass);

const char* FaultKindName(FaultKind kind);

}  // namespace tarnwick::sim
