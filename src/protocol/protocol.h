// The programmer box's protocol as data: identifiers, endpoints, frame
// layouts, command codes, answer codes and timeouts. Both the program and the
// virtual box read this header and nothing else of each other.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace tarnwick::protocol {

// ---- USB identity and endpoints ---------------------------------------------
inline constexpr std::uint16_t kVendorId = 0x0716;
inline constexpr std::uint16_t kProductId = 0x5018;
inline constexpr int kConfiguration = 1;
inline constexpr int kInterface = 0;
inline constexpr int kEndpointBulkOut = 0x01;  // data streamed to the chip
inline constexpr int kEndpointCommand = 0x02;  // interrupt out: frames
inline constexpr int kEndpointBulkIn = 0x83;   // answers and data from the chip
inline constexpr int kDefaultTimeoutMs = 500;  // used when a caller passes 0

// ---- Frame layouts ------------------------------------------------------------
inline constexpr std::uint8_t kStartMarker = 0xA5;
inline constexpr std::uint8_t kEndMarker = 0x5A;

// CommandFrame: 20 bytes.
inline constexpr std::size_t kCommandFrameSize = 20;
inline constexpr std::size_t kFrameCommand = 1;  // bits 0-5 code, 6 word org., 7 five volt
inline constexpr std::uint8_t kCommandMask = 0x3F;
inline constexpr std::uint8_t kWordOrganisedBit = 0x40;
inline constexpr std::uint8_t kFiveVoltBit = 0x80;
inline constexpr std::size_t kFrameClass = 2;  // bits 0-3 class, bit 7 adapter
inline constexpr std::uint8_t kAdapterBit = 0x80;
inline constexpr std::size_t kFrameSubcode = 3;
inline constexpr std::size_t kFramePageCode = 4;
inline constexpr std::size_t kFrameSectorCode = 5;
inline constexpr std::size_t kFrameCapacity = 6;  // 4 bytes, most significant first
inline constexpr std::size_t kFrameMainAddress = 10;
inline constexpr std::size_t kFrameSecondaryHigh = 11;
inline constexpr std::size_t kFrameSecondaryLow = 12;
inline constexpr std::size_t kFramePayload = 13;  // 6 bytes
inline constexpr std::size_t kFramePayloadSize = 6;
inline constexpr std::size_t kFrameEnd = 19;

// BootFrame: A5, code, value, 5A.
inline constexpr std::size_t kBootFrameSize = 4;

// OTP frames and answer.
inline constexpr std::size_t kOtpShortFrameSize = 16;  // A5 01 code payload[12] 5A
inline constexpr std::size_t kOtpShortPayload = 12;
inline constexpr std::uint8_t kOtpShortTag = 0x01;
inline constexpr std::size_t kOtpLongFrameSize = 45;  // A5 02 code payload[41] 5A
inline constexpr std::size_t kOtpLongPayload = 41;
inline constexpr std::uint8_t kOtpLongTag = 0x02;
inline constexpr std::size_t kOtpAnswerSize = 45;  // A5 03 status data[41] 5A
inline constexpr std::uint8_t kOtpAnswerTag = 0x03;
inline constexpr std::size_t kOtpAnswerData = 3;
inline constexpr std::size_t kOtpMaxData = 32;

// ---- Command codes ------------------------------------------------------------
enum Command : std::uint8_t {
  CMD_SETUP = 0,
  CMD_PROGRAM = 1,
  CMD_PROGRAM_END = 2,
  CMD_ERASE = 5,
  CMD_READ_ID = 7,
  CMD_VERIFY = 8,
  CMD_IDLE = 9,
  CMD_READ = 13,
  CMD_BLANK_CHECK = 15,
  CMD_PEEK = 17,
  CMD_FW_VERSION = 18,
  CMD_SECTOR_READ = 19,
  CMD_ENTER_BOOT = 21,
  CMD_SERIAL = 22,
  CMD_RESET = 25,
  CMD_ADAPTER_QUERY = 32,
  CMD_STATUS_LAMP = 34,
  CMD_QE_CONFIG = 35,
};

