// Tests of --atlas-file through the built program: atlases refused with one line and no output
// left behind, and an FSL probabilistic atlas answering with its percentages.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/imaging/nifti_file.hpp"
#include "tests/vantrel-atlas/atlas_program.hpp"

namespace vantrel_atlas::test {
namespace {

namespace fs = std::filesystem;

std::string fslXml(const std::string& type, const std::string& images, const std::string& labels) {
  return "<?xml version=\"1.0\"?>\n<atlas version=\"1.0\"><header><name>T</name><shortname>T"
         "</shortname><type>" +
         type + "</type>" + images + "</header><data>" + labels + "</data></atlas>\n";
}

const std::string kImages = "<images><imagefile>/labels</imagefile></images>";
const std::string kProbImages =
    "<images><imagefile>/prob</imagefile><summaryimagefile>/labels</summaryimagefile></images>";
const std::string kTwoLabels = "<label index=\"1\">One</label><label index=\"2\">Two</label>";

class AtlasFiles : public imaging::fixture::MapFiles {
 protected:
  void SetUp() override {
    MapFiles::SetUp();
    // A 4x3x2 label image of values 0, 1 and 2, and a 4D image of two volumes of percentages.
    std::vector<double> labels, prob(24, 60);
    for (int v = 0; v < 24; ++v)
      labels.push_back(v % 3);
    prob.resize(48, 30);
    writeMap("labels.nii", {.datatype = DT_UINT8}, labels);
    writeMap("prob.nii", {.nt = 2, .datatype = DT_UINT8}, prob);
  }
  std::string write(const std::string& name, const std::string& text) {
    std::ofstream((dir_ / name).string()) << text;
    return (dir_ / name).string();
  }
};

TEST_F(AtlasFiles, BadAtlasesAreRefusedWithOneLineNamingTheFileAndNoOutput) {
  const std::string truncated = writeMap("short.nii", {.datatype = DT_INT16}, {});
  fs::resize_file(truncated, 360);
  const auto label = [](const std::string& index, const std::string& name) {
    return "<label index=\"" + index + "\">" + name + "</label>";
  };
  const std::string bad = (dir_ / "bad.xml").string();
  // The text of bad.xml (none: the atlas file is `file`), the file the error names and its reason.
  const std::vector<std::array<std::string, 3>> cases = {
      {"<atlas><header>", bad, "bad.xml:"},
      {fslXml("Label", "", kTwoLabels), bad, "no <images>"},
      {fslXml("Label", "<images><imagefile>/none</imagefile></images>", kTwoLabels), bad,
       "the image none is missing"},
      {fslXml("Statistic", kImages, kTwoLabels), bad, "neither Label nor"},
      {fslXml("Label", kImages, label("1.5", "A")), bad, "not a whole number"},
      {fslXml("Label", kImages, label("1", "A") + label("1", "B")), bad, "given twice"},
      {fslXml("Label", kImages, label("1", std::string(1001, 'n'))), bad, "longer than"},
      {"<?xml version=\"1.0\"?><!DOCTYPE atlas [<!ENTITY a \"aaaa\">]><atlas/>", bad,
       "document type"},
      {fslXml("Probabilistic", kProbImages, label("0", "A")), (dir_ / "prob.nii").string(),
       "2 volumes for 1 regions"},
      {"", truncated, truncated},
  };
  for (const auto& [xml, file, reason] : cases) {
    SCOPED_TRACE(reason);
    const std::string atlasFile = xml.empty() ? file : write("bad.xml", xml);
    const fs::path out = dir_ / "out";
    const auto run =
        runAtlas({"point", "--atlas-file", atlasFile, "--figures", out.string(), "0", "0", "0"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_NE(run.err.find(file), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(reason), std::string::npos) << run.err;
    EXPECT_TRUE(!fs::exists(out) || fs::is_empty(out));
  }
}

TEST_F(AtlasFiles, TwoAtlasesWithOneKeyAreAUsageErrorNamingBothFiles) {
  const std::string first = write("a.xml", fslXml("Label", kImages, kTwoLabels));
  const std::string second = write("b.xml", fslXml("Label", kImages, kTwoLabels));
  const auto run =
      runAtlas({"point", "--atlas-file", first, "--atlas-file", second, "0", "0", "0"});
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_NE(run.err.find("'t': " + first + " and " + second), std::string::npos) << run.err;
}

TEST_F(AtlasFiles, AProbabilisticAtlasAnswersWithItsPercentagesAndComposition) {
  const std::string xml =
      write("p.xml", fslXml("Probabilistic", kProbImages,
                            "<label index=\"0\">Zero</label><label index=\"1\">One</label>"));
  // Voxel (1,0,0) of the summary holds 1: index 0. The sform puts it at x = 88.
  for (const auto& [format, expected] : std::vector<std::pair<std::string, std::string>>{
           {"text", "Zero (0); 60% Zero; 30% One"},
           {"tsv", "\tZero\tZero\t0\t60% Zero; 30% One"},
           {"json", R"("probabilities":[{"label":"Zero","value":0,"percent":60.0},)"
                    R"({"label":"One","value":1,"percent":30.0}])"}}) {
    const auto run =
        runAtlas({"point", "--atlas-file", xml, "--format", format, "88", "-126", "-72"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_NE(run.out.find(expected), std::string::npos) << format << "\n" << run.out;
  }
  // Six of the atlas's 24 voxels beyond the threshold: each region's mean is its constant
  // probability, and the cluster holds a quarter of every region's mass.
  std::vector<double> map(24, 0);
  for (const std::size_t v : {0, 1, 4, 5, 8, 9})
    map[v] = 5;
  const auto run = runAtlas({"clusters", "--threshold", "3", "--atlas-file", xml, "--format",
                             "json", writeMap("map.nii", {}, map)});
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(jsonRecords(run.out).at(0)["clusters"][0]["composition"][0]["regions"],
            nlohmann::json::parse(
                R"([{"label": "Zero", "percent_of_cluster": 60.0, "percent_of_region": 25.0},
                    {"label": "One", "percent_of_cluster": 30.0, "percent_of_region": 25.0}])"));
}

TEST_F(AtlasFiles, AtlasesFoundInTheSearchPathAreListedAndChosenByKeyWithOneSpaceWarning) {
  write("p.xml", fslXml("Label", kImages, kTwoLabels));
  fs::create_directories(dir_ / "tpl-X");
  fs::copy_file(dir_ / "labels.nii", dir_ / "tpl-X" / "tpl-X_res-2_atlas-Parts_dseg.nii");
  write("tpl-X/tpl-X_atlas-Parts_dseg.tsv", "index\tname\n1\tOne\n2\tTwo\n");
  const std::vector<std::string> env = {"VANTREL_ATLAS_PATH=" + dir_.string(), "FSLDIR="};
  const vantrel::kit::ProcessResult list = vantrel::kit::runProcess(
      VANTREL_ATLAS_BINARY,
      {"list", "--atlas-file", (dir_ / "labels.nii").string(), "--format", "json"}, env);
  ASSERT_EQ(list.exitStatus, 0) << list.err;
  const nlohmann::json found = jsonRecords(list.out).at(0)["found"];
  ASSERT_EQ(found.size(), 2U) << found;
  EXPECT_EQ(found[0]["key"], "t");
  EXPECT_EQ(found[1]["key"], "parts");
  EXPECT_EQ(found[1]["template_space"], "X");
  const vantrel::kit::ProcessResult point = vantrel::kit::runProcess(
      VANTREL_ATLAS_BINARY, {"point", "--atlas", "t,parts", "88", "-126", "-72"}, env);
  ASSERT_EQ(point.exitStatus, 0) << point.err;
  EXPECT_EQ(point.err,
            "vantrel-atlas: warning: the atlases come from different template spaces: t in "
            "MNI152NLin6Asym, parts in X\n");
}

}  // namespace
}  // namespace vantrel_atlas::test
