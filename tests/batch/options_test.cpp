// Tests of the command line: defaults, accepted values and usage errors.
#include "batch/options.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "exit_status.h"

namespace vantrel::batch {
namespace {

ParsedOptions parse(std::vector<const char*> args) {
  args.insert(args.begin(), "vantrel-batch");
  return parseOptions(static_cast<int>(args.size()), args.data());
}

TEST(ParseOptions, DefaultsToCode2AtTheBuildsDaemonWithEightJobs) {
  const ParsedOptions parsed = parse({"points.tsv"});
  ASSERT_FALSE(parsed.exitNow);
  const BatchOptions& o = parsed.options;
  EXPECT_EQ(o.input, "points.tsv");
  EXPECT_EQ(o.code, 2);
  EXPECT_EQ(o.host, DAEMONHOST);
  EXPECT_EQ(o.port, kDaemonPort);
  EXPECT_EQ(o.jobs, 8U);
  EXPECT_EQ(o.format, OutputFormat::kTsv);
  EXPECT_FALSE(o.mni);
}

TEST(ParseOptions, RefusesWhatTheDaemonOrTheRunCannotTake) {
  const std::vector<std::vector<const char*>> refused = {
      {},
      {"--code", "4", "p"},
      {"--cube", "4", "--code", "3", "p"},
      {"--cube", "5", "p"},
      {"--port", "0", "p"},
      {"--jobs", "0", "p"},
      {"--timeout", "0", "p"},
      {"--format", "csv", "p"},
      {"p", "q"},
  };
  for (const auto& args : refused) {
    EXPECT_EQ(parse(args).exitNow, kExitBadInput) << args.size();
  }
}

}  // namespace
}  // namespace vantrel::batch