enum BootCommand : std::uint8_t {
  BOOT_IDLE = 1,
  BOOT_ERASE_BLOCK = 2,
  BOOT_WRITE_BEGIN = 4,
  BOOT_WRITE_END = 5,
  BOOT_READ_BLOCK = 6,
  BOOT_HELLO = 8,
  BOOT_READBACK_BEGIN = 9,
  BOOT_RESTART = 10,
  BOOT_FINISH = 12,
  BOOT_START = 13,
};

enum OtpCommand : std::uint8_t {
  OTP_METHOD = 1,  // short frame
  OTP_READ = 2,    // short frame
  OTP_STATUS = 3,  // short frame
  OTP_LOCK = 4,    // short frame
  OTP_ENTER = 5,   // short frame
  OTP_EXIT = 6,    // short frame
  OTP_WRITE = 37,  // long frame
};

// Answer status codes of the OTP answer frame.
inline constexpr std::uint8_t kOtpStatusDone = 0x37;
inline constexpr std::uint8_t kOtpStatusLock = 0x38;
inline constexpr std::uint8_t kOtpStatusData = 0x39;

// ---- Answers on the bulk-in endpoint -------------------------------------------
inline constexpr std::uint8_t kProgramEndDone = 2;  // after CMD_PROGRAM_END
inline constexpr std::uint8_t kEraseDone = 6;       // polled after CMD_ERASE
inline constexpr std::uint8_t kBlankYes = 15;       // blank-check result byte 0
inline constexpr std::uint8_t kBlankNo = 16;
inline constexpr std::size_t kBlankAnswerSize = 6;
inline constexpr std::uint8_t kAdapterFitted = 1;
inline constexpr std::uint8_t kQeDone = 1;
inline constexpr std::uint8_t kFirmwareInvalid = 0xFF;
inline constexpr std::size_t kSerialAnswerSize = 7;  // bytes 4-6: serial number
inline constexpr std::uint8_t kBootHelloFirst = 0x5A;
inline constexpr std::uint8_t kBootHelloSecond = 0xA5;
inline constexpr std::uint8_t kBootFinishAccepted = 12;
inline constexpr std::uint8_t kBootStartReady = 13;
inline constexpr std::size_t kBootBlockSize = 1024;

// Identification answers that are not chip IDs: the box names the family it
// recognised in the current access mode, or refuses (firmware-upgrade mode).
inline constexpr std::uint32_t kIdFamilyI2c = 0x000001;        // type list entry 1
inline constexpr std::uint32_t kIdFamilySpiEeprom = 0x000002;  // type list entry 3
inline constexpr std::uint32_t kIdFamilyClass4 = 0x000003;     // type list entry 4
inline constexpr std::uint32_t kIdRefusal = 0x000004;
inline constexpr std::uint32_t kIdFamilyMicrowire = 0x000005;  // type list entry 2

// Status lamp values.
inline constexpr std::uint8_t kLampNeutral = 0;
inline constexpr std::uint8_t kLampBusy = 1;
inline constexpr std::uint8_t kLampFailed = 2;
inline constexpr std::uint8_t kLampSucceeded = 3;

// ---- Stream sizes ---------------------------------------------------------------
inline constexpr std::size_t kProgramBlock = 4096;  // endpoint 1, 60000 ms each
inline constexpr std::size_t kReadBlock = 8192;     // endpoint 0x83, 5000 ms each
inline constexpr std::size_t kSectorPiece = 1024;   // sector read pieces
inline constexpr std::size_t kFirmwarePiece = 64;   // firmware stream pieces, 2000 ms

// ---- The command table: one row per frame command ------------------------------------
enum class Frame { Command, Boot, OtpShort, OtpLong };

struct CommandInfo {
  Frame frame;
  std::uint8_t code;
  std::string_view name;
  std::uint8_t payloadBytes;  // fixed payload length (0: none or variable)
  int sendTimeoutMs;          // the usual send timeout
  int answerBytes;            // answer length read back (0: none, -1: a stream)
};

