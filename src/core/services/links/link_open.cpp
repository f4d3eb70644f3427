#include "core/services/links/link_open.h"

#include <fcntl.h>
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
  // The program tells through this pipe why it could not be started; the
  // pipe closes without a word when it was.
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) return kOutOfResources;
  const pid_t middle = ::fork();
  if (middle < 0) {
    ::close(report[0]);
    ::close(report[1]);
    return kOutOfResources;
  }
  if (middle == 0) {
    // The middle process ends at once, so the program is nobody's child to
    // wait for, and leaves the terminal's process group behind.
    const pid_t started = ::fork();
    if (started != 0) ::_exit(started < 0 ? 1 : 0);
    ::setsid();
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    const unsigned keep = static_cast<unsigned>(report[1]);
    if (keep > 3) ::close_range(3, keep - 1, 0);
    ::close_range(keep + 1, ~0U, 0);
    ::execve(program.c_str(), args.data(), environ);
    const int error = errno;
    (void)!::write(report[1], &error, sizeof error);
    ::_exit(127);
  }
  ::close(report[1]);
  int status = 0;
  while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
  }
  int error = 0;
  ssize_t got = 0;
  while ((got = ::read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
  }
  ::close(report[0]);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return kOutOfResources;
  if (got == static_cast<ssize_t>(sizeof error))
    return error == EACCES ? kAccessDenied : kFileNotFound;
  return kOpened;
}

int OpenLink(const LinkTarget& target, const DesktopOpen& desktop, const DesktopDirs& dirs) {
  if (!Opened(target.result)) return target.result;
  if (desktop && desktop(target.url)) return kOpened;
  const BrowserLaunch launch = RegisteredBrowserFor(target.url, dirs);
  if (!Opened(launch.result)) return launch.result;
  return StartDetached(launch.argv);
}

}  // namespace tarnwick::links
