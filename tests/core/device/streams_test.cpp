// The data streams against a scripted bus: partial takes re-read the source,
// 0xFF beyond the source, cancel and stall; read blocks and their errors; the
// chip-fill sector exchange; firmware pieces; drains.
#include "core/device/streams.h"

#include <gtest/gtest.h>

#include <numeric>

#include "link_fixture.h"
#include "scripted_usb.h"

namespace tarnwick {
namespace {

using namespace protocol;
using test::LinkFixture;
using test::ScriptedUsb;
using Bytes = std::vector<std::uint8_t>;

Bytes Pattern(std::size_t n) {
  Bytes b(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
  return b;
}

struct StreamsTest : ::testing::Test {
  StreamsTest() {
    usb.AddBox();
    EXPECT_TRUE(f.link.ReopenLink(false));
    usb.reads.clear();
  }
  // Everything the box took, in order.
  Bytes Taken() const {
    Bytes out;
    for (const auto& w : usb.bulkWrites) {
      if (w.result > 0) out.insert(out.end(), w.data.begin(), w.data.begin() + w.result);
    }
    return out;
  }

  ScriptedUsb usb;
  LinkFixture f{usb};
};

TEST_F(StreamsTest, ProgramStreamResendsWhatTheBoxDidNotTake) {
  const Bytes image = Pattern(10000);
  MemorySource source(image);
  usb.bulkWriteLimit = 3000;
  std::vector<std::uint64_t> progress;
  ProgramStreamOptions o;
  o.length = image.size();
  o.sourceSize = image.size();
  o.onBlock = [&](std::uint64_t sent) { progress.push_back(sent); };
  const StreamResult r = RunProgramStream(f.link, source, o);
  EXPECT_TRUE(r.ok());
  EXPECT_EQ(r.bytes, 10000u);
  EXPECT_EQ(Taken(), image);
  ASSERT_GE(usb.bulkWrites.size(), 2u);
  EXPECT_EQ(usb.bulkWrites[0].data.size(), 4096u);
  EXPECT_EQ(usb.bulkWrites[0].endpoint, 1);
  EXPECT_EQ(usb.bulkWrites[0].timeoutMs, 60000);
  // The second block starts 3000 bytes further on, not 4096.
  EXPECT_EQ(usb.bulkWrites[1].data[0], image[3000]);
  EXPECT_EQ(progress, (std::vector<std::uint64_t>{3000, 6000, 9000, 10000}));
}

TEST_F(StreamsTest, ProgramStreamFillsBeyondTheSourceWithFF) {
  const Bytes image = Pattern(5000);
  MemorySource source(image);
  ProgramStreamOptions o;
  o.length = 16384;  // an EEPROM larger than the file
  o.sourceSize = image.size();
  const StreamResult r = RunProgramStream(f.link, source, o);
  EXPECT_TRUE(r.ok());
  ASSERT_EQ(usb.bulkWrites.size(), 5u);
  // 4096 from the file, the file's last 904, then whole 0xFF blocks.
  EXPECT_EQ(usb.bulkWrites[1].data.size(), 904u);
  EXPECT_EQ(usb.bulkWrites[2].data.size(), 4096u);
  EXPECT_EQ(usb.bulkWrites[4].data.size(), 16384u - 5000 - 2 * 4096);
  Bytes want = image;
  want.resize(16384, 0xFF);
  EXPECT_EQ(Taken(), want);

  // The last 0xFF block partly taken: the rest is sent as 0xFF again.
  usb.bulkWrites.clear();
  MemorySource again(image);
  usb.bulkWriteResults = {4096, 904, 100};
  o.length = 6000;
  EXPECT_TRUE(RunProgramStream(f.link, again, o).ok());
  want.resize(6000);
  EXPECT_EQ(Taken(), want);
}

TEST_F(StreamsTest, ProgramStreamStopsOnErrorCancelAndStall) {
  const Bytes image = Pattern(20000);
  ProgramStreamOptions o;
  o.length = image.size();
  o.sourceSize = image.size();

  MemorySource a(image);
  usb.bulkWriteResults = {4096, -110};
  StreamResult r = RunProgramStream(f.link, a, o);
  EXPECT_EQ(r.status, StreamStatus::UsbError);
  EXPECT_EQ(r.usbResult, -110);
  EXPECT_EQ(r.bytes, 4096u);
  EXPECT_EQ(usb.bulkWrites.size(), 2u);

  // Cancel is tested after each block.
  usb.bulkWrites.clear();
  MemorySource b(image);
  int blocks = 0;
  o.cancelled = [&] { return ++blocks == 2; };
  r = RunProgramStream(f.link, b, o);
  EXPECT_EQ(r.status, StreamStatus::Cancelled);
  EXPECT_EQ(r.bytes, 8192u);
  EXPECT_EQ(usb.bulkWrites.size(), 2u);

  // A box that takes nothing would be fed the same block for ever.
  usb.bulkWrites.clear();
  MemorySource c(image);
  o.cancelled = nullptr;
  usb.bulkWriteResults = {0};
  r = RunProgramStream(f.link, c, o);
  EXPECT_EQ(r.status, StreamStatus::Stalled);
  EXPECT_EQ(usb.bulkWrites.size(), 1u);

  // Nothing to send sends nothing.
  usb.bulkWrites.clear();
  o.length = 0;
  EXPECT_TRUE(RunProgramStream(f.link, c, o).ok());
  EXPECT_TRUE(usb.bulkWrites.empty());
}

TEST_F(StreamsTest, ReadStreamAsksForAtMostABlockAndStopsOnAnEmptyRead) {
  const Bytes chip = Pattern(12 * 1024);
  usb.Answer(Bytes(chip.begin(), chip.begin() + 8192));
  usb.Answer(Bytes(chip.begin() + 8192, chip.end()));
  Bytes got;
  ReadStreamOptions o;
  o.total = chip.size();
  o.onData = [&](std::uint64_t offset, const std::uint8_t* d, std::size_t n) {
    EXPECT_EQ(offset, got.size());
    got.insert(got.end(), d, d + n);
    return true;
  };
  StreamResult r = RunReadStream(f.link, o);
  EXPECT_TRUE(r.ok());
  EXPECT_EQ(got, chip);
  ASSERT_EQ(usb.reads.size(), 2u);
  EXPECT_EQ(usb.reads[0].size, 8192);
  EXPECT_EQ(usb.reads[0].timeoutMs, 5000);
  EXPECT_EQ(usb.reads[0].endpoint, 0x83);

  // A 256-byte chip is one request of 256; short reads are continued.
  usb.reads.clear();
  got.clear();
  usb.Answer(Bytes(100, 1));
  usb.Answer(Bytes(156, 2));
  o.total = 256;
  EXPECT_TRUE(RunReadStream(f.link, o).ok());
  EXPECT_EQ(usb.reads[0].size, 256);
  EXPECT_EQ(usb.reads[1].size, 156);

  // The box goes quiet: the stream ends as an error with what arrived.
  got.clear();
  usb.Answer(Bytes(8192, 3));
  o.total = 3 * 8192;
  r = RunReadStream(f.link, o);
  EXPECT_EQ(r.status, StreamStatus::UsbError);
  EXPECT_EQ(r.bytes, 8192u);
  EXPECT_EQ(r.usbResult, ScriptedUsb::kTimeout);
  EXPECT_EQ(got.size(), 8192u);
  // A read of 0 bytes is an error too.
  usb.Answer({});
  EXPECT_EQ(RunReadStream(f.link, o).usbResult, 0);

  // The receiver or the cancel check can stop it.
  usb.answers.clear();
  usb.Answer(Bytes(8192, 3));
  o.onData = [](std::uint64_t, const std::uint8_t*, std::size_t) { return false; };
  EXPECT_EQ(RunReadStream(f.link, o).status, StreamStatus::SinkError);
  o.cancelled = [] { return true; };
  EXPECT_EQ(RunReadStream(f.link, o).status, StreamStatus::Cancelled);
}

TEST_F(StreamsTest, SectorIsReadInPiecesThenWrittenBackAndEnded) {
  const Bytes sector = Pattern(4096);
  for (std::size_t at = 0; at < sector.size(); at += 1024) {
    usb.Answer(Bytes(sector.begin() + at, sector.begin() + at + 1024));
  }
  usb.Answer({1});  // ready
  Bytes got;
  StreamResult r = ReadSector(f.channel, 0x1000, sector.size(),
                              [&](std::uint64_t, const std::uint8_t* d, std::size_t n) {
                                got.insert(got.end(), d, d + n);
                                return true;
                              });
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(got, sector);
  ASSERT_EQ(usb.interruptWrites.size(), 1u);
  EXPECT_EQ(usb.interruptWrites[0].data[1] & kCommandMask, CMD_SECTOR_READ);
  EXPECT_EQ(usb.interruptWrites[0].timeoutMs, 5000);
  EXPECT_EQ(
      Bytes(usb.interruptWrites[0].data.begin() + 13, usb.interruptWrites[0].data.begin() + 17),
      (Bytes{0, 0, 0x10, 0}));
  ASSERT_EQ(usb.reads.size(), 5u);
  EXPECT_EQ(usb.reads[0].size, 1024);
  EXPECT_EQ(usb.reads[0].timeoutMs, 5000);
  EXPECT_EQ(usb.reads[4].size, 1);
  EXPECT_EQ(usb.reads[4].timeoutMs, 50000);

  // Written back (a partial take is completed), then CMD_PROGRAM_END with the
  // address still in the payload, then one answer byte with 60000 ms.
  got[0x10] = 0xAB;
  MemorySource merged(got);
  usb.bulkWriteResults = {2000};
  usb.Answer({2});
  r = WriteSector(f.channel, merged, got.size());
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(Taken(), got);
  ASSERT_EQ(usb.interruptWrites.size(), 2u);
  const auto& end = usb.interruptWrites[1];
  EXPECT_EQ(end.data[1] & kCommandMask, CMD_PROGRAM_END);
  EXPECT_EQ(end.timeoutMs, 5000);
  EXPECT_EQ(Bytes(end.data.begin() + 13, end.data.begin() + 17), (Bytes{0, 0, 0x10, 0}));
  EXPECT_EQ(usb.reads.back().timeoutMs, 60000);
  EXPECT_EQ(usb.reads.back().size, 1);
}

TEST_F(StreamsTest, SectorFailuresAreUsbErrors) {
  // A piece that fails ends the read at once; no 50-second ready wait.
  usb.Answer(Bytes(1024, 0));
  StreamResult r = ReadSector(f.channel, 0, 4096, nullptr);
  EXPECT_EQ(r.status, StreamStatus::UsbError);
  EXPECT_EQ(r.bytes, 1024u);
  EXPECT_EQ(usb.reads.size(), 2u);

  // All pieces but no ready byte.
  usb.Answer(Bytes(256, 0));
  r = ReadSector(f.channel, 0, 256, nullptr);
  EXPECT_EQ(r.status, StreamStatus::UsbError);
  EXPECT_EQ(r.bytes, 256u);

  // Send failure.
  usb.writesFail = true;
  EXPECT_EQ(ReadSector(f.channel, 0, 256, nullptr).status, StreamStatus::UsbError);
  const Bytes sector(256, 0);
  MemorySource s(sector);
  EXPECT_EQ(WriteSector(f.channel, s, sector.size()).status, StreamStatus::UsbError);
}

TEST_F(StreamsTest, FirmwareGoesInPiecesOf64AndEndsWithAShortOne) {
  const Bytes image = Pattern(200);
  MemorySource source(image);
  std::vector<std::uint64_t> offsets;
  const PieceTransform scramble = [&](std::uint64_t offset, std::uint8_t* d, std::size_t n) {
    offsets.push_back(offset);
    for (std::size_t i = 0; i < n; ++i) d[i] ^= static_cast<std::uint8_t>(offset + i);
  };
  StreamResult r = RunFirmwareStream(f.link, source, scramble, nullptr);
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r.bytes, 200u);
  ASSERT_EQ(usb.bulkWrites.size(), 4u);
  EXPECT_EQ(usb.bulkWrites[3].data.size(), 8u);
  EXPECT_EQ(usb.bulkWrites[0].timeoutMs, 2000);
  EXPECT_EQ(offsets, (std::vector<std::uint64_t>{0, 64, 128, 192}));
  Bytes sent = Taken();
  for (std::size_t i = 0; i < sent.size(); ++i) sent[i] ^= static_cast<std::uint8_t>(i);
  EXPECT_EQ(sent, image);

  // A multiple of 64 ends with an empty piece, which is still sent.
  usb.bulkWrites.clear();
  const Bytes even = Pattern(128);
  MemorySource e(even);
  std::vector<std::uint64_t> progress;
  r = RunFirmwareStream(f.link, e, nullptr, [&](std::uint64_t n) { progress.push_back(n); });
  ASSERT_TRUE(r.ok());
  ASSERT_EQ(usb.bulkWrites.size(), 3u);
  EXPECT_TRUE(usb.bulkWrites[2].data.empty());
  EXPECT_EQ(progress, (std::vector<std::uint64_t>{64, 128, 128}));

  // A failed or partly taken piece stops the stream.
  MemorySource g(even);
  usb.bulkWriteResults = {64, -110};
  EXPECT_EQ(RunFirmwareStream(f.link, g, nullptr, nullptr).status, StreamStatus::UsbError);
  MemorySource h(even);
  usb.bulkWriteResults = {30};
  EXPECT_EQ(RunFirmwareStream(f.link, h, nullptr, nullptr).status, StreamStatus::Stalled);
}

TEST_F(StreamsTest, DrainsReadUntilNothingComes) {
  usb.Answer(Bytes(64, 1));
  usb.Answer(Bytes(10, 1));
  EXPECT_EQ(DrainAnswers(f.link, 1), 74u);
  ASSERT_EQ(usb.reads.size(), 3u);
  EXPECT_EQ(usb.reads[0].size, 64);
  EXPECT_EQ(usb.reads[0].timeoutMs, 1);

  usb.reads.clear();
  usb.Answer({5});
  usb.Answer({6});
  EXPECT_EQ(DrainSingleBytes(f.link), 2u);
  ASSERT_EQ(usb.reads.size(), 3u);
  EXPECT_EQ(usb.reads[0].size, 1);
  EXPECT_EQ(usb.reads[0].timeoutMs, 10);

  // An empty read ends the drain too, as does a closed link.
  usb.Answer({});
  usb.Answer({1});
  EXPECT_EQ(DrainAnswers(f.link, 10), 0u);
  f.link.CloseLink();
  usb.answers.clear();
  EXPECT_EQ(DrainSingleBytes(f.link), 0u);
}

}  // namespace
}  // namespace tarnwick
