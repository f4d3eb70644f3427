#include "core/services/smtp/smtp_message.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "core/services/smtp/base64.h"

namespace tarnwick::smtp {
namespace {

constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// An encoded word is at most 75 characters: "=?UTF-8?B?" and "?=" leave 63
// for Base64, which carries 45 bytes (whole groups of three).
constexpr std::size_t kWordBytes = 45;
constexpr std::size_t kMaxLine = 998;
// Longer ASCII text goes as encoded words too, which fold onto lines that fit.
constexpr std::size_t kMaxPlainHeaderText = 900;
constexpr std::size_t kBase64Line = 76;

bool IsPrintableAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](unsigned char c) { return c >= 0x20 && c < 0x7f; });
}

// Where a piece of at most `limit` bytes from `at` ends without cutting a
// UTF-8 sequence (a continuation byte is 10xxxxxx).
std::size_t PieceEnd(std::string_view text, std::size_t at, std::size_t limit) {
  std::size_t end = std::min(text.size(), at + limit);
  if (end == text.size()) return end;
  std::size_t back = end;
  while (back > at && (static_cast<unsigned char>(text[back]) & 0xC0) == 0x80) --back;
  return back > at ? back : end;
}

std::string CrLfLines(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 32);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += "\r\n";
    } else if (text[i] == '\n') {
      out += "\r\n";
    } else {
      out += text[i];
    }
  }
  return out;
}

bool FitsSevenBit(std::string_view crlfText) {
  std::size_t line = 0;
  for (const char ch : crlfText) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == 0 || c >= 0x80) return false;
    line = c == '\n' ? 0 : line + 1;
    if (line > kMaxLine) return false;
  }
  return true;
}

}  // namespace

bool HasControlCharacter(std::string_view text) {
  return std::any_of(text.begin(), text.end(),
                     [](unsigned char c) { return c < 0x20 || c == 0x7f; });
}

std::string HeaderText(std::string_view text) {
  if (IsPrintableAscii(text) && text.size() <= kMaxPlainHeaderText) return std::string(text);
  std::string out;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = PieceEnd(text, at, kWordBytes);
    if (!out.empty()) out += "\r\n ";
    out += "=?UTF-8?B?" + Base64Encode(text.substr(at, end - at)) + "?=";
    at = end;
  }
  return out;
}

MailBody EncodeBody(std::string_view text) {
  std::string lines = CrLfLines(text);
  if (FitsSevenBit(lines)) return {"7bit", std::move(lines)};
  return {"base64", Base64Lines(lines, kBase64Line)};
}

std::string MailDate(std::int64_t unixSeconds) {
  const std::time_t t = static_cast<std::time_t>(unixSeconds);
  std::tm tm{};
  gmtime_r(&t, &tm);
  char text[64];
  std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d +0000", kDays[tm.tm_wday % 7],
                tm.tm_mday, kMonths[tm.tm_mon % 12], tm.tm_year + 1900, tm.tm_hour, tm.tm_min,
                tm.tm_sec);
  return text;
}

}  // namespace tarnwick::smtp
