// Tests of the framework through a sample program: every way a run ends, the status the exit
// table gives it and the message with the program's name.
#include <gtest/gtest.h>

#include "testkit/process.hpp"
#include "vantrel_version.h"

namespace app {
namespace {

struct Case {
  std::vector<std::string> args;
  int status;
  std::string err;
  std::string out;
};

void expectEndings(const char* program, const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    const std::string what = c.args.empty() ? "(none)" : c.args.back();
    const vantrel::kit::ProcessResult run = vantrel::kit::runProcess(program, c.args);
    EXPECT_EQ(run.exitStatus, c.status) << what;
    EXPECT_EQ(run.err, c.err) << what;
    EXPECT_EQ(run.out, c.out) << what;
  }
}

const std::string kSeeHelp = "Run with --help for more information.\n";

TEST(RunMain, EndsEachWayWithTheStatusOfItsKindAndNamesTheProgram) {
  expectEndings(SAMPLE_PROGRAM, {
                                    {{"end", "unreadable"}, 5, "sample: cannot read it\n", ""},
                                    {{"end", "host"}, 7, "sample: cannot find host h\n", ""},
                                    {{"end", "broken"}, 7, "sample: broken\n", ""},
                                    {{"end", "warn"}, 2, "sample: warning: odd\n", ""},
                                    {{"end", "words"}, 3, "bad words\n" + kSeeHelp, ""},
                                    {{"end", "--count", "9", "x"},
                                     3,
                                     "--count: Value 9 not in range 1 to 3\n" + kSeeHelp,
                                     ""},
                                    {{}, 3, "A subcommand is required\n" + kSeeHelp, ""},
                                    {{"other"}, 11, "", ""},
                                    {{"--version"}, 0, "", "sample " VANTREL_VERSION "\n"},
                                    {{"other", "--version"}, 0, "", "sample " VANTREL_VERSION "\n"},
                                    {{"end", "line", "it's", "a b", "", "-1.5,x/y:z=@%+"},
                                     0,
                                     "",
                                     "sample end line 'it'\\''s' 'a b' '' -1.5,x/y:z=@%+\n"},
                                });
}

TEST(RunMain, KeepsCli11sOwnStatusWhereTheTableSaysSo) {
  expectEndings(SAMPLE_CLI11_PROGRAM,
                {
                    {{"end", "--count", "9", "x"},
                     105,
                     "--count: Value 9 not in range 1 to 3\n" + kSeeHelp,
                     ""},
                    {{"other", "--bogus"},
                     109,
                     "The following argument was not expected: --bogus\n" + kSeeHelp,
                     ""},
                    {{"end", "words"}, 105, "bad words\n" + kSeeHelp, ""},
                    {{"end", "unreadable"}, 5, "sample: cannot read it\n", ""},
                });
}

}  // namespace
}  // namespace app
