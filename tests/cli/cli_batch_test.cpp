// tarnwick-cli batch on a virtual box whose socket sees chips come and go.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "cli_fixture.h"
#include "core/app/text_ids.h"

namespace tarnwick {
namespace {

using test::CliFlow;
using test::CliRun;

class CliBatch : public CliFlow {
 protected:
  // A W25Q32FV box with `chips` chips, each taken out 50 ms after its outcome; the
  // next goes in after a pause longer than one identification, as a hand takes.
  std::string SocketBox(int chips, const std::string& extra = {}) {
    dir.Write("box.box", "[chip]\nmodel = W25Q32FV\ncontent = chip.bin\nfill = blank\n" + extra +
                             "\n[socket]\nchips = " + std::to_string(chips) +
                             "\nremove_ms = 50\ninsert_ms = 400\n");
    return "--simulate=" + dir.file("box.box");
  }
  std::string Master() {
    std::string bytes;
    for (int i = 0; i < 0x20; ++i) bytes += static_cast<char>(i);
    dir.Write("m.bin", bytes);
    return dir.file("m.bin");
  }
  std::string At(const std::string& chipFile, std::size_t offset, std::size_t n) {
    return dir.Read(chipFile).substr(offset, n);
  }
  // Runs the command line in the background, its output in out.txt and err.txt.
  pid_t Spawn(const std::string& box, const std::vector<std::string>& words) {
    const pid_t pid = fork();
    if (pid != 0) return pid;
    const std::string cli = std::string(TARNWICK_PORTABLE_DIR) + "/tarnwick-cli";
    const std::string out = dir.file("out.txt"), err = dir.file("err.txt");
    freopen(out.c_str(), "w", stdout);
    freopen(err.c_str(), "w", stderr);
    std::vector<std::string> all = {cli, box, "--base-dir", dir.base()};
    all.insert(all.end(), words.begin(), words.end());
    std::vector<char*> argv;
    for (std::string& w : all) argv.push_back(w.data());
    argv.push_back(nullptr);
    execv(cli.c_str(), argv.data());
    _exit(127);
  }
  static int ExitOf(pid_t pid) {
    int raw = 0;
    waitpid(pid, &raw, 0);
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  }
  std::vector<std::string> ReportLines(const std::string& name = "batch-report.csv") {
    std::ifstream in(dir.file(name));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
};

TEST_F(CliBatch, SerialNumbersGoIntoEachChipAndTheRecord) {
  const CliRun r =
      Cli({"batch", "--mode", "serial", "--master", Master(), "--fill-address", "10", "--start-id",
           "100", "--id-bytes", "2", "--byte-order", "big", "--increment", "5", "--chips", "3"},
          SocketBox(3));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(At("chip.bin", 0x10, 3), std::string("\x00\x64\x12", 3));
  EXPECT_EQ(At("chip-2.bin", 0x10, 3), std::string("\x00\x69\x12", 3));
  EXPECT_EQ(At("chip-3.bin", 0x10, 3), std::string("\x00\x6E\x12", 3));
  // The master's bytes around the ID are programmed as they are.
  EXPECT_EQ(At("chip-3.bin", 0, 3), std::string("\x00\x01\x02", 3));
  EXPECT_EQ(At("chip-3.bin", 0x20, 1), "\xFF");

  const std::vector<std::string> lines = ReportLines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "chip,time,mode,file,id,checksum,steps,result,seconds");
  EXPECT_EQ(lines[1].rfind("1,", 0), 0u);
  EXPECT_NE(lines[1].find(",serial,"), std::string::npos);
  EXPECT_NE(lines[1].find(",100,"), std::string::npos);
  EXPECT_NE(lines[3].find(",110,"), std::string::npos);
  EXPECT_NE(lines[3].find(",erase+program+verify,done,"), std::string::npos);
  EXPECT_NE(r.out.find("chip 3: done"), std::string::npos) << r.out;
  EXPECT_NE(r.err.find("count 115"), std::string::npos) << r.err;
  // The record names the master, and the copy made beside it is gone.
  EXPECT_NE(lines[1].find("," + dir.file("m.bin") + ","), std::string::npos) << lines[1];
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
    EXPECT_EQ(e.path().string().find(".tmp~"), std::string::npos) << e.path();
  }
}

TEST_F(CliBatch, WhatCannotGoOnTheChipOrIntoTheRecordIsRefusedBeforeAnyCopyOrChip) {
  const std::string box = SocketBox(1);
  const std::string catalogue = dir.Read("database.dat");
  dir.Write("empty.bin", "");
  ASSERT_EQ(::mkfifo(dir.file("fifo.csv").c_str(), 0600), 0);
  const std::pair<std::vector<std::string>, const char*> cases[] = {
      // An ID beyond the 4 MiB chip: no 64 MiB copy is padded first.
      {{"batch", "--mode", "serial", "--master", Master(), "--fill-address", "3FFFFFF"},
       "beyond the chip"},
      // An empty image is never "programmed".
      {{"batch", "--mode", "repeat", "--master", dir.file("empty.bin")}, "empty"},
      {{"batch", "--mode", "append", "--master", Master(), "--fill-address", "40", "--file",
        dir.file("empty.bin")},
       "empty"},
      // The record is guarded as read's output is.
      {{"batch", "--mode", "repeat", "--master", Master(), "--report", dir.file("database.dat")},
       "own files"},
      {{"batch", "--mode", "repeat", "--master", Master(), "--report", dir.file("fifo.csv")},
       "not a regular file"},
  };
  for (const auto& [words, why] : cases) {
    const CliRun r = Cli(words, box);
    EXPECT_EQ(r.status, 2) << words.back() << ": " << r.err;
    EXPECT_NE(r.err.find(why), std::string::npos) << r.err;
    EXPECT_EQ(r.out.find("chip 1"), std::string::npos) << r.out;
  }
  EXPECT_EQ(dir.Read("database.dat"), catalogue);
  EXPECT_FALSE(std::filesystem::exists(dir.file("batch-report.csv")));
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
    EXPECT_EQ(e.path().string().find(".tmp~"), std::string::npos) << e.path();
  }
}

