// The pieces of a mail that must survive any mail server: header values
// that never break their line, non-ASCII text as RFC 2047 encoded words, and
// a body with CR LF line ends, no line over 998 octets and a transfer
// encoding that carries UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarnwick::smtp {

// True when `text` holds a byte below 0x20 or DEL: such a value would end
// its header line or its SMTP command early.
bool HasControlCharacter(std::string_view text);

// `text` for a header line: as it is when it is printable ASCII short enough
// for one line, else as UTF-8 encoded words ("=?UTF-8?B?...?="), folded onto
// continuation lines.
std::string HeaderText(std::string_view text);

struct MailBody {
  std::string contentTransferEncoding;  // "7bit" or "base64"
  std::string text;                     // CR LF line ends, ready for DATA
};
// `text` with its line ends (LF, CR or CR LF) made CR LF; 7bit when that is
// ASCII without NUL and no line is longer than 998 octets, base64 otherwise.
MailBody EncodeBody(std::string_view text);

// "ddd, dd MMM yyyy HH:mm:ss +0000" in US English of a UTC time.
std::string MailDate(std::int64_t unixSeconds);

}  // namespace tarnwick::smtp
