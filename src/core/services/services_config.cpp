#include "core/services/services_config.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <sstream>

namespace tarnwick {
namespace {

constexpr std::size_t kMaxFileSize = 64 * 1024;

std::string Trim(const std::string& s) {
  const auto notSpace = [](unsigned char c) { return std::isspace(c) == 0; };
  const auto b = std::find_if(s.begin(), s.end(), notSpace);
  const auto e = std::find_if(s.rbegin(), s.rend(), notSpace).base();
  return b < e ? std::string(b, e) : std::string();
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// A value ends at a ';' or '#' that follows a blank (or starts it).
std::string WithoutComment(const std::string& value) {
  for (std::size_t i = 0; i < value.size(); ++i) {
    if ((value[i] == ';' || value[i] == '#') &&
        (i == 0 || std::isspace(static_cast<unsigned char>(value[i - 1])) != 0)) {
      return value.substr(0, i);
    }
  }
  return value;
}

bool HasControlCharacter(const std::string& s) {
  return std::any_of(s.begin(), s.end(), [](unsigned char c) { return c < 0x20 || c == 0x7f; });
}

// The value after '=' in the raw line: a double-quoted value keeps every
// character up to its closing quote (\" and \\ stand for a quote and a
// backslash) and may only be followed by blanks and a comment; any other value
// ends at its comment. No value holds a control character: each of them ends
// up in a mail header or an SMTP command.
bool ReadValue(const std::string& raw, std::string& value, std::string& why) {
  const std::string text = Trim(raw);
  value.clear();
  if (text.empty() || text.front() != '"') {
    value = Trim(WithoutComment(text));
  } else {
    std::size_t i = 1;
    for (; i < text.size() && text[i] != '"'; ++i) {
      if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == '"' || text[i + 1] == '\\')) {
        ++i;
      }
      value += text[i];
    }
    if (i >= text.size()) {
      why = "a quoted value without its closing '\"'";
      return false;
    }
    if (!Trim(WithoutComment(" " + text.substr(i + 1))).empty()) {
      why = "text after the closing '\"' of a quoted value";
      return false;
    }
  }
  if (HasControlCharacter(value)) {
    why = "a control character in the value";
    return false;
  }
  return true;
}

bool SetValue(ServicesConfig& c, const std::string& section, const std::string& key,
              const std::string& value, std::string& why) {
  if (section == "mail") {
    if (key == "server") {
      c.mail.server = value;
    } else if (key == "port") {
      char* end = nullptr;
      errno = 0;
      const unsigned long port = std::strtoul(value.c_str(), &end, 10);
      if (value.empty() || *end != '\0' || errno != 0 || port > 65535) {
        why = "'" + value + "' is not a port from 0 to 65535";
        return false;
      }
      c.mail.port = static_cast<std::uint16_t>(port);
    } else if (key == "login") {
      c.mail.login = value;
    } else if (key == "password") {
      c.mail.password = value;
    } else if (key == "support") {
      c.mail.support = value;
    } else if (key == "x_mailer") {
      c.mail.xMailer = value;
    } else if (key == "tls") {
      const std::string mode = Lower(value);
      if (mode == "auto") {
        c.mail.tls = MailTls::Auto;
      } else if (mode == "starttls") {
        c.mail.tls = MailTls::StartTls;
      } else if (mode == "implicit") {
        c.mail.tls = MailTls::Implicit;
      } else if (mode == "off") {
        c.mail.tls = MailTls::Off;
      } else {
        why = "tls is auto, starttls, implicit or off, not '" + value + "'";
        return false;
      }
    } else if (key == "ca_file") {
      c.mail.caFile = value;
    } else {
      why = "no key '" + key + "' in [mail]";
      return false;
    }
  } else if (section == "update" && key == "host") {
    c.update.host = value;
  } else if (section == "links" && (key == "web" || key == "contact")) {
    (key == "web" ? c.links.web : c.links.contact) = value;
  } else {
    why = section.empty() ? "a key before any [section]"
                          : "no key '" + key + "' in [" + section + "]";
    return false;
  }
  return true;
}

}  // namespace

ServicesConfig ParseServicesConfig(const std::string& text, const std::string& name,
                                   std::string& problem) {
  ServicesConfig c;
  std::istringstream in(text);
  std::string line, section;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    const std::string t = Trim(WithoutComment(line));
    if (t.empty()) continue;
    std::string why;
    std::string value;
    const std::size_t eq = t.find('=');
    if (t.front() == '[') {
      if (t.back() == ']') {
        section = Lower(Trim(t.substr(1, t.size() - 2)));
        if (section == "mail" || section == "update" || section == "links") continue;
        why = "no section [" + section + "]";
      } else {
        why = "a section header without its ']'";
      }
    } else if (eq == std::string::npos) {
      why = "not a 'key = value' line";
    } else if (ReadValue(line.substr(line.find('=') + 1), value, why) &&
               SetValue(c, section, Lower(Trim(t.substr(0, eq))), value, why)) {
      continue;
    }
    problem = name + ": line " + std::to_string(number) + ": " + why;
    return c;
  }
  return c;
}

ServicesConfig LoadServicesConfig(const std::string& path, std::string& problem) {
  problem.clear();
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    if (errno != ENOENT) problem = path + ": " + std::strerror(errno);
    return {};
  }
  if (!S_ISREG(st.st_mode)) {
    problem = path + ": is not a regular file";
    return {};
  }
  if (st.st_size > static_cast<off_t>(kMaxFileSize)) {
    problem = path + ": is too large for a settings file";
    return {};
  }
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    problem = path + ": " + std::strerror(errno);
    return {};
  }
  std::string text;
  char chunk[4096];
  ssize_t n = 0;
  while ((n = ::read(fd, chunk, sizeof chunk)) > 0 && text.size() <= kMaxFileSize) {
    text.append(chunk, static_cast<std::size_t>(n));
  }
  const int readError = n < 0 ? errno : 0;
  ::close(fd);
  if (readError != 0) {
    problem = path + ": " + std::strerror(readError);
    return {};
  }
  return ParseServicesConfig(text, path, problem);
}

std::string ServicesPasswordWarning(const std::string& path, const ServicesConfig& config) {
  struct stat st {};
  if (config.mail.password.empty() || ::stat(path.c_str(), &st) != 0) return {};
  if ((st.st_mode & (S_IRGRP | S_IROTH)) == 0) return {};
  return path + ": holds the mail password and other users can read it (chmod 600 it)";
}

}  // namespace tarnwick