TEST_F(CliBatch, AListProgramsItsFilesFromTheChosenOneAndEndsAfterTheLast) {
  dir.Write("a.bin", std::string(16, 'a'));
  dir.Write("b.bin", std::string(16, 'b'));
  dir.Write("c.bin", std::string(16, 'c'));
  const CliRun r =
      Cli({"batch", "--mode", "list", "--file", dir.file("a.bin"), "--file", dir.file("b.bin"),
           "--file", dir.file("c.bin"), "--from", "2", "--report", dir.file("line.csv")},
          SocketBox(3));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(At("chip.bin", 0, 2), "bb");
  EXPECT_EQ(At("chip-2.bin", 0, 2), "cc");
  // The list ended: no third chip was programmed.
  EXPECT_EQ(r.out.find("chip 3"), std::string::npos) << r.out;
  EXPECT_EQ(ReportLines("line.csv").size(), 3u);
  EXPECT_FALSE(std::filesystem::exists(dir.file("batch-report.csv")));
}

TEST_F(CliBatch, ASubFilePerChipFollowsTheMasterAtTheFillAddress) {
  dir.Write("s1.bin", "one");
  dir.Write("s2.bin", "two");
  const CliRun r =
      Cli({"batch", "--mode", "append", "--master", Master(), "--fill-address", "40", "--file",
           dir.file("s1.bin"), "--file", dir.file("s2.bin"), "--steps", "erase,program"},
          SocketBox(2));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(At("chip.bin", 0x1F, 1), "\x1F");
  EXPECT_EQ(At("chip.bin", 0x20, 1), "\xFF");
  EXPECT_EQ(At("chip.bin", 0x40, 3), "one");
  EXPECT_EQ(At("chip-2.bin", 0x40, 3), "two");
  EXPECT_NE(r.out.find("erase+program,"), std::string::npos) << r.out;
}

TEST_F(CliBatch, ARefusedChipStopsTheBatchAndFailsTheRun) {
  // The box sits in its firmware-upgrade mode: it refuses the first chip.
  const CliRun r = Cli({"batch", "--mode", "repeat", "--master", Master(), "--chips", "3"},
                       SocketBox(3, "\n[faults]\nrefuse = always\n"));
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_EQ(r.out.find("chip 2"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("chip 1: refused"), std::string::npos) << r.out;
  const std::vector<std::string> lines = ReportLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines.back().find(",refused,"), std::string::npos);
}

