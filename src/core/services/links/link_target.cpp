#include "core/services/links/link_target.h"

#include <cctype>
#include <string_view>

#include "core/services/links/link_errors.h"

namespace tarnwick::links {

namespace {

bool IsUnreserved(unsigned char c) {
  return std::isalnum(c) != 0 || c == '-' || c == '.' || c == '_' || c == '~';
}
bool IsSubDelim(unsigned char c) {
  return std::string_view("!$&'()*+,;=").find(c) != std::string_view::npos;
}
bool IsHex(unsigned char c) { return std::isxdigit(c) != 0; }

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

std::string Percent(unsigned char c) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  return {'%', kDigits[c >> 4], kDigits[c & 0x0F]};
}

// Path, query and fragment: the URL characters stay, a "%" that already
// starts an escape stays, everything else is escaped. Only the first "#"
// starts the fragment.
std::string EncodeRest(std::string_view text) {
  std::string out;
  bool fragment = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    const bool escape = c == '%' && i + 2 < text.size() && IsHex(text[i + 1]) && IsHex(text[i + 2]);
    if (IsUnreserved(c) || IsSubDelim(c) || c == ':' || c == '@' || c == '/' || c == '?' ||
        escape) {
      out += static_cast<char>(c);
    } else if (c == '#' && !fragment) {
      fragment = true;
      out += '#';
    } else {
      out += Percent(c);
    }
  }
  return out;
}

// "host" or "host:port"; a host name, an IPv4 address or a bracketed IPv6
// address, lower-cased. No user part. Empty when it is none of these.
std::string Authority(std::string_view text) {
  std::string_view host = text;
  std::string_view port;
  if (!text.empty() && text.front() == '[') {
    const std::size_t close = text.find(']');
    if (close == std::string_view::npos) return {};
    host = text.substr(0, close + 1);
    const std::string_view after = text.substr(close + 1);
    if (!after.empty() && after.front() != ':') return {};
    if (!after.empty()) port = after.substr(1);
    for (char c : host.substr(1, host.size() - 2))
      if (!IsHex(static_cast<unsigned char>(c)) && c != ':' && c != '.') return {};
  } else {
    const std::size_t colon = text.find(':');
    if (colon != std::string_view::npos) {
      host = text.substr(0, colon);
      port = text.substr(colon + 1);
    }
    for (char c : host)
      if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '.' && c != '_')
        return {};
  }
  if (host.empty() || host == "[]") return {};
  for (char c : port)
    if (!std::isdigit(static_cast<unsigned char>(c))) return {};
  std::string out;
  for (char c : host) out += Lower(c);
  if (!port.empty()) out += ":" + std::string(port);
  return out;
}

LinkTarget Refused() { return LinkTarget{kRefusedTarget, {}}; }
LinkTarget Allowed(std::string url) { return LinkTarget{kOpened, std::move(url)}; }

std::string_view Trimmed(std::string_view s) {
  const std::size_t a = s.find_first_not_of(" \t\r\n");
  if (a == std::string_view::npos) return {};
  return s.substr(a, s.find_last_not_of(" \t\r\n") - a + 1);
}

}  // namespace

LinkTarget WebLinkTarget(const std::string& text) {
  const std::string_view t = Trimmed(text);
  const std::size_t colon = t.find(':');
  if (colon == std::string_view::npos || colon == 0) return Refused();
  std::string scheme;
  for (char c : t.substr(0, colon)) scheme += Lower(c);
  const std::string_view rest = t.substr(colon + 1);
  if (scheme == "mailto") {
    const std::string address = EncodeRest(rest);
    if (address.empty() || address.front() == '?') return Refused();
    return Allowed("mailto:" + address);
  }
  if (scheme != "http" && scheme != "https") return Refused();
  if (rest.substr(0, 2) != "//") return Refused();
  const std::string_view afterSlashes = rest.substr(2);
  const std::size_t end = afterSlashes.find_first_of("/?#");
  const std::string authority = Authority(afterSlashes.substr(0, end));
  if (authority.empty()) return Refused();
  std::string url = scheme + "://" + authority;
  if (end != std::string_view::npos) url += EncodeRest(afterSlashes.substr(end));
  return Allowed(std::move(url));
}

LinkTarget ProgramFileTarget(const std::string& path) {
  if (path.empty() || path.front() != '/') return Refused();
  std::string url = "file://";
  for (const char ch : path) {
    const auto c = static_cast<unsigned char>(ch);
    url += (IsUnreserved(c) || IsSubDelim(c) || c == '/' || c == ':' || c == '@')
               ? std::string(1, ch)
               : Percent(c);
  }
  return Allowed(std::move(url));
}

}  // namespace tarnwick::links
