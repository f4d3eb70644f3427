// completion: the scripts made from the command table, run in a real bash.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "cli_fixture.h"

namespace tarnwick {
namespace {

using test::CliFlow;
using test::CliRun;

class CliCompletion : public CliFlow {
 protected:
  // What bash's completion offers for `line` (the words before the cursor's
  // word, then that word), with the built program first on PATH.
  std::string Complete(const std::string& words, int cword) {
    const std::string script = "source " + Quote(dir.file("tarnwick-cli.bash")) + "; COMP_WORDS=(" +
                               words + "); COMP_CWORD=" + std::to_string(cword) +
                               "; _tarnwick_cli; printf '%s\\n' \"${COMPREPLY[@]}\"";
    const std::string cmd = "PATH=" + Quote(std::string(TARNWICK_PORTABLE_DIR)) +
                            ":\"$PATH\" bash -c " + Quote(script) + " >" +
                            Quote(dir.file("completed.txt")) + " 2>&1";
    const int raw = std::system(cmd.c_str());
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << dir.Read("completed.txt");
    return dir.Read("completed.txt");
  }
};

TEST_F(CliCompletion, TheBashScriptIsValidAndCompletesChipsCommandsAndOptions) {
  const CliRun r = Cli({"completion", "bash"}, "");
  ASSERT_EQ(r.status, 0) << r.err;
  dir.Write("tarnwick-cli.bash", r.out);
  const std::string check = "bash -n " + Quote(dir.file("tarnwick-cli.bash"));
  EXPECT_EQ(std::system(check.c_str()), 0);

  const std::string chips = Complete("tarnwick-cli --chip W25Q12", 2);
  EXPECT_NE(chips.find("W25Q128FV\n"), std::string::npos) << chips;
  EXPECT_NE(chips.find("W25Q128BV\n"), std::string::npos) << chips;
  EXPECT_EQ(chips.find("EN25Q64"), std::string::npos) << chips;
  EXPECT_EQ(Complete("tarnwick-cli -y veri", 2), "verify\n");
  EXPECT_EQ(Complete("tarnwick-cli --max-d", 1), "--max-diffs\n");
  EXPECT_EQ(Complete("tarnwick-cli comp", 1), "completion\n");
}

TEST_F(CliCompletion, TheZshScriptListsEveryCommandAndOption) {
  const CliRun r = Cli({"completion", "zsh"}, "");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.rfind("#compdef tarnwick-cli\n", 0), 0u);
  for (const char* word : {"'detect:", "'verify:", "'completion:", "--json[", "--max-diffs[",
                           "_tarnwick_cli_models"}) {
    EXPECT_NE(r.out.find(word), std::string::npos) << word;
  }
  EXPECT_EQ(Cli({"completion", "fish"}, "").status, 2);
}

}  // namespace
}  // namespace tarnwick