inline constexpr std::array<CommandInfo, 35> kCommandTable{{
    {Frame::Command, CMD_SETUP, "CMD_SETUP", 0, 1000, 0},
    {Frame::Command, CMD_PROGRAM, "CMD_PROGRAM", 0, 5000, 0},
    {Frame::Command, CMD_PROGRAM_END, "CMD_PROGRAM_END", 4, 1000, 1},
    {Frame::Command, CMD_ERASE, "CMD_ERASE", 0, 1000, 1},
    {Frame::Command, CMD_READ_ID, "CMD_READ_ID", 0, 5000, 3},
    {Frame::Command, CMD_VERIFY, "CMD_VERIFY", 4, 5000, -1},
    {Frame::Command, CMD_IDLE, "CMD_IDLE", 0, 1000, 0},
    {Frame::Command, CMD_READ, "CMD_READ", 0, 5000, -1},
    {Frame::Command, CMD_BLANK_CHECK, "CMD_BLANK_CHECK", 0, 1000, 6},
    {Frame::Command, CMD_PEEK, "CMD_PEEK", 4, 100, 2},
    {Frame::Command, CMD_FW_VERSION, "CMD_FW_VERSION", 0, 100, 1},
    {Frame::Command, CMD_SECTOR_READ, "CMD_SECTOR_READ", 4, 5000, -1},
    {Frame::Command, CMD_ENTER_BOOT, "CMD_ENTER_BOOT", 0, 100, 0},
    {Frame::Command, CMD_SERIAL, "CMD_SERIAL", 0, 100, 7},
    {Frame::Command, CMD_RESET, "CMD_RESET", 0, 1000, 0},
    {Frame::Command, CMD_ADAPTER_QUERY, "CMD_ADAPTER_QUERY", 0, 1000, 1},
    {Frame::Command, CMD_STATUS_LAMP, "CMD_STATUS_LAMP", 1, 100, 0},
    {Frame::Command, CMD_QE_CONFIG, "CMD_QE_CONFIG", 3, 1000, 1},
    {Frame::Boot, BOOT_IDLE, "BOOT_IDLE", 1, 500, 0},
    {Frame::Boot, BOOT_ERASE_BLOCK, "BOOT_ERASE_BLOCK", 1, 500, 1},
    {Frame::Boot, BOOT_WRITE_BEGIN, "BOOT_WRITE_BEGIN", 1, 500, 0},
    {Frame::Boot, BOOT_WRITE_END, "BOOT_WRITE_END", 1, 500, 0},
    {Frame::Boot, BOOT_READ_BLOCK, "BOOT_READ_BLOCK", 1, 500, 1024},
    {Frame::Boot, BOOT_HELLO, "BOOT_HELLO", 1, 500, 2},
    {Frame::Boot, BOOT_READBACK_BEGIN, "BOOT_READBACK_BEGIN", 1, 500, 0},
    {Frame::Boot, BOOT_RESTART, "BOOT_RESTART", 1, 500, 0},
    {Frame::Boot, BOOT_FINISH, "BOOT_FINISH", 1, 500, 1},
    {Frame::Boot, BOOT_START, "BOOT_START", 1, 500, 1},
    {Frame::OtpShort, OTP_METHOD, "OTP_METHOD", 9, 100, 0},
    {Frame::OtpShort, OTP_READ, "OTP_READ", 4, 100, 45},
    {Frame::OtpShort, OTP_STATUS, "OTP_STATUS", 0, 100, 45},
    {Frame::OtpShort, OTP_LOCK, "OTP_LOCK", 0, 100, 45},
    {Frame::OtpShort, OTP_ENTER, "OTP_ENTER", 0, 100, 45},
    {Frame::OtpShort, OTP_EXIT, "OTP_EXIT", 0, 100, 45},
    {Frame::OtpLong, OTP_WRITE, "OTP_WRITE", 0, 2000, 0},
}};

constexpr const CommandInfo* FindCommand(Frame frame, std::uint8_t code) {
  for (const CommandInfo& c : kCommandTable) {
    if (c.frame == frame && c.code == code) return &c;
  }
  return nullptr;
}

}  // namespace tarnwick::protocol
