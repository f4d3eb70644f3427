// Bad words on the command line, command by command: every row of the
// command table is called with each of its words left empty, and with each
// file it names replaced by a folder and by a FIFO. Whatever the word, the
// program says what is wrong and ends with a failure: never a hang, never a
// signal (an exception that escapes aborts the program with SIGABRT).
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <sstream>
#include <thread>

#include "cli_fixture.h"

namespace tarnwick::test {
namespace {

namespace fs = std::filesystem;

// A bad word is refused before any work starts: far within this bound.
constexpr auto kHangBound = std::chrono::seconds(60);

struct Ended {
  bool hung = false;
  int signal = 0;   // the signal that ended the program, 0 for none
  int status = -1;  // its exit status when it exited
  std::string err;
};

// Words standing for files the walk prepares; every other word is used as
// it stands.
constexpr const char* kIn = "@in";
constexpr const char* kIn2 = "@in2";
constexpr const char* kOut = "@out";

// One valid call of a command; `files` are the positions of its words that
// name a file (these are also replaced by a folder and by a FIFO).
struct Call {
  std::vector<std::string> words;
  std::vector<std::size_t> files;
};

// A call for every command the program lists, with its file words marked.
const std::map<std::string, std::vector<Call>>& Calls() {
  static const std::map<std::string, std::vector<Call>> calls = {
      {"detect", {{{}, {}}}},
      {"chips", {{{"--id", "EF4017"}, {}}, {{"SPI", "WINBOND"}, {}}}},
      {"read", {{{kOut}, {0}}}},
      {"erase", {{{}, {}}}},
      {"blank", {{{}, {}}}},
      {"program", {{{kIn}, {0}}}},
      {"verify", {{{kIn}, {0}}}},
      {"auto", {{{kIn}, {0}}}},
      // Bounded: one chip, and a wait of a second for it at most.
      {"batch",
       {{{"--mode", "repeat", "--master", kIn, "--chips", "1", "--wait-timeout", "1"}, {3}},
        {{"--mode", "list", "--file", kIn, "--file", kIn2, "--chips", "1", "--wait-timeout", "1"},
         {3, 5}}}},
      {"otp",
       {{{"detect"}, {}},
        {{"read", kOut}, {1}},
        {{"verify", kIn}, {1}},
        {{"program", kIn, "--lock"}, {1}}}},
      {"fill", {{{"0", "16", "AA"}, {}}, {{"0", "--file", kIn}, {2}}}},
      {"peek", {{{"0"}, {}}}},
      {"find", {{{"AA", kIn, "--text"}, {1}}}},
      {"merge", {{{kOut, kIn, kIn2}, {0, 1, 2}}}},
      {"split", {{{kIn, "16"}, {0}}}},
      {"firmware",
       {{{"version"}, {}},
        {{"upgrade", kIn}, {1}},
        {{"pack", kIn, kOut}, {1, 2}},
        {{"check", kIn}, {1}}}},
      {"settings", {{{}, {}}}},
      {"feedback", {{{"--subject", "s", "--contact", "c", "--content-file", kIn}, {5}}}},
      {"check-update", {{{}, {}}}},
      {"completion", {{{"bash"}, {}}}},
      {"devices", {{{}, {}}}},
      {"help", {{{}, {}}}},
  };
  return calls;
}

// Faults the walk has found in commands owned elsewhere, not yet mended:
// the call (command and its first word) and what is wrong. Such a call is
// still held to the rest (a failing exit, no signal, no hang).
const std::map<std::string, std::string>& KnownFaults() {
  static const std::map<std::string, std::string> faults = {};
  return faults;
}

class CliInputWalk : public CliFlow {
 protected:
  void SetUp() override {
    CliFlow::SetUp();
    RandomFile("in.bin", 4096, 1);
    RandomFile("in2.bin", 4096, 2);
    // Folders named like files: "merge" would add ".bin" to a name without
    // a '.', and then write beside the folder as it should.
    fs::create_directory(dir.file("folder.bin"));
    ASSERT_EQ(::mkfifo(dir.file("fifo.bin").c_str(), 0600), 0);
  }

  // The command names as `help` lists them, from the command table.
  std::vector<std::string> CommandNames() {
    const CliRun help = Cli({"help"}, "");
    std::vector<std::string> names;
    std::istringstream lines(help.out);
    bool inCommands = false;
    for (std::string line; std::getline(lines, line);) {
      if (line == "commands:") {
        inCommands = true;
      } else if (inCommands && line.rfind("  ", 0) == 0 && line.size() > 2 && line[2] != ' ') {
        names.push_back(line.substr(2, line.find(' ', 2) - 2));
      }
    }
    return names;
  }

  std::string Word(const std::string& w) const {
    if (w == kIn) return dir.file("in.bin");
    if (w == kIn2) return dir.file("in2.bin");
    if (w == kOut) return dir.file("made.bin");
    return w;
  }

