// The link, frames and streams driving the virtual box: the same code that
// drives libusb, so these are the exchanges the operations will make.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "core/device/streams.h"
#include "link_fixture.h"
#include "resources/ids.h"
#include "sim/virtual_box.h"

namespace tarnwick {
namespace {

using namespace protocol;
using test::Itext;
using test::LinkFixture;
using Bytes = std::vector<std::uint8_t>;

std::unique_ptr<sim::VirtualBox> MakeBox(const sim::BoxDescription& d) {
  std::string error;
  auto box = sim::VirtualBox::Create(d, error);
  EXPECT_TRUE(box) << error;
  return box;
}

// The parameters a parameter build gives the default EN25Q64: SPI class 0,
// subcode 00, page 256 (code 8), sector 4K (code 2), 8 MiB.
void SpiFlashParameters(CommandFrame& f) {
  f.bytes = {0xA5, 0x00, 0x00, 0x00, 0x08, 0x02, 0x00, 0x80, 0x00, 0x00,
             0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x5A};
}

Bytes Pattern(std::size_t n) {
  Bytes b(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(i * 13 + 5);
  return b;
}

using Tweak = void (*)(sim::BoxDescription&);

struct VirtualBoxLinkTest : ::testing::Test {
  explicit VirtualBoxLinkTest(Tweak tweak = nullptr) : box(MakeBox(Describe(tweak))), f(*box) {
    SpiFlashParameters(f.frame);
    box->SetDeviceChangeHandler([this] { f.deviceChanged = true; });
  }
  sim::BoxDescription Describe(Tweak tweak) const {
    sim::BoxDescription d = sim::DefaultBoxDescription(content.base());
    if (tweak) tweak(d);
    return d;
  }

  int ReadByte(int timeoutMs = 100) {
    std::uint8_t b = 0;
    const int n = f.link.ReadAnswer(&b, 1, timeoutMs);
    return n == 1 ? b : -1;
  }

  test::TempDir content;
  std::unique_ptr<sim::VirtualBox> box;
  LinkFixture f;
};

TEST_F(VirtualBoxLinkTest, OpeningThrowsAwayAnswersOfTheEarlierConnection) {
  ASSERT_EQ(f.link.CheckLink(false), kLinkUsable);
  ASSERT_TRUE(f.link.IsOpen());
  // An identification answer nobody read.
  ASSERT_TRUE(f.channel.SendCommand(CMD_READ_ID, 5000));
  ASSERT_TRUE(f.link.ReopenLink(false));
  ASSERT_TRUE(f.channel.SendCommand(CMD_FW_VERSION, 100));
  EXPECT_EQ(ReadByte(), 0x23);  // not the first ID byte
  EXPECT_TRUE(f.surface.StatusLines().empty());
}

TEST_F(VirtualBoxLinkTest, CheckLinkFollowsUnplugAndReplug) {
  ASSERT_EQ(f.link.CheckLink(false), kLinkUsable);
  box->Unplug();
  EXPECT_TRUE(f.deviceChanged);
  // The link is not closed by the unplug; its transfers just fail.
  EXPECT_TRUE(f.link.IsOpen());
  EXPECT_FALSE(f.channel.SendCommand(CMD_IDLE, 100));

  EXPECT_EQ(f.link.CheckLink(true), kLinkUnusable);
  EXPECT_EQ(f.surface.LastStatus(), Itext(34));
  EXPECT_EQ(f.BoxesWith(Itext(34)), 1);
  EXPECT_FALSE(f.surface.Enabled(ids::kChipFill));

  box->Plug();
  EXPECT_EQ(f.link.CheckLink(true), kLinkUsable);
  EXPECT_TRUE(f.link.IsOpen());
  ASSERT_TRUE(f.channel.SendCommand(CMD_FW_VERSION, 100));
  EXPECT_EQ(ReadByte(), 0x23);
}

TEST_F(VirtualBoxLinkTest, RefusalFlagKeepsAFailedOpenQuiet) {
  box->Unplug();
  f.refusal = true;
  EXPECT_FALSE(f.link.ConfigureAndClaim(f.link.OpenDevice(kVendorId, kProductId), 1, 0));
  EXPECT_TRUE(f.surface.StatusLines().empty());
  f.refusal = false;
  EXPECT_FALSE(f.link.ConfigureAndClaim(f.link.OpenDevice(kVendorId, kProductId), 1, 0));
  EXPECT_EQ(f.StatusCount(Itext(34)), 1);
}

TEST_F(VirtualBoxLinkTest, ProgramThenVerifyAgainstTheChip) {
  ASSERT_TRUE(f.link.ReopenLink(false));
  ASSERT_TRUE(f.channel.SendCommand(CMD_ERASE, 1000));
  EXPECT_EQ(ReadByte(1000), kEraseDone);

  const Bytes image = Pattern(10000);
  MemorySource source(image);
  ASSERT_TRUE(f.channel.SendCommand(CMD_PROGRAM, 5000));
  ProgramStreamOptions o;
  o.length = image.size();
  o.sourceSize = image.size();
  StreamResult r = RunProgramStream(f.link, source, o);
  ASSERT_TRUE(r.ok());
  ASSERT_TRUE(f.channel.SendCommandWithNumber(CMD_PROGRAM_END, 1000, r.bytes));
  EXPECT_EQ(ReadByte(6000), kProgramEndDone);
  EXPECT_EQ(box->ReadContent(0, image.size()), image);

  // 12 KiB come back in two reads: 8192, then the remaining 4096.
  ASSERT_TRUE(f.channel.SendCommandWithNumber(CMD_VERIFY, 5000, 12 * 1024));
  Bytes got;
  std::vector<std::size_t> pieces;
  ReadStreamOptions ro;
  ro.total = 12 * 1024;
  ro.onData = [&](std::uint64_t, const std::uint8_t* d, std::size_t n) {
    pieces.push_back(n);
    got.insert(got.end(), d, d + n);
    return true;
  };
  ASSERT_TRUE(RunReadStream(f.link, ro).ok());
  EXPECT_EQ(pieces, (std::vector<std::size_t>{8192, 4096}));
  Bytes want = image;
  want.resize(12 * 1024, 0xFF);
  EXPECT_EQ(got, want);
  for (const std::string& e : box->EventLog()) EXPECT_EQ(e.find("counts"), std::string::npos) << e;
}

struct PartialBoxTest : VirtualBoxLinkTest {
  static void Partial(sim::BoxDescription& d) {
    auto& partial = d.faults.scripted.emplace_back();  // every bulk write takes 3000
    partial.kind = sim::FaultKind::PartialWrite;
    partial.amount = 3000;
  }
  PartialBoxTest() : VirtualBoxLinkTest(&Partial) {}
};

TEST_F(PartialBoxTest, ProgramStreamResumesWhereTheBoxStoppedTaking) {
  ASSERT_TRUE(f.link.ReopenLink(false));
  ASSERT_TRUE(f.channel.SendCommand(CMD_ERASE, 1000));
  ASSERT_EQ(ReadByte(1000), kEraseDone);
  const Bytes image = Pattern(9000);
  MemorySource source(image);
  ASSERT_TRUE(f.channel.SendCommand(CMD_PROGRAM, 5000));
  std::vector<std::uint64_t> progress;
  ProgramStreamOptions o;
  o.length = image.size();
  o.sourceSize = image.size();
  o.onBlock = [&](std::uint64_t sent) { progress.push_back(sent); };
  const StreamResult r = RunProgramStream(f.link, source, o);
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(progress, (std::vector<std::uint64_t>{3000, 6000, 9000}));
  ASSERT_TRUE(f.channel.SendCommandWithNumber(CMD_PROGRAM_END, 1000, r.bytes));
  EXPECT_EQ(ReadByte(6000), kProgramEndDone);
  EXPECT_EQ(box->ReadContent(0, image.size()), image);
}

TEST_F(VirtualBoxLinkTest, SectorRoundTripChangesOnlyTheMergedBytes) {
  ASSERT_TRUE(f.link.ReopenLink(false));
  const Bytes before = box->ReadContent(0x1000, 4096);
  const Bytes neighbours = box->ReadContent(0x0F00, 0x1300);
  Bytes sector;
  StreamResult r =
      ReadSector(f.channel, 0x1000, 4096, [&](std::uint64_t, const std::uint8_t* d, std::size_t n) {
        sector.insert(sector.end(), d, d + n);
        return true;
      });
  ASSERT_TRUE(r.ok());
  ASSERT_EQ(sector, before);
  for (std::size_t i = 0x10; i < 0x20; ++i) sector[i] = 0x5C;
  MemorySource merged(sector);
  ASSERT_TRUE(WriteSector(f.channel, merged, sector.size()).ok());
  EXPECT_EQ(box->ReadContent(0x1000, 4096), sector);
  Bytes want = neighbours;
  std::copy(sector.begin(), sector.end(), want.begin() + 0x100);
  EXPECT_EQ(box->ReadContent(0x0F00, 0x1300), want);
}

struct BootBoxTest : VirtualBoxLinkTest {
  static void Boot(sim::BoxDescription& d) { d.bootLoader = true; }
  BootBoxTest() : VirtualBoxLinkTest(&Boot) {}
};

TEST_F(BootBoxTest, FirmwareImageGoesInPiecesAndReadsBack) {
  ASSERT_TRUE(f.link.ReopenLink(false));
  ASSERT_TRUE(f.channel.SendBootCommand(BOOT_START, 500, 0));
  ASSERT_EQ(ReadByte(1000), kBootStartReady);
  ASSERT_TRUE(f.channel.SendBootCommand(BOOT_ERASE_BLOCK, 500, 0));
  ASSERT_GE(ReadByte(1000), 0);
  ASSERT_TRUE(f.channel.SendBootCommand(BOOT_WRITE_BEGIN, 500, 0));
  const Bytes image = Pattern(200);
  MemorySource source(image);
  const StreamResult r = RunFirmwareStream(f.link, source, nullptr, nullptr);
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(box->BytesTaken(), 200u);
  ASSERT_TRUE(f.channel.SendBootCommand(BOOT_WRITE_END, 500, 0));
  ASSERT_TRUE(f.channel.SendBootCommand(BOOT_READBACK_BEGIN, 500, 0));
  ASSERT_TRUE(f.channel.SendBootCommand(BOOT_READ_BLOCK, 500, 0));
  Bytes block(1024);
  ASSERT_EQ(f.link.ReadAnswer(block.data(), 1024, 1000), 1024);
  EXPECT_EQ(Bytes(block.begin(), block.begin() + 200), image);
}

}  // namespace
}  // namespace tarnwick
