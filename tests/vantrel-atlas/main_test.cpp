// End-to-end tests of the vantrel-atlas program: bad input, Talairach input, provenance and
// tables.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "tests/atlas/atlas_fixture.hpp"
#include "atlas/talairach.hpp"
#include "imaging/affine.hpp"
#include "testkit/process.hpp"

namespace {

using nlohmann::json;
using vantrel::kit::ProcessResult;

// The subcommand first, then the test's atlas folder unless the case names its own.
ProcessResult run(std::vector<std::string> args) {
  if (!args.empty() && std::find(args.begin(), args.end(), "--data") == args.end()) {
    args.insert(args.begin() + 1, {"--data", ATLAS_TEST_DATA_DIR});
  }
  return vantrel::kit::runProcess(VANTREL_ATLAS_BINARY, args);
}

// The records of JSON lines output.
std::vector<json> records(const std::string& out) {
  std::vector<json> lines;
  std::size_t at = 0;
  for (std::size_t end; (end = out.find('\n', at)) != std::string::npos; at = end + 1) {
    lines.push_back(json::parse(out.substr(at, end - at)));
  }
  return lines;
}

TEST(VantrelAtlas, RefusesBadInputWithAMessageAndAUsageStatus) {
  ATLAS_SKIP_WITHOUT_DATA();
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"point", "x", "2", "3"}, "coordinate 'x' is not a number"},
      {{"point", "NaN", "2", "3"}, "coordinate 'NaN' is not a number"},
      {{"point", "1", "2", "1e10"}, "is not a number"},
      {{"point", "1", "2", "2000000000"}, "beyond +-1e9"},
      {{"point", "--atlas", "aal,brodmann", "1", "2", "3"}, "unknown atlas key 'brodmann'"},
      {{"point", "--nearest", "-1", "1", "2", "3"}, "--nearest"},
      {{"point", "--nearest", "51", "1", "2", "3"}, "--nearest"},
      {{"table", "--within", "50.5", "-"}, "--within"},
      {{"point", "1", "2"}, "expected three coordinates"},
      {{"list", "--data", "/nonexistent/atlases"},
       "data folder /nonexistent/atlases does not exist"},
      {{"list", "--data", "/"}, "/aal.nii.gz: no such file"},
      {{"table", "/nonexistent/table.tsv"}, "cannot read /nonexistent/table.tsv"},
      {{}, "subcommand"},
  };
  for (const auto& [args, message] : cases) {
    const ProcessResult r = run(args);
    EXPECT_EQ(r.exitStatus, 1) << message;
    EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("terminate"), std::string::npos) << r.err;
  }
}

TEST(VantrelAtlas, AnswersTalairachInputAsItsExactMniConversion) {
  ATLAS_SKIP_WITHOUT_DATA();
  const imaging::Vec3 talairach{-36.6, -24.2, 52.3};
  const ProcessResult viaTalairach = run({"point", "--space", "talairach", "--within", "4",
                                          "--format", "json", "-36.6", "-24.2", "52.3"});
  ASSERT_EQ(viaTalairach.exitStatus, 0) << viaTalairach.err;
  const json answer = records(viaTalairach.out).at(1);
  const imaging::Vec3 mni = imaging::applyAffine(atlas::talairachToMni(), talairach);
  EXPECT_EQ(answer["mni"], (json{{"x", mni[0]}, {"y", mni[1]}, {"z", mni[2]}}));
  char text[3][32];
  for (int i = 0; i < 3; ++i) {
    std::snprintf(text[i], sizeof text[i], "%.17g", mni[i]);
  }
  const ProcessResult viaMni =
      run({"point", "--within", "4", "--format", "json", text[0], text[1], text[2]});
  EXPECT_EQ(records(viaMni.out).at(1)["labels"], answer["labels"]);
}

TEST(VantrelAtlas, ReportsTheSha256OfEveryAtlasFile) {
  ATLAS_SKIP_WITHOUT_DATA();
  const ProcessResult list = run({"list", "--format", "json"});
  ASSERT_EQ(list.exitStatus, 0) << list.err;
  const json atlases = records(list.out).at(0)["provenance"]["atlases"];
  ASSERT_EQ(atlases.size(), 6U);
  for (const json& a : atlases) {
    const std::string path = std::string(ATLAS_TEST_DATA_DIR) + "/" + a["file"].get<std::string>();
    const ProcessResult sum = vantrel::kit::runProcess("/usr/bin/sha256sum", {path});
    EXPECT_EQ(sum.out.substr(0, 64), a["sha256"]) << path;
  }
}

// The reading rules are vantrel-batch's and tested there; here: the table's own columns,
// the rejected lines, the count and the status.
TEST(VantrelAtlas, LabelsATableInOrderAndCountsRejectedLines) {
  ATLAS_SKIP_WITHOUT_DATA();
  const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                     ("vantrel-atlas-test-" + std::to_string(getpid()) + ".tsv");
  std::ofstream(path) << "# peaks\nx\ty\tz\tname\n-38\t-22\t56\tM1\n1\tNaN\t3\n"
                         "2e9\t0\t0\n100\t100\t100\tfar\n";
  const ProcessResult r = run({"table", "--atlas", "aal,jhu189", path.string()});
  std::filesystem::remove(path);
  EXPECT_EQ(r.exitStatus, 2);
  EXPECT_EQ(r.err, "vantrel-atlas: 2 labelled, 2 rejected\n");
  const std::string rows = r.out.substr(r.out.find("\nx\t") + 1);
  EXPECT_EQ(rows,
            "x\ty\tz\taal\taal_nearest\taal_mm\tjhu189\tjhu189_nearest\tjhu189_mm\tname\n"
            "-38\t-22\t56\tPostcentral_L\tPostcentral_L\t0\tPrCG_L\tPrCG_L\t0\tM1\n"
            "# line 4: rejected: Y is not a number: NaN\n"
            "# line 5: rejected: X is not a number: 2e9\n"
            "100\t100\t100\t\t\t\t\t\t\tfar\n");
  EXPECT_NE(r.out.find("# atlas jhu189: jhu189.nii.gz, sha256 "), std::string::npos);
}

}  // namespace
