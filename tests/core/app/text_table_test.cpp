// The text tables as read from files: placeholders, placement by number, the
// line rules of the reader, and damaged input.
#include "core/app/text_table.h"

#include <gtest/gtest.h>

#include <string>

#include "core/app/ini_text_reader.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

using test::TempDir;
using namespace std::string_literals;

constexpr const char* kF = TextTable::kFtextPlaceholder;
constexpr const char* kI = TextTable::kItextPlaceholder;

TEST(TextTableTest, MissingFilesLeaveEveryEntryAtItsPlaceholder) {
  TempDir dir;
  TextTable t;
  bool reported = false;
  auto sink = [&](const std::string&) { reported = true; };
  EXPECT_FALSE(t.LoadFtext(dir.file("ftext.ini"), sink));
  EXPECT_FALSE(t.LoadItext(dir.file("itext.ini"), sink));
  EXPECT_FALSE(reported);  // a missing file is silent
  for (int n = 0; n < TextTable::kFtextCount; ++n) EXPECT_EQ(t.ftext(n), kF) << n;
  for (int n = 0; n < TextTable::kItextCount; ++n) EXPECT_EQ(t.itext(n), kI) << n;
  EXPECT_EQ(t.ftext(-1), "");
  EXPECT_EQ(t.ftext(TextTable::kFtextCount), "");
  EXPECT_EQ(t.itext(TextTable::kItextCount), "");
}

TEST(TextTableTest, EntriesArePlacedByNumberInAnyOrder) {
  TempDir dir;
  dir.Write("f.ini", "[ftext]\r\n3=Three\r\n1=One\r\n1=One again\r\n");
  TextTable t;
  EXPECT_FALSE(t.LoadFtext(dir.file("f.ini")));  // fewer than 137 lines
  EXPECT_EQ(t.ftext(3), "Three");
  EXPECT_EQ(t.ftext(1), "One again");  // a later line replaces an earlier one
  EXPECT_EQ(t.ftext(0), kF);
  EXPECT_EQ(t.ftext(2), kF);
}

TEST(TextTableTest, CommentsBlanksAndBracketsFollowTheLineRules) {
  TempDir dir;
  dir.Write("f.ini",
            "; header comment\r\n"
            "[ftext]\r\n"
            "12=Saved text   ; trailing comment\r\n"
            "13 =not stored\r\n"
            "14= leading blank kept\r\n"
            "15=Caption [tip]\r\n"
            "16=[only bracket]\r\n"
            "  17=trimmed  \r\n"
            "18=\r\n"
            "0019=leading zeros\r\n"
            "999=beyond the table\r\n"
            "1x=digits then letter\r\n");
  TextTable t;
  t.LoadFtext(dir.file("f.ini"));
  EXPECT_EQ(t.ftext(12), "Saved text");
  EXPECT_EQ(t.ftext(13), kF);  // the key keeps its blank and names no entry
  // "13 " must not land on some other entry either.
  EXPECT_EQ(t.ftext(104), kF);
  EXPECT_EQ(t.ftext(14), " leading blank kept");
  EXPECT_EQ(t.ftext(15), "Caption ");  // text before the bracket only
  EXPECT_EQ(t.ftext(16), "");
  EXPECT_EQ(t.ftext(17), "trimmed");
  EXPECT_EQ(t.ftext(18), "");
  EXPECT_EQ(t.ftext(19), "leading zeros");
  EXPECT_EQ(t.ftext(1), kF);
  EXPECT_EQ(t.ftext(82), kF);  // "1x" read as digit codes would give 82
}

TEST(TextTableTest, OnlyTheFirstNNonEmptyLinesAfterTheHeaderCount) {
  // Word keys, comments and blank lines: words count, the others do not.
  std::string file = "[itext]\r\n";
  file += "word=counted but stores nothing\r\n";
  file += "; a comment line\r\n\r\n   \r\n";
  for (int n = 0; n < TextTable::kItextCount - 1; ++n) {
    file += std::to_string(n) + "=t" + std::to_string(n) + "\r\n";
  }
  // Line N+1 after the header: beyond the limit.
  file += std::to_string(TextTable::kItextCount - 1) + "=too late\r\n";
  TempDir dir;
  dir.Write("i.ini", file);
  TextTable t;
  EXPECT_TRUE(t.LoadItext(dir.file("i.ini")));
  EXPECT_EQ(t.itext(0), "t0");
  const int last = TextTable::kItextCount - 1;
  EXPECT_EQ(t.itext(last - 1), "t" + std::to_string(last - 1));
  EXPECT_EQ(t.itext(last), kI);
}

