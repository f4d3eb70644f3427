#include "core/services/links/link_open.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <sstream>

#include "core/services/links/link_errors.h"

extern char** environ;

namespace tarnwick::links {

namespace {

bool Executable(const std::string& path) { return ::access(path.c_str(), X_OK) == 0; }

// The program's path as exec needs it, or empty.
std::string FindProgram(const std::string& name) {
  if (name.empty()) return {};
  if (name.find('/') != std::string::npos) return Executable(name) ? name : std::string();
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin");
  for (std::string dir; std::getline(dirs, dir, ':');) {
    const std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + name;
    if (Executable(candidate)) return candidate;
  }
  return {};
}

}  // namespace

int StartDetached(const std::vector<std::string>& argv) {
  if (argv.empty()) return kFileNotFound;
  const std::string program = FindProgram(argv.front());
  if (program.empty()) return kFileNotFound;
  // Everything the child needs is made before the fork: between fork and
  // exec only async-signal-safe calls are made.
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  sigset_t none;
  sigemptyset(&none);
  const pid_t middle = ::fork();
  if (middle < 0) return kOutOfResources;
  if (middle == 0) {
    // The middle process ends at once, so the program is nobody's child to
    // wait for, and leaves the terminal's process group behind.
    const pid_t started = ::fork();
    if (started != 0) ::_exit(started < 0 ? 1 : 0);
    ::setsid();
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::close_range(3, ~0U, 0);
    ::execve(program.c_str(), args.data(), environ);
    ::_exit(127);
  }
  int status = 0;
  while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? kOpened : kOutOfResources;
}

int OpenLink(const LinkTarget& target, const DesktopOpen& desktop, const DesktopDirs& dirs) {
  if (!Opened(target.result)) return target.result;
  if (desktop && desktop(target.url)) return kOpened;
  const BrowserLaunch launch = RegisteredBrowserFor(target.url, dirs);
  if (!Opened(launch.result)) return launch.result;
  return StartDetached(launch.argv);
}

}  // namespace tarnwick::links
