// Opening a work file for writing: a FIFO or a folder in its place is
// refused at once, never waited on.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "core/buffers/posix_file.h"
#include "support/temp_dir.h"

namespace tarnwick::buffers {
namespace {

TEST(PlainFileWrite, AFifoOrAFolderInThePlaceOfAWorkFileIsRefusedWithoutWaiting) {
  test::TempDir dir;
  // A FIFO nobody reads: a plain open for writing would block here.
  ASSERT_EQ(::mkfifo(dir.file("h_ven0.dll").c_str(), 0600), 0);
  EXPECT_EQ(OpenPlainFileForWriting(dir.file("h_ven0.dll")), nullptr);
  EXPECT_TRUE(TakenByNonFile(dir.file("h_ven0.dll")));
  std::filesystem::create_directory(dir.file("h_ven1.dll"));
  EXPECT_EQ(OpenPlainFileForWriting(dir.file("h_ven1.dll")), nullptr);
  EXPECT_TRUE(TakenByNonFile(dir.file("h_ven1.dll")));

  // A plain file is emptied and written from its start, as "w+b" does.
  dir.Write("chip.dll", std::string("old content"));
  EXPECT_FALSE(TakenByNonFile(dir.file("chip.dll")));
  EXPECT_FALSE(TakenByNonFile(dir.file("none.dll")));
  std::FILE* f = OpenPlainFileForWriting(dir.file("chip.dll"));
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(std::fwrite("new", 1, 3, f), 3u);
  EXPECT_EQ(std::fclose(f), 0);
  EXPECT_EQ(dir.Read("chip.dll"), "new");
}

}  // namespace
}  // namespace tarnwick::buffers
