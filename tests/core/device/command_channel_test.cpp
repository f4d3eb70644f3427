// Frames on the wire: every family goes to endpoint 2 with its own length,
// the command frame keeps its memory between sends, and the OTP answer read
// takes exactly one 45-byte answer.
#include "core/device/command_channel.h"

#include <gtest/gtest.h>

#include "link_fixture.h"
#include "scripted_usb.h"

namespace tarnwick {
namespace {

using namespace protocol;
using test::LinkFixture;
using test::ScriptedUsb;
using Bytes = std::vector<std::uint8_t>;

struct CommandChannelTest : ::testing::Test {
  CommandChannelTest() {
    usb.AddBox();
    EXPECT_TRUE(f.link.ReopenLink(false));
    f.frame.bytes[1] = 0x80;  // a 5-volt chip
    f.frame.bytes[6] = 0x00;
    f.frame.bytes[7] = 0x01;  // 64 KiB
  }
  const test::WriteCall& Last() const { return usb.interruptWrites.back(); }

  ScriptedUsb usb;
  LinkFixture f{usb};
};

TEST_F(CommandChannelTest, CommandFramesCarryParametersAndPayloadMemory) {
  ASSERT_TRUE(f.channel.SendCommandWithNumber(CMD_VERIFY, 5000, 0x10000));
  EXPECT_EQ(Last().endpoint, 2);
  EXPECT_EQ(Last().timeoutMs, 5000);
  ASSERT_EQ(Last().data.size(), 20u);
  EXPECT_EQ(Last().data[1], 0x80 | CMD_VERIFY);
  EXPECT_EQ(Last().data[7], 0x01);
  EXPECT_EQ(Bytes(Last().data.begin() + 13, Last().data.begin() + 17), (Bytes{0, 1, 0, 0}));

  ASSERT_TRUE(f.channel.SendCommand(CMD_IDLE, 0));
  EXPECT_EQ(Last().timeoutMs, 500);
  EXPECT_EQ(Last().data[1], 0x80 | CMD_IDLE);
  EXPECT_EQ(Bytes(Last().data.begin() + 13, Last().data.begin() + 17), (Bytes{0, 1, 0, 0}));
  EXPECT_EQ(f.frame.code(), CMD_IDLE);

  usb.writesFail = true;
  EXPECT_FALSE(f.channel.SendCommand(CMD_IDLE, 1000));
}

TEST_F(CommandChannelTest, BootAndOtpFramesHaveTheirLengths) {
  ASSERT_TRUE(f.channel.SendBootCommand(BOOT_FINISH, 0, 0x42));
  EXPECT_EQ(Last().data, (Bytes{0xA5, 12, 0x42, 0x5A}));
  EXPECT_EQ(Last().timeoutMs, 500);

  const auto p = OtpReadPayload(0, 16);
  ASSERT_TRUE(f.channel.SendOtpShort(OTP_READ, p.data(), p.size(), 100));
  EXPECT_EQ(Last().data.size(), 16u);
  EXPECT_EQ(Last().data[2], OTP_READ);
  EXPECT_EQ(Last().data[5], 16);

  const Bytes data{1, 2};
  const OtpWritePayload w = MakeOtpWritePayload(4, data.data(), data.size());
  ASSERT_TRUE(f.channel.SendOtpLong(OTP_WRITE, w.bytes.data(), w.size, 2000));
  EXPECT_EQ(Last().data.size(), 45u);
  EXPECT_EQ(Bytes(Last().data.begin() + 3, Last().data.begin() + 10), (Bytes{4, 0, 2, 0, 1, 2, 0}));
  // The command frame was not touched by the other families.
  EXPECT_EQ(f.frame.bytes[1], 0x80);
}

TEST_F(CommandChannelTest, OtpAnswerIsOneReadOfFortyFiveBytes) {
  Bytes answer(45, 0);
  answer[0] = 0xA5;
  answer[1] = 0x03;
  answer[2] = kOtpStatusLock;
  answer[3] = 1;
  answer[44] = 0x5A;
  usb.Answer(answer);
  OtpAnswer a;
  EXPECT_TRUE(f.channel.ReadOtpAnswer(a, kOtpStatusLock, 500));
  EXPECT_EQ(a.count, 45);
  EXPECT_EQ(a.data()[0], 1);
  EXPECT_EQ(usb.reads.back().size, 45);
  EXPECT_EQ(usb.reads.back().endpoint, 0x83);
  EXPECT_EQ(usb.reads.back().timeoutMs, 500);

  answer.pop_back();  // 44 bytes
  usb.Answer(answer);
  EXPECT_FALSE(f.channel.ReadOtpAnswer(a, kOtpStatusLock, 0));
  EXPECT_EQ(a.count, 44);
  EXPECT_FALSE(f.channel.ReadOtpAnswer(a, kOtpStatusLock, 0));  // nothing comes
  EXPECT_LT(a.count, 0);
}

}  // namespace
}  // namespace tarnwick
