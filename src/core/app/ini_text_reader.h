// A small line reader for the text-table files: "[section]" headers and
// "key=value" lines, with ";" comments. It holds the whole file in memory for
// the length of one load.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// One line after comment removal and trimming, split into its parts.
struct ParsedLine {
  static constexpr std::uint8_t kKeyName = 0x01;
  static constexpr std::uint8_t kKeyIndex = 0x02;
  static constexpr std::uint8_t kValue = 0x04;
  static constexpr std::uint8_t kValueIndex = 0x08;
  static constexpr std::uint8_t kSection = 0x80;

  std::string text;
  std::string section;
  std::string keyName;
  std::string keyIndex;
  std::string value;
  std::string valueIndex;
  std::uint8_t flags = 0;  // 0: an empty line

  bool IsEmpty() const { return flags == 0; }
  bool IsSection() const { return (flags & kSection) != 0; }
};

// Splits one raw line (without its line end) into a ParsedLine.
ParsedLine ParseIniLine(std::string_view raw);

// A text file that is there but cannot be read: the file and the errno cause.
struct TextFileError {
  std::string path;
  int cause = 0;
};
// The message shown for it: the read-failure text with the cause number, then
// the file and the cause in words.
std::string TextFileErrorMessage(const TextFileError& error);

class IniTextReader {
 public:
  using ErrorSink = std::function<void(const std::string&)>;

  // Files are read in pieces of this size.
  static constexpr std::size_t kReadPiece = 61400;

  // Reads the whole file. False when it is missing (silently), cannot be
  // opened or read, or is no regular file; all but the missing file also hand
  // their message, naming the file, to `onReadError`.
  bool Load(const std::string& path, const ErrorSink& onReadError = {});
  // Takes the bytes directly (what Load does after reading the file).
  void LoadBytes(std::string bytes);

  // Positions the reader on the header of the first section with exactly this
  // name. False (position at the last line) when there is none.
  bool FindSection(const std::string& name);
  // Next non-empty line of the current section. False at the end of the file,
  // and at the next section header, which is left unread.
  bool NextEntry();
  // The current line's key as a decimal number. False when the line has no
  // key name or the key is not made of digits only.
  bool EntryNumber(int& out) const;
  const std::string& EntryValue() const { return line_.value; }

  const ParsedLine& CurrentLine() const { return line_; }
  const std::string& SectionName() const { return section_; }

 private:
  // The current line's text: up to the first CR or LF, or the buffer's end.
  std::string_view LineText() const;
  void ParseCurrent() { line_ = ParseIniLine(LineText()); }
  // To the byte after the next LF; false (position kept) when none follows.
  bool Advance();
  // To the start of the previous line.
  void StepBack();

  std::string buffer_;
  std::size_t position_ = 0;
  std::string section_;
  ParsedLine line_;
};

}  // namespace tarnwick