  // Runs the program with `words` after the options, ended by force after
  // kHangBound. `goneWorkDir`: started in a working folder that no longer
  // exists.
  Ended Run(const std::vector<std::string>& words, bool goneWorkDir = false) {
    std::vector<std::string> argv = {std::string(TARNWICK_PORTABLE_DIR) + "/tarnwick-cli",
                                     "--simulate", "--base-dir", dir.base()};
    argv.insert(argv.end(), words.begin(), words.end());
    std::vector<char*> raw;
    for (std::string& a : argv) raw.push_back(a.data());
    raw.push_back(nullptr);
    const std::string errPath = dir.file("walk-err.txt");
    const std::string gone = dir.file("gone");
    const pid_t pid = ::fork();
    if (pid == 0) {
      const int in = ::open("/dev/null", O_RDONLY);
      const int out = ::open("/dev/null", O_WRONLY);
      const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      ::dup2(in, 0);
      ::dup2(out, 1);
      ::dup2(err, 2);
      if (goneWorkDir && (::mkdir(gone.c_str(), 0700) != 0 || ::chdir(gone.c_str()) != 0 ||
                          ::rmdir(gone.c_str()))) {
        ::_exit(127);
      }
      ::execv(raw[0], raw.data());
      ::_exit(127);
    }
    Ended e;
    int raw_status = 0;
    const auto deadline = std::chrono::steady_clock::now() + kHangBound;
    while (::waitpid(pid, &raw_status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        e.hung = true;
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &raw_status, 0);
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!e.hung && WIFSIGNALED(raw_status)) e.signal = WTERMSIG(raw_status);
    if (!e.hung && WIFEXITED(raw_status)) e.status = WEXITSTATUS(raw_status);
    e.err = dir.Read("walk-err.txt");
    return e;
  }

  static std::string Shown(const std::vector<std::string>& words) {
    std::string s = "tarnwick-cli";
    for (const std::string& w : words) s += " '" + w + "'";
    return s;
  }

  // A refusal: said on standard error, a failing exit, and no signal.
  static void ExpectRefused(const Ended& e, const std::vector<std::string>& words,
                            int status = -1) {
    SCOPED_TRACE(Shown(words));
    const auto fault = KnownFaults().find(words.size() > 1 ? words[0] + " " + words[1] : words[0]);
    EXPECT_FALSE(e.hung) << "still running after the bound";
    EXPECT_EQ(e.signal, 0) << "ended by signal " << e.signal << "\n" << e.err;
    if (status >= 0) {
      EXPECT_EQ(e.status, status) << e.err;
    } else {
      EXPECT_GT(e.status, 0) << e.err;
    }
    if (fault != KnownFaults().end()) {
      std::printf("known fault, not checked: %s %s\n", fault->first.c_str(), fault->second.c_str());
      return;
    }
    EXPECT_FALSE(e.err.empty()) << "nothing said";
  }
};

TEST_F(CliInputWalk, EveryCommandHasACallToWalk) {
  const std::vector<std::string> names = CommandNames();
  ASSERT_FALSE(names.empty());
  for (const std::string& name : names) {
    EXPECT_TRUE(Calls().count(name) == 1) << name << " has no call in the walk's list";
  }
}

TEST_F(CliInputWalk, AnEmptyWordIsAUsageErrorForEveryCommand) {
  for (const std::string& name : CommandNames()) {
    auto found = Calls().find(name);
    if (found == Calls().end()) continue;  // reported by the test above
    for (const Call& call : found->second) {
      std::vector<std::string> words = {name};
      for (const std::string& w : call.words) words.push_back(Word(w));
      // A command without words gets one empty word too many.
      if (call.words.empty()) {
        words.push_back("");
        ExpectRefused(Run(words), words, 2);
        continue;
      }
      for (std::size_t k = 1; k < words.size(); ++k) {
        std::vector<std::string> bad = words;
        bad[k].clear();
        ExpectRefused(Run(bad), bad, 2);
      }
    }
  }
}

TEST_F(CliInputWalk, AFolderOrAFifoInPlaceOfAFileIsRefusedByEveryCommand) {
  for (const std::string& name : CommandNames()) {
    auto found = Calls().find(name);
    if (found == Calls().end()) continue;
    for (const Call& call : found->second) {
      std::vector<std::string> words = {name};
      for (const std::string& w : call.words) words.push_back(Word(w));
      for (std::size_t at : call.files) {
        for (const char* stand_in : {"folder.bin", "fifo.bin"}) {
          std::vector<std::string> bad = words;
          bad[at + 1] = dir.file(stand_in);
          ExpectRefused(Run(bad), bad);
        }
      }
    }
  }
  // Nothing was made in place of the folder or the FIFO.
  EXPECT_TRUE(fs::is_directory(dir.file("folder.bin")));
  EXPECT_TRUE(fs::is_fifo(dir.file("fifo.bin")));
}

TEST_F(CliInputWalk, MergeAndSplitSayWhenTheWorkingFolderIsGone) {
  for (const std::vector<std::string>& words :
       {std::vector<std::string>{"merge", "out.bin", "in.bin"},
        std::vector<std::string>{"split", "in.bin", "16"}}) {
    const Ended e = Run(words, true);
    ExpectRefused(e, words, 2);
    EXPECT_NE(e.err.find("no absolute path"), std::string::npos) << e.err;
  }
}

}  // namespace
}  // namespace tarnwick::test
