// While a job streams the file image to the chip, nothing replaces the
// image under it: offset programming is greyed, and its OK (a dialog opened
// before the job) is refused.
#include <atomic>

#include "core/app/text_ids.h"
#include "core/buffers/offset_load.h"
#include "core/operations/operation_rig.h"

namespace tarnwick::test {
namespace {

class ImageReplaceGuard : public ChipRigTest {
 protected:
  void BootW25Q16() {
    Boot(BoxWith(Flash(0xEF4015, 2u << 20, dir.file("chip.bin"))), true);
    Choose("25 SPI FLASH", "WINBOND", "W25Q16BV");
  }
};

TEST_F(ImageReplaceGuard, OffsetProgrammingWaitsWhileProgramStreamsTheImage) {
  BootW25Q16();
  const Bytes image = Pattern(64 * 1024, 5);
  LoadFile("image.bin", image);
  dir.Write("other.bin", Pattern(64 * 1024, 9));
  std::atomic<bool> offsetGreyed{false};
  std::atomic<bool> offsetRefused{false};
  tap->SetAfterWrite([&](int, std::uint64_t taken) {
    if (taken != 4096) return;
    offsetGreyed = !surface.Enabled(ids::kOffsetProgramming);
    // The OK of an offset dialog that was open before the job started.
    offsetRefused = buffers::OffsetLoad(rig->image, rig->services, dir.file("other.bin"), 0) ==
                    buffers::OffsetLoadResult::KeepDialog;
  });
  Press(ids::kProgramButton);
  EXPECT_TRUE(offsetGreyed.load());
  EXPECT_TRUE(offsetRefused.load());
  EXPECT_EQ(surface.Boxes().back().text, I(itext::kNoLoadWhileBusy));
  // The chip holds the image the job started with, and it is still loaded.
  EXPECT_EQ(Chip(0, image.size()), image);
  EXPECT_EQ(rig->image.currentPath(), dir.file("image.bin"));
  EXPECT_EQ(box->LampHistory().back(), protocol::kLampSucceeded);
  EXPECT_TRUE(surface.Enabled(ids::kOffsetProgramming));
}

}  // namespace
}  // namespace tarnwick::test