TEST(TextTableTest, SectionSearchTakesTheFirstMatchingSectionOnly) {
  TempDir dir;
  dir.Write("f.ini",
            "[itext]\r\n1=from itext\r\n"
            "[FTEXT]\r\n2=wrong case\r\n"
            "[ftext]\r\n3=first\r\n"
            "[ftext]\r\n4=second section\r\n5=second section\r\n");
  TextTable t;
  EXPECT_FALSE(t.LoadFtext(dir.file("f.ini")));
  EXPECT_EQ(t.ftext(1), kF);
  EXPECT_EQ(t.ftext(2), kF);
  EXPECT_EQ(t.ftext(3), "first");
  EXPECT_EQ(t.ftext(4), kF);
  EXPECT_EQ(t.ftext(5), kF);
}

TEST(TextTableTest, LineEndsCrLfAndLfOnlyReadTheSame) {
  TempDir dir;
  dir.Write("crlf.ini", "[ftext]\r\n0=Zero\r\n1=One\r\n2=Two");  // last line unterminated
  dir.Write("lf.ini", "[ftext]\n0=Zero\n1=One\n2=Two\n");
  dir.Write("mixed.ini", "[ftext]\n0=Zero\r\n1=One\n2=Two\r\n");
  for (const char* name : {"crlf.ini", "lf.ini", "mixed.ini"}) {
    TextTable t;
    t.LoadFtext(dir.file(name));
    EXPECT_EQ(t.ftext(0), "Zero") << name;
    EXPECT_EQ(t.ftext(1), "One") << name;
    EXPECT_EQ(t.ftext(2), "Two") << name;
    EXPECT_EQ(t.ftext(3), kF) << name;
  }
}

TEST(TextTableTest, CrOnlyFileFindsNoEntryLines) {
  // Lines advance at LF only; a CR-only file is one line holding the header.
  TempDir dir;
  dir.Write("cr.ini", "[ftext]\r0=Zero\r1=One\r");
  TextTable t;
  EXPECT_FALSE(t.LoadFtext(dir.file("cr.ini")));
  EXPECT_EQ(t.ftext(0), kF);
  EXPECT_EQ(t.ftext(1), kF);
}

TEST(TextTableTest, DamagedFilesNeverCrash) {
  TempDir dir;
  std::string binary;
  for (int i = 0; i < 70000; ++i) binary += static_cast<char>((i * 7919) & 0xFF);
  dir.Write("binary.ini", binary);
  dir.Write("empty.ini", "");
  dir.Write("nulls.ini", "[ftext]\r\n5=a\0b\r\n[\r\n]\r\n[]\r\n=\r\n[x\r\n"s);
  dir.Write("brackets.ini", "[ftext]\r\n7[=a]b[\r\n8=x]y[\r\n9=[\r\n");
  for (const char* name : {"binary.ini", "empty.ini", "nulls.ini", "brackets.ini"}) {
    TextTable t;
    t.LoadFtext(dir.file(name));
    EXPECT_EQ(t.ftext(0), kF) << name;
  }
  TextTable t;
  t.LoadFtext(dir.file("nulls.ini"));
  EXPECT_EQ(t.ftext(5), std::string("a\0b", 3));
  TextTable b;
  b.LoadFtext(dir.file("brackets.ini"));
  EXPECT_EQ(b.ftext(8), "x]y");  // the value text before the "[" is kept
  EXPECT_EQ(b.ftext(9), "[");    // no "]": not a bracketed part
  EXPECT_EQ(b.ftext(7), kF);
}

