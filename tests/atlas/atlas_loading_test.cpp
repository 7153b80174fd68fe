// Tests of loading atlases in every form: the label at a voxel, the names, the finest of an FSL
// atlas's resolutions, and the Debian aal given as an FSL atlas and as a TemplateFlow one
// answering exactly as the built-in one.
#include "atlas/atlas_loading.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "atlas/labelling.hpp"
#include "tests/atlas/atlas_fixture.hpp"
#include "tests/imaging/nifti_file.hpp"

namespace atlas {
namespace {

namespace fs = std::filesystem;

class AtlasForms : public imaging::fixture::MapFiles {
 protected:
  std::string write(const std::string& name, const std::string& text) {
    fs::create_directories((dir_ / name).parent_path());
    std::ofstream((dir_ / name).string()) << text;
    return (dir_ / name).string();
  }
  // Values 0, 3 and 5 by voxel, on a grid of 2 mm voxels or, `fine`, 1 mm ones.
  std::string writeLabels(const std::string& name, bool fine = false) {
    std::vector<double> values;
    for (int v = 0; v < 24; ++v) {
      values.push_back(v % 3 == 0 ? 0 : v % 3 == 1 ? 3 : 5);
    }
    imaging::fixture::MapShape shape{.datatype = DT_INT16};
    if (fine) {
      shape.sform[0][0] = -1;
    }
    fs::create_directories((dir_ / name).parent_path());
    return writeMap(name, shape, values);
  }
};

TEST_F(AtlasForms, EveryFormLoadsItsLabelsKeyAndFiles) {
  writeLabels("fsl/coarse.nii");
  writeLabels("fsl/fine.nii", true);
  write("tf/tpl-X_atlas-Parts_desc-Two_dseg.tsv",
        "index\tname\tcolor\n3\tThree\t#fff\n5\tFive\t#000\n");
  write("lut/parts.tsv", "value\tlabel\n");  // no index and name columns: not a label table
  write("lut/parts.txt", "# FreeSurfer form\n3 Three 1 2 3 0\n5 Five 4 5 6 0\n");
  struct Case {
    std::string path;
    std::string key;
    AtlasForm form;
    std::string name5;  // the name of value 5
    std::size_t files;
    double voxelMm;
  };
  const std::vector<Case> cases = {
      {write("fsl/parts.xml",
             "<atlas><header><shortname>FP</shortname><type>Label</type><images><imagefile>"
             "/coarse</imagefile></images><images><imagefile>/fine</imagefile></images>"
             "</header><data><label index=\"3\">Three</label><label index=\"5\">Five</label>"
             "</data></atlas>"),
       "fp", AtlasForm::kFsl, "Five", 2, 1},
      {writeLabels("tf/tpl-X_res-2_atlas-Parts_desc-Two_dseg.nii"), "parts-two",
       AtlasForm::kTemplateFlow, "Five", 2, 2},
      {writeLabels("lut/parts.nii"), "parts", AtlasForm::kTable, "Five", 2, 2},
      {writeLabels("bare/parts.nii"), "parts", AtlasForm::kTable, "5", 1, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const LabelAtlas atlas = loadAtlas(describeAtlasFile(c.path, ""));
    EXPECT_EQ(atlas.description().key, c.key);
    EXPECT_EQ(atlas.description().form, c.form);
    EXPECT_EQ(atlas.description().files.size(), c.files);
    EXPECT_EQ(atlas.grid().voxelSize()[0], c.voxelMm);
    ASSERT_EQ(atlas.provenance().labels, 2U);
    EXPECT_EQ(atlas.indices().at({0, 0, 0}), 0);
    EXPECT_EQ(atlas.label(atlas.indices().at({1, 0, 0})).value, 3);
    const AtlasLabel& five = atlas.label(atlas.indices().at({2, 0, 0}));
    EXPECT_EQ(five.value, 5);
    EXPECT_EQ(five.name, c.name5);
  }
}

// The aal's "value name code" lines, as an FSL atlas and as a TemplateFlow TSV.
void writeAalForms(const fs::path& dir) {
  const fs::path data(ATLAS_TEST_DATA_DIR);
  std::ifstream table(data / "aal.nii.txt");
  std::string xml =
      "<atlas><header><shortname>aalfsl</shortname><type>Label</type><images>"
      "<imagefile>/aal</imagefile></images></header><data>";
  std::string tsv = "index\tname\n";
  std::int64_t value = 0;
  std::string name, code;
  while (table >> value >> name >> code) {
    xml += "<label index=\"" + std::to_string(value) + "\">" + name + "</label>";
    tsv += std::to_string(value) + "\t" + name + "\n";
  }
  std::ofstream(dir / "aal.xml") << xml << "</data></atlas>\n";
  std::ofstream(dir / "tpl-MNIColin27_atlas-AAL_dseg.tsv") << tsv;
  fs::create_symlink(data / "aal.nii.gz", dir / "aal.nii.gz");
  fs::create_symlink(data / "aal.nii.gz", dir / "tpl-MNIColin27_res-1_atlas-AAL_dseg.nii.gz");
}

TEST_F(AtlasForms, TheAalAsFslAndTemplateFlowAnswersAsTheBuiltInOne) {
  ATLAS_SKIP_WITHOUT_DATA();
  writeAalForms(dir_);
  const std::vector<ChosenAtlas> chosen = {
      {findAtlasEntry("aal"), {}},
      {nullptr, describeAtlasFile((dir_ / "aal.xml").string(), "")},
      {nullptr,
       describeAtlasFile((dir_ / "tpl-MNIColin27_res-1_atlas-AAL_dseg.nii.gz").string(), "")}};
  const vantrel_atlas::LoadedAtlases atlases(chosen, ATLAS_TEST_DATA_DIR, {10, 4}, false);
  std::mt19937 random(19);
  std::uniform_real_distribution<double> x(-80, 80), y(-110, 80), z(-60, 85);
  for (int i = 0; i < 300; ++i) {
    const imaging::Vec3 point{x(random), y(random), z(random)};
    const vantrel_atlas::PointAnswer answer = atlases.labelMni(point);
    const auto named = [&](std::size_t a, std::uint16_t index) {
      return index == 0 ? std::string("-") : atlases.atlases()[a].label(index).name;
    };
    for (std::size_t a = 1; a < 3; ++a) {
      SCOPED_TRACE(std::to_string(point[0]) + " " + std::to_string(point[1]) + " " +
                   std::to_string(point[2]));
      EXPECT_EQ(named(a, answer.atlases[a].label), named(0, answer.atlases[0].label));
      ASSERT_EQ(answer.atlases[a].nearest.has_value(), answer.atlases[0].nearest.has_value());
      if (answer.atlases[0].nearest) {
        EXPECT_EQ(named(a, answer.atlases[a].nearest->index),
                  named(0, answer.atlases[0].nearest->index));
        EXPECT_EQ(answer.atlases[a].nearest->distanceMm, answer.atlases[0].nearest->distanceMm);
      }
      ASSERT_EQ(answer.atlases[a].within.size(), answer.atlases[0].within.size());
    }
  }
}

}  // namespace
}  // namespace atlas
