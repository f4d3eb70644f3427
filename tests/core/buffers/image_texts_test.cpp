#include <gtest/gtest.h>

#include "core/buffers/image_texts.h"

namespace tarnwick::buffers {
namespace {

std::string Levels(char from, char to) {
  std::string s;
  for (char c = from; c <= to; ++c) s += "/" + std::string(4, c);
  return s;
}

TEST(ShortenPath, KeepsShortPathsAndDropsLeadingLevelsOfLongOnes) {
  EXPECT_EQ(ShortenPath("/home/u/a.bin"), "/home/u/a.bin");
  const std::string exact = Levels('a', 'h') + "/file.bin" + "1234";  // 53 characters
  ASSERT_EQ(exact.size(), 53u);
  EXPECT_EQ(ShortenPath(exact), exact);

  // 54 characters: the first pass only removes the root separator.
  const std::string p54 = Levels('a', 'i') + "/file.bin";
  ASSERT_EQ(p54.size(), 54u);
  EXPECT_EQ(ShortenPath(p54), "/.../" + p54.substr(1));

  // Two levels more: whole leading levels go until at most 53 remain.
  const std::string p64 = Levels('a', 'k') + "/file.bin";
  const std::string expected = "/.../" + Levels('c', 'k').substr(1) + "/file.bin";
  EXPECT_EQ(ShortenPath(p64), expected);
  EXPECT_LE(expected.size() - 5, 53u);
}

TEST(ShortenPath, DrivePathsKeepTheDrive) {
  std::string p = "C:";
  for (char c = 'a'; c <= 'k'; ++c) p += "\\" + std::string(4, c);
  p += "\\file.bin";
  std::string rest;
  for (char c = 'd'; c <= 'k'; ++c) rest += std::string(4, c) + "\\";
  EXPECT_EQ(ShortenPath(p), "C:\\...\\" + rest + "file.bin");
}

TEST(ShortenPath, OverlongFileNameKeepsTheName) {
  const std::string name(60, 'n');
  EXPECT_EQ(ShortenPath("/dir/" + name), "/.../" + name);
}

TEST(ImageTexts, SizeTextNameAndCapRule) {
  EXPECT_EQ(SizeText(1536), "1.50KB");
  EXPECT_EQ(SizeText(0), "0.00KB");
  EXPECT_EQ(SizeText(5ull << 30), "5242880.00KB");
  EXPECT_EQ(FileNameOf("/a/b/c.bin"), "c.bin");
  EXPECT_EQ(FileNameOf("c.bin"), "c.bin");
  EXPECT_TRUE(IsCapFile("/x/y.cap"));
  EXPECT_TRUE(IsCapFile("Y.CaP"));
  EXPECT_FALSE(IsCapFile("/x/y.cab"));
  EXPECT_FALSE(IsCapFile("ap"));
}

}  // namespace
}  // namespace tarnwick::buffers