TEST(TextTableTest, ReadFailureNamesTheFileAndLeavesPlaceholders) {
  // A directory opens but cannot be read; a symlink loop cannot be opened.
  TempDir dir;
  std::filesystem::create_directory(dir.path() / "ftext.ini");
  std::filesystem::create_symlink(dir.path() / "itext.ini", dir.path() / "itext.ini");
  TextTable t;
  std::string message;
  EXPECT_FALSE(t.LoadFtext(dir.file("ftext.ini"), [&](const std::string& m) { message = m; }));
  EXPECT_EQ(message, "文件复制到内存失败！ \r\n错误代码：#21\r\n" + dir.file("ftext.ini") +
                         ": Is a directory");
  EXPECT_EQ(t.ftext(0), kF);
  message.clear();
  EXPECT_FALSE(t.LoadItext(dir.file("itext.ini"), [&](const std::string& m) { message = m; }));
  EXPECT_EQ(message, "文件复制到内存失败！ \r\n错误代码：#40\r\n" + dir.file("itext.ini") +
                         ": Too many levels of symbolic links");
  EXPECT_EQ(t.itext(0), kI);
  // Missing stays silent: the placeholders say it.
  message.clear();
  EXPECT_FALSE(t.LoadItext(dir.file("none.ini"), [&](const std::string& m) { message = m; }));
  EXPECT_EQ(message, "");
}

TEST(TextTableTest, LargeFileIsReadAcrossPieces) {
  // Entries stand well beyond the first 61400-byte piece.
  std::string file = "[itext]\r\n";
  file += "; " + std::string(IniTextReader::kReadPiece * 2, 'x') + "\r\n";
  file += "200=far away\r\n";
  TempDir dir;
  dir.Write("i.ini", file);
  TextTable t;
  t.LoadItext(dir.file("i.ini"));
  EXPECT_EQ(t.itext(200), "far away");
}

TEST(IniLineTest, ParsedLineFlagsAndParts) {
  ParsedLine l = ParseIniLine("  name[idx]=value[vi]  ; note");
  EXPECT_EQ(l.flags, ParsedLine::kKeyName | ParsedLine::kKeyIndex | ParsedLine::kValue |
                         ParsedLine::kValueIndex);
  EXPECT_EQ(l.keyName, "name");
  EXPECT_EQ(l.keyIndex, "idx");
  EXPECT_EQ(l.value, "value");
  EXPECT_EQ(l.valueIndex, "vi");

  l = ParseIniLine("[sec]");
  EXPECT_TRUE(l.IsSection());
  EXPECT_EQ(l.section, "sec");
  EXPECT_TRUE(ParseIniLine("[]").IsEmpty());
  EXPECT_TRUE(ParseIniLine(" ; only a comment").IsEmpty());

  l = ParseIniLine("[3]=x");
  EXPECT_EQ(l.flags, ParsedLine::kKeyIndex | ParsedLine::kValue);
  l = ParseIniLine("justakey");
  EXPECT_EQ(l.flags, ParsedLine::kKeyName);
  EXPECT_EQ(l.keyName, "justakey");
  EXPECT_EQ(ParseIniLine("a=b=c").value, "b=c");
  // UTF-8 text is not white space.
  EXPECT_EQ(ParseIniLine("1=器件信息").value, "器件信息");
}

TEST(IniReaderTest, EntryLoopStopsAtNextHeaderAndLeavesItUnread) {
  IniTextReader r;
  r.LoadBytes("[a]\r\n1=x\r\n\r\n[b]\r\n2=y\r\n");
  ASSERT_TRUE(r.FindSection("a"));
  ASSERT_TRUE(r.NextEntry());
  int n = -1;
  EXPECT_TRUE(r.EntryNumber(n));
  EXPECT_EQ(n, 1);
  EXPECT_FALSE(r.NextEntry());
  EXPECT_FALSE(r.NextEntry());  // still stops at the same header
  EXPECT_TRUE(r.FindSection("b"));
  EXPECT_TRUE(r.NextEntry());
  EXPECT_EQ(r.EntryValue(), "y");
  EXPECT_FALSE(r.FindSection("c"));
}

}  // namespace
}  // namespace tarnwick
