// Tests of loading atlases in every form: the label at a voxel, the names, the finest of an FSL
// atlas's resolutions, and the Debian aal given as an FSL atlas and as a TemplateFlow one
// answering exactly as the built-in one.
#include "atlas/atlas_loading.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <tuple>
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
  // The path, key, form, the name of value 5, how many files and the voxel size.
  const std::vector<
      std::tuple<std::string, std::string, AtlasForm, std::string, std::size_t, double>>
      cases = {
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
  for (const auto& [path, key, form, name5, files, voxelMm] : cases) {
    SCOPED_TRACE(path);
    const LabelAtlas atlas = loadAtlas(describeAtlasFile(path, ""));
    EXPECT_EQ(atlas.description().key, key);
    EXPECT_EQ(atlas.description().form, form);
    EXPECT_EQ(atlas.description().files.size(), files);
    EXPECT_EQ(atlas.grid().voxelSize()[0], voxelMm);
    ASSERT_EQ(atlas.provenance().labels, 2U);
    EXPECT_EQ(atlas.indexAt({0, 0, 0}), 0);
    EXPECT_EQ(atlas.label(atlas.indexAt({1, 0, 0})).value, 3);
    const AtlasLabel& five = atlas.label(atlas.indexAt({2, 0, 0}));
    EXPECT_EQ(std::pair(five.value, five.name), std::pair(std::int64_t{5}, name5));
  }
}

TEST_F(AtlasForms, TheAalAsFslAndTemplateFlowAnswersAsTheBuiltInOne) {
  ATLAS_SKIP_WITHOUT_DATA();
  fixture::writeAalForms(dir_);
  const std::vector<ChosenAtlas> chosen = {
      {findAtlasEntry("aal"), {}},
      {nullptr, describeAtlasFile((dir_ / "aal.xml").string(), "")},
      {nullptr,
       describeAtlasFile((dir_ / "tpl-MNIColin27_res-1_atlas-AAL_dseg.nii.gz").string(), "")}};
  const vantrel_atlas::LoadedAtlases atlases(chosen, ATLAS_TEST_DATA_DIR, {10, 4}, {});
  std::mt19937 random(19);
  std::uniform_real_distribution<double> x(-80, 80), y(-110, 80), z(-60, 85);
  for (int i = 0; i < 300; ++i) {
    const imaging::Vec3 point{x(random), y(random), z(random)};
    const vantrel_atlas::PointAnswer answer = atlases.labelMni(point);
    // Atlas a's answer, by names: its label, its nearest and how far, how many within.
    const auto byName = [&](std::size_t a) {
      const auto named = [&](std::uint16_t index) {
        return index == 0 ? std::string("-") : atlases.atlases()[a].label(index).name;
      };
      const auto& one = answer.atlases[a];
      return std::tuple(named(one.label), one.nearest ? named(one.nearest->index) : "",
                        one.nearest ? one.nearest->distanceMm : -1.0, one.within.size());
    };
    SCOPED_TRACE(::testing::Message() << point[0] << " " << point[1] << " " << point[2]);
    EXPECT_EQ(byName(1), byName(0));
    EXPECT_EQ(byName(2), byName(0));
  }
}

}  // namespace
}  // namespace atlas
