// Tests of --atlas-file and the atlas search path through the built program: atlases refused
// with one line and no output left behind, and atlases found, listed and chosen by key.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "tests/imaging/nifti_file.hpp"
#include "tests/vantrel-atlas/atlas_program.hpp"

namespace vantrel_atlas::test {
namespace {

namespace fs = std::filesystem;

std::string fslXml(const std::string& type, const std::string& images, const std::string& label) {
  return "<?xml version=\"1.0\"?>\n<atlas><header><shortname>T</shortname><type>" + type +
         "</type><images>" + images + "</images></header><data><label index=\"" + label +
         "\">One</label></data></atlas>\n";
}

class AtlasFiles : public imaging::fixture::MapFiles {
 protected:
  void SetUp() override {
    MapFiles::SetUp();
    // A 4x3x2 label image of values 0, 1 and 2, and a 4D image of two volumes of percentages.
    std::vector<double> labels, prob(48, 30);
    for (int v = 0; v < 24; ++v)
      labels.push_back(v % 3);
    writeMap("labels.nii", {.datatype = DT_UINT8}, labels);
    writeMap("prob.nii", {.nt = 2, .datatype = DT_UINT8}, prob);
  }
  std::string write(const std::string& name, const std::string& text) {
    std::ofstream((dir_ / name).string()) << text;
    return (dir_ / name).string();
  }
};

// Each way of failing to read an atlas once: its XML, its images, and two atlases of one key.
// The FSL description's own refusals are the atlas library's tests.
TEST_F(AtlasFiles, BadAtlasesAreRefusedWithOneLineNamingTheFileAndNoOutput) {
  const std::string truncated = writeMap("short.nii", {.datatype = DT_INT16}, {});
  fs::resize_file(truncated, 360);
  const std::string broken = write("broken.xml", "<atlas><header>");
  const std::string a = write("a.xml", fslXml("Label", "<imagefile>/labels</imagefile>", "1"));
  const std::string b = write("b.xml", fslXml("Label", "<imagefile>/labels</imagefile>", "1"));
  const std::string noImage =
      write("none.xml", fslXml("Label", "<imagefile>/none</imagefile>", "1"));
  const std::string prob = write(
      "prob.xml",
      fslXml("Probabilistic",
             "<imagefile>/prob</imagefile><summaryimagefile>/labels</summaryimagefile>", "0"));
  // The --atlas-file arguments, the file the error names and its reason.
  const std::tuple<std::vector<std::string>, std::string, std::string> cases[] = {
      {{broken}, broken, "broken.xml:"},
      {{noImage}, noImage, "the image none is missing"},
      {{prob}, (dir_ / "prob.nii").string(), "2 volumes for 1 regions"},
      {{truncated}, truncated, truncated},
      {{a, b}, a, "'t': " + a + " and " + b},
  };
  for (const auto& [files, file, reason] : cases) {
    SCOPED_TRACE(reason);
    std::vector<std::string> args{"point", "--figures", (dir_ / "out").string()};
    for (const std::string& atlas : files)
      args.insert(args.end(), {"--atlas-file", atlas});
    args.insert(args.end(), {"0", "0", "0"});
    const auto run = runAtlas(args);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.out, "");
    // One line, and a usage error's pointer to the help.
    const std::string first = run.err.substr(0, run.err.find('\n') + 1);
    EXPECT_TRUE(run.err == first || run.err == first + "Run with --help for more information.\n")
        << run.err;
    EXPECT_NE(first.find(file), std::string::npos) << run.err;
    EXPECT_NE(first.find(reason), std::string::npos) << run.err;
    EXPECT_TRUE(!fs::exists(dir_ / "out") || fs::is_empty(dir_ / "out"));
  }
}

TEST_F(AtlasFiles, AtlasesFoundInTheSearchPathAreListedAndChosenByKeyWithOneSpaceWarning) {
  write("p.xml", fslXml("Label", "<imagefile>/labels</imagefile>", "1"));
  fs::create_directories(dir_ / "tpl-X");
  fs::copy_file(dir_ / "labels.nii", dir_ / "tpl-X" / "tpl-X_res-2_atlas-Parts_dseg.nii");
  write("tpl-X/tpl-X_atlas-Parts_dseg.tsv", "index\tname\n1\tOne\n2\tTwo\n");
  const std::vector<std::string> env = {"VANTREL_ATLAS_PATH=" + dir_.string(), "FSLDIR="};
  const vantrel::kit::ProcessResult list =
      runAtlas({"list", "--atlas-file", (dir_ / "labels.nii").string(), "--format", "json"}, env);
  ASSERT_EQ(list.exitStatus, 0) << list.err;
  const nlohmann::json found = jsonRecords(list.out).at(0)["found"];
  ASSERT_EQ(found.size(), 2U) << found;
  EXPECT_EQ(found[0]["key"], "t");
  EXPECT_EQ(found[1]["key"], "parts");
  EXPECT_EQ(found[1]["template_space"], "X");
  const vantrel::kit::ProcessResult point =
      runAtlas({"point", "--atlas", "t,parts", "88", "-126", "-72"}, env);
  ASSERT_EQ(point.exitStatus, 0) << point.err;
  EXPECT_EQ(point.err,
            "vantrel-atlas: warning: the atlases come from different template spaces: t in "
            "MNI152NLin6Asym, parts in X\n");
}

}  // namespace
}  // namespace vantrel_atlas::test
