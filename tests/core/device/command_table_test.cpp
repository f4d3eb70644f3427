// The protocol's command table checked against itself: codes unique within a
// frame family, names carrying their family's prefix, fixed payloads that fit
// their frame, and the lookups the operations rely on.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

#include "protocol/protocol.h"

namespace tarnwick {
namespace {

using namespace protocol;

std::string_view Prefix(Frame f) {
  switch (f) {
    case Frame::Command:
      return "CMD_";
    case Frame::Boot:
      return "BOOT_";
    case Frame::OtpShort:
    case Frame::OtpLong:
      return "OTP_";
  }
  return "?";
}

std::size_t PayloadRoom(Frame f) {
  switch (f) {
    case Frame::Command:
      return kFramePayloadSize;
    case Frame::Boot:
      return 1;  // the value byte
    case Frame::OtpShort:
      return kOtpShortPayload;
    case Frame::OtpLong:
      return kOtpLongPayload;
  }
  return 0;
}

TEST(CommandTableTest, EveryRowIsConsistent) {
  std::set<std::pair<Frame, std::uint8_t>> codes;
  std::set<std::string_view> names;
  std::set<std::uint8_t> otpCodes;  // short and long frames share one code space
  for (const CommandInfo& c : kCommandTable) {
    SCOPED_TRACE(std::string(c.name));
    EXPECT_TRUE(codes.insert({c.frame, c.code}).second) << "code used twice in its family";
    EXPECT_TRUE(names.insert(c.name).second) << "name used twice";
    EXPECT_TRUE(c.name.starts_with(Prefix(c.frame)));
    EXPECT_LE(c.payloadBytes, PayloadRoom(c.frame));
    EXPECT_GT(c.sendTimeoutMs, 0);
    EXPECT_GE(c.answerBytes, -1);
    if (c.frame == Frame::Command) {
      EXPECT_EQ(c.code & ~kCommandMask, 0) << "needs bits 6-7";
    }
    if (c.frame == Frame::OtpShort || c.frame == Frame::OtpLong) {
      EXPECT_TRUE(otpCodes.insert(c.code).second);
      if (c.answerBytes > 0) {
        EXPECT_EQ(static_cast<std::size_t>(c.answerBytes), kOtpAnswerSize);
      }
    }
    EXPECT_EQ(FindCommand(c.frame, c.code), &c);
  }
}

TEST(CommandTableTest, StreamsAndNumbersMatchTheFrames) {
  // Commands whose 4-byte number rides in the payload.
  for (std::uint8_t code : {CMD_PROGRAM_END, CMD_VERIFY, CMD_PEEK, CMD_SECTOR_READ}) {
    const CommandInfo* c = FindCommand(Frame::Command, code);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->payloadBytes, 4) << c->name;
  }
  for (std::uint8_t code : {CMD_VERIFY, CMD_READ, CMD_SECTOR_READ}) {
    EXPECT_EQ(FindCommand(Frame::Command, code)->answerBytes, -1);
  }
  EXPECT_EQ(FindCommand(Frame::Boot, BOOT_READ_BLOCK)->answerBytes,
            static_cast<int>(kBootBlockSize));
  EXPECT_EQ(FindCommand(Frame::Command, CMD_SERIAL)->answerBytes,
            static_cast<int>(kSerialAnswerSize));
  EXPECT_EQ(FindCommand(Frame::Command, CMD_BLANK_CHECK)->answerBytes,
            static_cast<int>(kBlankAnswerSize));
  EXPECT_EQ(FindCommand(Frame::Command, 63), nullptr);
  EXPECT_EQ(FindCommand(Frame::Boot, 3), nullptr);  // families do not mix
  EXPECT_EQ(FindCommand(Frame::OtpLong, OTP_READ), nullptr);
  // Frame sizes add up: markers, tag and code around the payload.
  EXPECT_EQ(kOtpShortFrameSize, kOtpShortPayload + 4);
  EXPECT_EQ(kOtpLongFrameSize, kOtpLongPayload + 4);
  EXPECT_EQ(kFramePayload + kFramePayloadSize, kFrameEnd);
  EXPECT_EQ(kFrameEnd + 1, kCommandFrameSize);
  EXPECT_LE(kOtpMaxData + 4, kOtpLongPayload);
}

}  // namespace
}  // namespace tarnwick
