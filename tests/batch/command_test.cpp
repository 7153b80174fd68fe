// Tests of vantrel-batch's command through the built program: its options reach the run, and each
// way a run ends gives its output, its summary and its status.
#include <gtest/gtest.h>

#include <fstream>

#include "testkit/fake_daemon.hpp"
#include "testkit/process.hpp"
#include "testkit/temp_dir.hpp"

namespace vantrel {
namespace {

TEST(BatchProgram, EndsWithTheStatusOfWhatWentWrong) {
  kit::FakeDaemon daemon([](const std::string& query) {
    return kit::replyWith(query.rfind("3:", 0) == 0 ? "2:a,b:5:c:" : "* outside");
  });
  const kit::TempDir dir("vantrel-batch-test");
  std::ofstream(dir / "mixed.tsv") << "x\ty\tz\n1\t2\t3\tA\n1\t2\n";
  std::ofstream(dir / "one.tsv") << "1\t2\t3\n";
  const std::string mixed = (dir / "mixed.tsv").string(), one = (dir / "one.tsv").string();
  const struct {
    std::vector<std::string> args;
    int status;
    std::string out, err;
  } cases[] = {
      {{"--code", "3", "--cube", "3", "--format", "json", mixed},
       2,
       R"({"line":2,"status":"labelled","point":{"x":1,"y":2,"z":3},)"
       R"("pairs":[{"count":5,"label":"c"},{"count":2,"label":"a,b"}],"extra":["A"]})"
       "\n"
       R"({"line":3,"status":"rejected","error":"fewer than three tab-separated fields","text":"1\t2"})"
       "\n",
       "vantrel-batch: 1 labelled, 1 rejected, 0 failed\n"},
      {{one}, 0, "1\t2\t3\t* outside\n", "vantrel-batch: 1 labelled, 0 rejected, 0 failed\n"},
      {{"--cube", "3", one},
       1,
       "",
       "--cube: a cube size needs --code 3\n"
       "Run with --help for more information.\n"},
      {{"-"}, 0, "", "vantrel-batch: 0 labelled, 0 rejected, 0 failed\n"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"--host", "127.0.0.1", "--port",
                                     std::to_string(daemon.port())};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const kit::ProcessResult result = kit::runProcess(VANTREL_BATCH_BINARY, args);
    EXPECT_EQ(result.exitStatus, c.status) << c.args[0];
    EXPECT_EQ(result.out, c.out) << c.args[0];
    EXPECT_EQ(result.err, c.err) << c.args[0];
  }
  const kit::ProcessResult unknownHost = kit::runProcess(
      VANTREL_BATCH_BINARY, {"--host", "no-such-host.invalid", one}, {"RES_OPTIONS=attempts:0"});
  EXPECT_EQ(unknownHost.err, "vantrel-batch: cannot find host no-such-host.invalid\n");
  EXPECT_EQ(unknownHost.exitStatus, 1);
}

}  // namespace
}  // namespace vantrel
