// What Save must not do: write a byte nobody typed, or silently write over
// what another program put into the source after it was loaded.
#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>

#include "buffers_fixture.h"
#include "core/app/text_ids.h"
#include "core/buffers/hex_view.h"
#include "resources/ids.h"

namespace tarnwick::buffers::test {
namespace {

class SaveGuard : public BuffersTest {
 protected:
  // Another program writes `bytes` at `offset` and leaves the file with the
  // given modification time (seconds), so the test never depends on the
  // clock's resolution.
  static void ChangeBehindOurBack(const std::string& path, long offset, const std::string& bytes,
                                  time_t mtime) {
    FILE* f = std::fopen(path.c_str(), "r+b");
    ASSERT_NE(f, nullptr);
    std::fseek(f, offset, SEEK_SET);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    SetModified(path, mtime);
  }
  static void SetModified(const std::string& path, time_t mtime) {
    const timespec times[2] = {{mtime, 0}, {mtime, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  }
  std::size_t Questions() const {
    std::size_t n = 0;
    for (const auto& box : Boxes()) {
      if (box.text == itext(itext::kSourceChangedAsk)) {
        EXPECT_EQ(box.buttons, BoxButtons::YesNo);
        ++n;
      }
    }
    return n;
  }
};

TEST_F(SaveGuard, AnEditorParkedPastTheEndWritesNothing) {
  const std::string path = UserFile("hundred.bin", std::string(100, '\x11'));
  image->LoadFile(path, LoadOrigin::UserChosen);
  HexView view(*image, services);
  view.RefreshHexView();
  view.ToggleEditMode();

  // Clicked right after the end, nothing typed: Save leaves the file alone.
  view.OnHexCellClicked(7, 5, false);  // offset 100
  image->SaveFile();
  EXPECT_EQ(ReadFile(path), std::string(100, '\x11'));
  EXPECT_EQ(image->size(), 100u);
  EXPECT_EQ(LogText().find("null"), std::string::npos);

  // Two digits typed there append one byte; the editor moves on to offset
  // 101, past the new end, and Save must not append that one too.
  view.OnHexCellClicked(7, 5, false);
  view.TypeCharacter('1');
  view.TypeCharacter('2');
  ASSERT_EQ(view.focusColumn(), 6);
  ASSERT_TRUE(view.editor().visible);
  image->SaveFile();
  EXPECT_EQ(ReadFile(path), std::string(100, '\x11') + "\x12");
  EXPECT_EQ(image->size(), 101u);
  EXPECT_EQ(LogText().find("null --> FF"), std::string::npos);
  EXPECT_NE(LogText().find("[00000064]: null --> 12"), std::string::npos);
}

TEST_F(SaveGuard, SourceChangedMeanwhileAsksAndNoWritesNothing) {
  const std::string path = UserFile("shared.bin", std::string(64, '\x00'));
  SetModified(path, 1000000);
  image->LoadFile(path, LoadOrigin::UserChosen);
  ASSERT_TRUE(image->WriteByte(3, 0xAA));

  // Same size, new time: the other program's byte at 10 would be reverted.
  ChangeBehindOurBack(path, 10, "\x77", 2000000);
  surface.QueueAnswer(BoxAnswer::No);
  image->SaveFile();
  EXPECT_EQ(Questions(), 1u);
  std::string theirs(64, '\x00');
  theirs[10] = '\x77';
  EXPECT_EQ(ReadFile(path), theirs);
  EXPECT_NE(surface.LastStatus(), itext(itext::kFileSaved));
  EXPECT_EQ(LogText().find("-->"), std::string::npos);

  // Asked again, yes: our image goes back as before, theirs is overwritten.
  surface.QueueAnswer(BoxAnswer::Yes);
  image->SaveFile();
  EXPECT_EQ(Questions(), 2u);
  std::string ours(64, '\x00');
  ours[3] = '\xAA';
  EXPECT_EQ(ReadFile(path), ours);
  EXPECT_EQ(surface.LastStatus(), itext(itext::kFileSaved));

  // Our own save is no outside change: the next save asks nothing.
  ASSERT_TRUE(image->WriteByte(4, 0xBB));
  image->SaveFile();
  EXPECT_EQ(Questions(), 2u);
  EXPECT_EQ(static_cast<unsigned char>(ReadFile(path)[4]), 0xBB);
}

TEST_F(SaveGuard, AGrownSourceAsksEvenWithTheSameTime) {
  const std::string path = UserFile("grown.bin", std::string(16, '\x00'));
  SetModified(path, 1000000);
  image->LoadFile(path, LoadOrigin::UserChosen);
  ChangeBehindOurBack(path, 16, "tail", 1000000);
  surface.QueueAnswer(BoxAnswer::No);
  image->SaveFile();
  EXPECT_EQ(Questions(), 1u);
  EXPECT_EQ(ReadFile(path), std::string(16, '\x00') + "tail");
}

TEST_F(SaveGuard, AnUntouchedSourceIsSavedWithoutAQuestion) {
  const std::string path = UserFile("quiet.bin", std::string(16, '\x00'));
  image->LoadFile(path, LoadOrigin::UserChosen);
  ASSERT_TRUE(image->WriteByte(0, 0x01));
  image->SaveFile();
  EXPECT_EQ(Questions(), 0u);
  EXPECT_EQ(ReadFile(path)[0], '\x01');
  EXPECT_FALSE(surface.Enabled(ids::kSaveFile));
}

}  // namespace
}  // namespace tarnwick::buffers::test