TEST_F(CliBatch, WordsThatCannotWorkAreRefusedBeforeAnyChip) {
  const std::string box = SocketBox(1);
  for (const std::vector<std::string>& words : std::vector<std::vector<std::string>>{
           {"batch"},
           {"batch", "--mode", "sideways", "--master", "x"},
           {"batch", "--mode", "serial"},
           {"batch", "--mode", "list", "--master", "m.bin"},
           {"batch", "--mode", "serial", "--master", "m.bin", "--id-bytes", "3"},
           {"batch", "--mode", "serial", "--master", "m.bin", "--increment", "0"},
           {"batch", "--mode", "serial", "--master", "m.bin", "--fill-address", "1G"},
           {"batch", "--mode", "repeat", "--master", "m.bin", "--steps", "bake"},
           {"batch", "--mode", "list", "--file", "a.bin", "--from", "2"},
           {"batch", "--mode", "list", "--file", ""},
           {"batch", "--mode", "repeat", "--master", ""},
       }) {
    const CliRun r = Cli(words, box);
    EXPECT_EQ(r.status, 2) << words.back() << ": " << r.err;
  }
  // A production record that cannot be written stops the batch before any chip.
  const CliRun noRecord = Cli({"batch", "--mode", "repeat", "--master", Master(), "--report",
                               dir.file("no/such/folder/r.csv")},
                              box);
  EXPECT_EQ(noRecord.status, 2) << noRecord.err;
  EXPECT_EQ(noRecord.out.find("chip 1"), std::string::npos) << noRecord.out;
  // A master that is not there is a usage mistake too, and nothing is written.
  const CliRun r = Cli({"batch", "--mode", "repeat", "--master", dir.file("nothing.bin")}, box);
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_FALSE(std::filesystem::exists(dir.file("batch-report.csv")));
}

