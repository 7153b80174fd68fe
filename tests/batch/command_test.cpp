// Tests of vantrel-batch's command through the built program: output streams and exit statuses.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "testkit/fake_daemon.hpp"
#include "testkit/process.hpp"

namespace vantrel {
namespace {

using kit::FakeDaemon;
using kit::ProcessResult;

class BatchProgram : public ::testing::Test {
 protected:
  void TearDown() override { std::filesystem::remove(tablePath_); }

  std::string writeTable(const std::string& text) {
    std::ofstream(tablePath_) << text;
    return tablePath_.string();
  }

  ProcessResult run(std::vector<std::string> args) {
    args.insert(args.begin(), {"--host", "127.0.0.1", "--port", std::to_string(daemon_.port())});
    return kit::runProcess(VANTREL_BATCH_BINARY, args, {}, std::chrono::seconds(20));
  }

  FakeDaemon daemon_{[](const std::string& query) {
    return kit::replyWith(query.rfind("3:", 0) == 0 ? "2:a,b:5:c:" : "* outside");
  }};

 private:
  std::filesystem::path tablePath_ = std::filesystem::temp_directory_path() /
                                     ("vantrel-batch-test-" + std::to_string(getpid()) + ".tsv");
};

TEST_F(BatchProgram, WritesJsonThatParsesBackWithTheSummaryOnStandardError) {
  const std::string table = writeTable("x\ty\tz\n1\t2\t3\tA\n1\t2\n4.5\t5\t6\n");
  const ProcessResult result = run({"--code", "3", "--cube", "3", "--format", "json", table});
  EXPECT_EQ(result.exitStatus, 2);
  EXPECT_EQ(result.err, "vantrel-batch: 2 labelled, 1 rejected, 0 failed\n");
  std::istringstream rows(result.out);
  std::vector<nlohmann::json> objects;
  for (std::string row; std::getline(rows, row);) {
    objects.push_back(nlohmann::json::parse(row));
  }
  ASSERT_EQ(objects.size(), 3U);
  EXPECT_EQ(objects[0], nlohmann::json::parse(R"({"line":2,"status":"labelled",
      "point":{"x":1,"y":2,"z":3},"pairs":[{"count":5,"label":"c"},{"count":2,"label":"a,b"}],
      "extra":["A"]})"));
  EXPECT_EQ(objects[1]["status"], "rejected");
  EXPECT_EQ(objects[1]["line"], 3);
  EXPECT_EQ(objects[2]["point"], nlohmann::json::parse(R"({"x":5,"y":5,"z":6})"));
  EXPECT_EQ(objects[2]["rounded_from"]["x"], 4.5);
}

TEST_F(BatchProgram, EndsWithTheStatusOfWhatWentWrong) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string out;
  };
  const std::string table = writeTable("1\t2\t3\n");
  const Case cases[] = {
      {{table}, 0, "1\t2\t3\t* outside\n"},
      {{"--cube", "3", table}, 1, ""},
      {{"-"}, 0, ""},
  };
  for (const Case& c : cases) {
    const ProcessResult result = run(c.args);
    EXPECT_EQ(result.exitStatus, c.status) << c.args[0];
    EXPECT_EQ(result.out, c.out) << c.args[0];
  }
  const ProcessResult unknownHost = kit::runProcess(
      VANTREL_BATCH_BINARY, {"--host", "no-such-host.invalid", table}, {"RES_OPTIONS=attempts:0"});
  EXPECT_EQ(unknownHost.err, "vantrel-batch: cannot find host no-such-host.invalid\n");
  EXPECT_EQ(unknownHost.exitStatus, 1);
}

}  // namespace
}  // namespace vantrel
