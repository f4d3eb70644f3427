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
    if (t.front() == '[') {
      if (t.back() == ']') {
        section = Lower(Trim(t.substr(1, t.size() - 2)));
        if (section == "mail" || section == "update" || section == "links") continue;
        why = "no section [" + section + "]";
      } else {
        why = "a section header without its ']'";
      }
    } else if (const std::size_t eq = t.find('='); eq == std::string::npos) {
      why = "not a 'key = value' line";
    } else if (SetValue(c, section, Lower(Trim(t.substr(0, eq))), Trim(t.substr(eq + 1)), why)) {
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

}  // namespace tarnwick
