// vantrel-atlas's report in a real browser: headless Chromium, with every host unresolvable.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>
#include <set>
#include <sstream>

#include "testkit/process.hpp"
#include "tests/atlas/atlas_fixture.hpp"
#include "tests/figures/figure_fixture.hpp"

namespace report {
namespace {

using figures::fixture::FigureTest;
using vantrel::kit::ProcessResult;
using vantrel::kit::runProcess;

// Loading every atlas takes seconds under the sanitizers.
constexpr std::chrono::seconds kRunLimit{180};

ProcessResult browse(const std::filesystem::path& dir, std::vector<std::string> args) {
  const std::vector<std::string> common{"--headless",
                                        "--no-sandbox",
                                        "--disable-gpu",
                                        "--no-first-run",
                                        "--disable-background-networking",
                                        "--disable-component-update",
                                        "--disable-sync",
                                        "--host-resolver-rules=MAP * ~NOTFOUND",
                                        "--user-data-dir=" + (dir / "profile").string(),
                                        "--enable-logging=stderr",
                                        "--v=0"};
  args.insert(args.begin(), common.begin(), common.end());
  args.push_back("file://" + (dir / "report" / "index.html").string());
  return runProcess(CHROMIUM_PROGRAM, args, {}, kRunLimit);
}

TEST_F(FigureTest, ChromiumShowsTheWholeReportOffline) {
  ATLAS_SKIP_WITHOUT_DATA();
  std::ofstream(dir_ / "points.tsv") << "x\ty\tz\n-38\t-22\t56\n-6\t54\t4\n40\t-60\t-30\n";
  const ProcessResult run =
      runProcess(VANTREL_ATLAS_BINARY,
                 {"table", "--data", ATLAS_TEST_DATA_DIR, "--format", "json", "--report",
                  (dir_ / "report").string(), (dir_ / "points.tsv").string()},
                 {}, kRunLimit);
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  // Every label the table gives, from the JSON lines after the provenance's.
  std::set<std::string> labels;
  std::istringstream lines(run.out.substr(run.out.find('\n') + 1));
  for (std::string line; std::getline(lines, line);) {
    const nlohmann::json point = nlohmann::json::parse(line);
    for (const auto& atlas : point["labels"])
      if (atlas["label"].is_string())
        labels.insert(atlas["label"].get<std::string>());
  }
  ASSERT_GE(labels.size(), 6u) << run.out;

  std::ostringstream html;
  html << std::ifstream(dir_ / "report" / "index.html").rdbuf();
  const std::string page = html.str();
  const std::regex link("(?:href|src)=\"([^\"]*)\"");
  int links = 0;
  for (std::sregex_iterator it(page.begin(), page.end(), link), end; it != end; ++it, ++links) {
    EXPECT_TRUE(std::filesystem::is_regular_file(dir_ / "report" / (*it)[1].str())) << (*it)[1];
  }
  EXPECT_GE(links, 4);

  const auto dom = browse(dir_, {"--dump-dom"});
  ASSERT_EQ(dom.exitStatus, 0) << dom.err;
  // The viewer's library logs what it runs on; a blocked fetch or a bad policy is an error.
  EXPECT_EQ(dom.err.find("ERROR:CONSOLE"), std::string::npos) << dom.err;
  for (const auto& label : labels) {
    EXPECT_NE(dom.out.find(label), std::string::npos) << label;
  }
}

}  // namespace
}  // namespace report
