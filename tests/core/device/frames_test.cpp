// Frame encoding byte for byte: the command frame's command bits and payload
// memory, the boot frame, the OTP frames and the OTP answer acceptance.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "core/device/byte_order.h"
#include "core/device/command_frame.h"
#include "core/device/otp_frames.h"

namespace tarnwick {
namespace {

using namespace protocol;
using Bytes = std::vector<std::uint8_t>;

Bytes PayloadOf(const CommandFrame& f) { return Bytes(f.payload(), f.payload() + 6); }

// A frame as a parameter build leaves it: 5-volt and word flags set, class,
// capacity 8 MiB, addresses, markers.
CommandFrame BuiltFrame() {
  CommandFrame f;
  f.bytes = {0xA5, 0xC0, 0x83, 0x01, 0x08, 0x02, 0x00, 0x80, 0x00, 0x00,
             0xA0, 0x00, 0x10, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x5A};
  return f;
}

TEST(CommandFrameTest, SendingChangesOnlyTheCommandBitsAndThePayload) {
  CommandFrame f = BuiltFrame();
  const CommandFrame before = f;
  SetFrameCommand(f, CMD_READ, nullptr, 0);
  EXPECT_EQ(f.bytes[1], 0xC0 | CMD_READ);  // bits 6 and 7 survive
  EXPECT_EQ(f.code(), CMD_READ);
  for (std::size_t i = 0; i < f.bytes.size(); ++i) {
    if (i != kFrameCommand) {
      EXPECT_EQ(f.bytes[i], before.bytes[i]) << "byte " << i;
    }
  }
  // A code wider than six bits cannot reach the flags.
  SetFrameCommand(f, 0xFF, nullptr, 0);
  EXPECT_EQ(f.bytes[1], 0xFF);
  f.bytes[1] = 0x00;
  SetFrameCommand(f, 0xC0 | CMD_IDLE, nullptr, 0);
  EXPECT_EQ(f.bytes[1], CMD_IDLE);
}

TEST(CommandFrameTest, PayloadIsCopiedAndNeverCleared) {
  CommandFrame f = BuiltFrame();
  // CMD_PROGRAM_END after 0x12345 bytes.
  const auto count = BigEndianPayload(0x12345);
  SetFrameCommand(f, CMD_PROGRAM_END, count.data(), count.size());
  EXPECT_EQ(PayloadOf(f), (Bytes{0x00, 0x01, 0x23, 0x45, 0x55, 0x66}));

  // The chip size rides with CMD_VERIFY and stays for the next command.
  const auto size = BigEndianPayload(8u << 20);
  SetFrameCommand(f, CMD_VERIFY, size.data(), size.size());
  SetFrameCommand(f, CMD_IDLE, nullptr, 0);
  EXPECT_EQ(f.code(), CMD_IDLE);
  EXPECT_EQ(PayloadOf(f), (Bytes{0x00, 0x80, 0x00, 0x00, 0x55, 0x66}));

  // A one-byte payload (the lamp) overwrites only byte 13.
  const std::uint8_t lamp = kLampSucceeded;
  SetFrameCommand(f, CMD_STATUS_LAMP, &lamp, 1);
  EXPECT_EQ(PayloadOf(f), (Bytes{0x03, 0x80, 0x00, 0x00, 0x55, 0x66}));

  // A given payload of length 0 changes nothing either.
  SetFrameCommand(f, CMD_SETUP, count.data(), 0);
  EXPECT_EQ(PayloadOf(f), (Bytes{0x03, 0x80, 0x00, 0x00, 0x55, 0x66}));
}

TEST(CommandFrameTest, OverlongPayloadStopsBeforeTheEndMarker) {
  CommandFrame f = BuiltFrame();
  const std::array<std::uint8_t, 9> big{1, 2, 3, 4, 5, 6, 7, 8, 9};
  SetFrameCommand(f, CMD_QE_CONFIG, big.data(), big.size());
  EXPECT_EQ(PayloadOf(f), (Bytes{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(f.bytes[kFrameEnd], kEndMarker);
}

TEST(BootFrameTest, FourBytesWithMarkers) {
  EXPECT_EQ(MakeBootFrame(BOOT_ERASE_BLOCK, 7), (BootFrame{0xA5, 0x02, 0x07, 0x5A}));
  EXPECT_EQ(MakeBootFrame(BOOT_HELLO, 0), (BootFrame{0xA5, 0x08, 0x00, 0x5A}));
}

TEST(OtpFrameTest, ShortFramePadsWithZerosAndCutsAtItsRoom) {
  const auto read = OtpReadPayload(0x0123, 32);
  EXPECT_EQ(read, (std::array<std::uint8_t, 4>{0x23, 0x01, 0x20, 0x00}));  // LSB first
  const OtpShortFrame f = MakeOtpShortFrame(OTP_READ, read.data(), read.size());
  const OtpShortFrame want{0xA5, 0x01, 0x02, 0x23, 0x01, 0x20, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0x5A};
  EXPECT_EQ(f, want);

  EXPECT_EQ(MakeOtpShortFrame(OTP_STATUS, nullptr, 0),
            (OtpShortFrame{0xA5, 0x01, 0x03, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x5A}));

  std::vector<std::uint8_t> many(300, 0xEE);
  // 260 modulo 256 is 4: only four bytes are taken.
  OtpShortFrame m = MakeOtpShortFrame(OTP_METHOD, many.data(), 260);
  EXPECT_EQ(m[3], 0xEE);
  EXPECT_EQ(m[6], 0xEE);
  EXPECT_EQ(m[7], 0x00);
  // 20 bytes do not fit in twelve: the end marker stays.
  m = MakeOtpShortFrame(OTP_METHOD, many.data(), 20);
  EXPECT_EQ(m[14], 0xEE);
  EXPECT_EQ(m[15], 0x5A);
}

TEST(OtpFrameTest, LongFrameCarriesTheWritePayload) {
  std::vector<std::uint8_t> data(32);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(0x80 + i);
  const OtpWritePayload p = MakeOtpWritePayload(0x0210, data.data(), data.size());
  ASSERT_EQ(p.size, 36u);
  const OtpLongFrame f = MakeOtpLongFrame(OTP_WRITE, p.bytes.data(), p.size);
  EXPECT_EQ(f[0], 0xA5);
  EXPECT_EQ(f[1], 0x02);
  EXPECT_EQ(f[2], 37);
  EXPECT_EQ(f[3], 0x10);
  EXPECT_EQ(f[4], 0x02);
  EXPECT_EQ(f[5], 32);
  EXPECT_EQ(f[6], 0);
  EXPECT_EQ(f[7], 0x80);
  EXPECT_EQ(f[38], 0x9F);
  for (std::size_t i = 39; i < 44; ++i) EXPECT_EQ(f[i], 0) << i;
  EXPECT_EQ(f[44], 0x5A);

  // More than 32 data bytes are not accepted into the payload.
  std::vector<std::uint8_t> tooMuch(40, 1);
  const OtpWritePayload q = MakeOtpWritePayload(0, tooMuch.data(), tooMuch.size());
  EXPECT_EQ(q.size, 36u);
  EXPECT_EQ(q.bytes[2], 32);
}

TEST(OtpAnswerTest, AcceptedOnlyWithExactLengthMarkersAndStatus) {
  OtpAnswer a;
  a.bytes.fill(0x11);
  a.bytes[0] = 0xA5;
  a.bytes[1] = 0x03;
  a.bytes[2] = kOtpStatusData;
  a.bytes[44] = 0x5A;
  a.count = 45;
  EXPECT_TRUE(AcceptOtpAnswer(a, kOtpStatusData));
  EXPECT_EQ(a.data()[0], 0x11);
  EXPECT_FALSE(AcceptOtpAnswer(a, kOtpStatusDone));  // another command's status

  OtpAnswer shortRead = a;
  shortRead.count = 44;
  EXPECT_FALSE(AcceptOtpAnswer(shortRead, kOtpStatusData));
  OtpAnswer error = a;
  error.count = -110;
  EXPECT_FALSE(AcceptOtpAnswer(error, kOtpStatusData));

  for (std::size_t at : {std::size_t{0}, std::size_t{1}, std::size_t{44}}) {
    OtpAnswer bad = a;
    bad.bytes[at] ^= 0xFF;
    EXPECT_FALSE(AcceptOtpAnswer(bad, kOtpStatusData)) << "marker at " << at;
  }
}

TEST(ByteOrderTest, BigEndianForFramesLittleEndianForOtp) {
  std::array<std::uint8_t, 4> b{};
  PutBigEndian32(b.data(), 0x01020304);
  EXPECT_EQ(b, (std::array<std::uint8_t, 4>{1, 2, 3, 4}));
  EXPECT_EQ(GetBigEndian32(b.data()), 0x01020304u);
  EXPECT_EQ(GetBigEndian24(b.data() + 1), 0x020304u);
  PutLittleEndian16(b.data(), 0xBEEF);
  EXPECT_EQ(b[0], 0xEF);
  EXPECT_EQ(b[1], 0xBE);
  EXPECT_EQ(GetLittleEndian16(b.data()), 0xBEEF);
}

}  // namespace
}  // namespace tarnwick