TEST_F(CliBatch, CtrlCEndsARepeatBatchAfterItsChipWithoutHalfAChip) {
  const std::string box = SocketBox(2);
  const std::string master = RandomFile("big.bin", 512 * 1024);
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    const std::string cli = std::string(TARNWICK_PORTABLE_DIR) + "/tarnwick-cli";
    const std::string out = dir.file("out.txt"), err = dir.file("err.txt");
    freopen(out.c_str(), "w", stdout);
    freopen(err.c_str(), "w", stderr);
    execl(cli.c_str(), cli.c_str(), box.c_str(), "--base-dir", dir.base().c_str(), "batch",
          "--mode", "repeat", "--master", master.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  // Both chips are done long before; the batch then waits for a third.
  for (int i = 0; i < 600 && dir.Read("out.txt").find("chip 2:") == std::string::npos; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  kill(pid, SIGINT);
  int raw = 0;
  waitpid(pid, &raw, 0);
  ASSERT_TRUE(WIFEXITED(raw));
  // Every chip it started was done: the interrupt while waiting is a clean end.
  EXPECT_EQ(WEXITSTATUS(raw), 0) << dir.Read("err.txt");
  EXPECT_EQ(dir.Read("chip.bin").substr(0, 4096), dir.Read("big.bin").substr(0, 4096));
  EXPECT_EQ(dir.Read("chip-2.bin").substr(500000, 4096), dir.Read("big.bin").substr(500000, 4096));
  EXPECT_EQ(ReportLines().size(), 3u);
}

TEST_F(CliBatch, AChipSwappedFasterThanALookAtTheSocketIsStillSeen) {
  // The handler takes each chip out 50 ms after its outcome and puts the
  // next in 50 ms later.
  dir.Write("fast.box",
            "[chip]\nmodel = W25Q32FV\ncontent = chip.bin\nfill = blank\n"
            "[socket]\nchips = 3\nremove_ms = 50\ninsert_ms = 50\n");
  const CliRun r =
      Cli({"batch", "--mode", "serial", "--master", Master(), "--fill-address", "10", "--start-id",
           "7", "--id-bytes", "1", "--chips", "3", "--wait-timeout", "60"},
          "--simulate=" + dir.file("fast.box"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(At("chip.bin", 0x10, 1), "\x07");
  EXPECT_EQ(At("chip-2.bin", 0x10, 1), "\x08");
  EXPECT_EQ(At("chip-3.bin", 0x10, 1), "\x09");
}

TEST_F(CliBatch, AWaitTimeoutEndsABatchWhoseNextChipNeverCame) {
  const CliRun r = Cli(
      {"batch", "--mode", "repeat", "--master", Master(), "--chips", "2", "--wait-timeout", "1"},
      SocketBox(1));
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_NE(r.out.find("chip 1: done"), std::string::npos) << r.out;
  EXPECT_NE(r.err.find("no new chip came within 1 s"), std::string::npos) << r.err;
  for (const char* bad : {"0", "x", "86401"}) {
    EXPECT_EQ(Cli({"batch", "--mode", "repeat", "--master", Master(), "--wait-timeout", bad},
                  SocketBox(1))
                  .status,
              2)
        << bad;
  }
}

TEST_F(CliBatch, IdsThatDoNotFitAreRefusedBeforeAnyChip) {
  const std::string box = SocketBox(3);
  for (const std::vector<std::string>& ids : std::vector<std::vector<std::string>>{
           {"--id-bytes", "1", "--start-id", "254", "--chips", "3"},
           {"--id-bytes", "1", "--start-id", "300"},
           {"--id-bytes", "2", "--count", "65536"},
           {"--id-bytes", "4", "--start-id", "4294967295", "--chips", "2"},
       }) {
    std::vector<std::string> words = {"batch", "--mode", "serial", "--master", Master()};
    words.insert(words.end(), ids.begin(), ids.end());
    const CliRun r = Cli(words, box);
    EXPECT_EQ(r.status, 2) << ids[3] << ": " << r.err;
    EXPECT_EQ(r.out.find("chip 1"), std::string::npos) << r.out;
    EXPECT_FALSE(std::filesystem::exists(dir.file("batch-report.csv")));
  }
}

TEST_F(CliBatch, ACtrlCDuringAChipKeepsItsIdAndARestartDoesNotWriteItAgain) {
  // A realistic box: the interrupt comes while the chip is being programmed.
  dir.Write("slow.box",
            "[chip]\nmodel = W25Q32FV\ncontent = chip.bin\nfill = blank\n"
            "[speed]\nmodel = realistic\n");
  const std::string box = "--simulate=" + dir.file("slow.box");
  const std::string master = RandomFile("big.bin", 256 * 1024);
  const std::vector<std::string> words = {"batch", "--mode",     "serial", "--master",
                                          master,  "--start-id", "100",    "--id-bytes",
                                          "2",     "--steps",    "program"};
  const pid_t pid = Spawn(box, words);
  ASSERT_GT(pid, 0);
  const std::string programming = texts.itext(itext::kProgramming);
  for (int i = 0; i < 600 && dir.Read("err.txt").find(programming) == std::string::npos; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  kill(pid, SIGINT);
  EXPECT_EQ(ExitOf(pid), 0) << dir.Read("err.txt");
  // The chip was finished, recorded and counted: the next ID is 101.
  EXPECT_NE(dir.Read("out.txt").find("chip 1: done"), std::string::npos) << dir.Read("out.txt");
  EXPECT_NE(dir.Read("err.txt").find("count 101"), std::string::npos) << dir.Read("err.txt");
  ASSERT_EQ(ReportLines().size(), 2u);

  // The same words again would give ID 100 to a second chip.
  const std::string before = dir.Read("chip.bin");
  const CliRun again = Cli(words, box);
  EXPECT_EQ(again.status, 2) << again.err;
  EXPECT_NE(again.err.find("ID 100"), std::string::npos) << again.err;
  EXPECT_EQ(dir.Read("chip.bin"), before);
  EXPECT_EQ(ReportLines().size(), 2u);

  // Unless asked for; it then programs the chip and waits for the next.
  std::vector<std::string> repeat = words;
  for (const char* w : {"--allow-repeat-id", "--chips", "1"}) repeat.push_back(w);
  const CliRun allowed = Cli(repeat, box);
  EXPECT_EQ(allowed.status, 0) << allowed.err;
  EXPECT_EQ(ReportLines().size(), 3u);
}

}  // namespace
}  // namespace tarnwick
