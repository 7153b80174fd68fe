// vantrel-atlas --figures and --report, run as a user runs them.
#include <gtest/gtest.h>

#include <fstream>

#include "testkit/process.hpp"
#include "tests/atlas/atlas_fixture.hpp"
#include "tests/figures/figure_fixture.hpp"

namespace {

using figures::fixture::FigureTest;
using vantrel::kit::runProcess;

// Loading every atlas takes seconds under the sanitizers.
constexpr std::chrono::seconds kRunLimit{180};

TEST_F(FigureTest, FiguresAreNamedAfterThePointOrLineInTheAskedFormat) {
  ATLAS_SKIP_WITHOUT_DATA();
  std::ofstream(dir_ / "points.tsv") << "x\ty\tz\n# skipped\n-38\t-22\t56\n10\t20\t30\n";
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> files;
  } cases[] = {
      {{"point", "--figures", "p", "-38", "-22", "56"}, {"point.png", "glass-brain.png"}},
      {{"point", "--figures", "s", "--figure-format", "svg", "1,2,3"},
       {"point.svg", "glass-brain.svg"}},
      {{"table", "--figures", "t", "--figure-format", "pdf", "points.tsv"},
       {"line-3.pdf", "line-4.pdf", "glass-brain.pdf"}},
  };
  for (auto& c : cases) {
    c.args.insert(c.args.begin() + 1, {"--data", ATLAS_TEST_DATA_DIR});
    for (auto& arg : c.args) {
      if (arg.size() == 1 || arg.ends_with(".tsv"))
        arg = (dir_ / arg).string();
    }
    const auto run = runProcess(VANTREL_ATLAS_BINARY, c.args, {}, kRunLimit);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const auto folder = std::filesystem::path(c.args[4]);
    for (const auto& file : c.files) {
      EXPECT_TRUE(std::filesystem::is_regular_file(folder / file)) << folder / file;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}),
              static_cast<long>(c.files.size()));
  }
}

TEST_F(FigureTest, AFolderThatCannotBeWrittenStopsTheRunBeforeAnyOutput) {
  ATLAS_SKIP_WITHOUT_DATA();
  std::ofstream(dir_ / "file") << "kept";
  struct Case {
    std::string option, dir, says;
  } cases[] = {
      {"--report", (dir_ / "file").string(), "exists and is not a folder"},
      {"--figures", (dir_ / "file" / "figures").string(), "exists and is not a folder"},
      {"--report", "/proc/vantrel-report", "cannot create the folder"},
  };
  for (const auto& c : cases) {
    const auto run =
        runProcess(VANTREL_ATLAS_BINARY,
                   {"table", "--data", ATLAS_TEST_DATA_DIR, c.option, c.dir, "-"}, {}, kRunLimit);
    EXPECT_EQ(run.exitStatus, 1) << c.dir;
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 1);
}

}  // namespace
