// Tests of loading probabilistic atlases: FSL-style percentages in uint8 with a summary image,
// TemplateFlow-style fractions in float without one, and the atlases refused.
#include "atlas/probabilistic_atlas.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "tests/imaging/nifti_file.hpp"

namespace atlas {
namespace {

// Volume r holds (v + 2r) % 4 quarters at voxel v of 24: ties, and voxels of no region.
double quarters(std::size_t voxel, std::size_t region) {
  return static_cast<double>((voxel + 2 * region) % 4);
}

class ProbabilisticAtlasLoad : public imaging::fixture::MapFiles {
 protected:
  std::string writeQuarters(const std::string& name, int datatype, double quarter,
                            std::int64_t volumes = 3) {
    std::vector<double> values;
    for (std::size_t v = 0; v < 24 * static_cast<std::size_t>(volumes); ++v) {
      values.push_back(quarters(v % 24, v / 24) * quarter);
    }
    return writeMap(name, {.nt = volumes, .datatype = datatype}, values);
  }
  // As FSL lays it out, with a summary of index + 1 = v % 4 at voxel v, `stray` at voxel 5.
  AtlasSource fsl(std::int64_t summaryNx = 4, double stray = 1) {
    std::vector<double> summary;
    for (std::size_t v = 0; v < 24; ++v) {
      summary.push_back(v == 5 ? stray : static_cast<double>(v % 4));
    }
    AtlasSource source;
    source.form = AtlasForm::kFsl;
    source.description = (dir_ / "fsl.xml").string();
    source.image = writeQuarters("fsl.nii.gz", DT_UINT8, 25);
    source.summary = writeMap("summary" + std::to_string(++summaries_) + ".nii",
                              {.nx = summaryNx, .datatype = DT_UINT8}, summary);
    source.regions = {{2, "C"}, {0, "A"}, {1, "B"}};
    source.summaryIsIndexPlusOne = true;
    return source;
  }
  int summaries_ = 0;
};

TEST_F(ProbabilisticAtlasLoad, ReadsPercentagesOrFractionsAsPercentInVolumeOrder) {
  AtlasSource templateFlow;
  templateFlow.form = AtlasForm::kTemplateFlow;
  templateFlow.image = writeQuarters("tpl_probseg.nii", DT_FLOAT32, 0.25);
  templateFlow.regions = {{10, "X"}, {5, "Y"}, {7, "Z"}};
  const ProbabilisticAtlas fslAtlas = loadProbabilisticAtlas(fsl());
  const ProbabilisticAtlas tfAtlas = loadProbabilisticAtlas(templateFlow);
  EXPECT_EQ(fslAtlas.regions[0].name, "A");  // an FSL atlas's volumes are its indices
  EXPECT_EQ(tfAtlas.regions[0].name, "X");   // the others' are in their table's order
  for (std::size_t voxel = 0; voxel < 24; ++voxel) {
    std::vector<std::pair<double, std::uint16_t>> expected;  // minus the percent, the region
    for (std::uint16_t region = 0; region < 3; ++region) {
      if (quarters(voxel, region) > 0) {
        expected.emplace_back(-25 * quarters(voxel, region), region);
      }
    }
    std::sort(expected.begin(), expected.end());
    for (const ProbabilisticAtlas* atlas : {&fslAtlas, &tfAtlas}) {
      std::vector<std::pair<double, std::uint16_t>> got;
      for (const RegionProbability& p :
           probabilitiesAt(*atlas, atlas->grid().worldOfLinear(static_cast<std::int64_t>(voxel)))) {
        got.emplace_back(-p.percent(), p.region);
      }
      EXPECT_EQ(got, expected) << voxel;
    }
    EXPECT_EQ(fslAtlas.summary[voxel], voxel % 4) << voxel;  // its own summary image
    EXPECT_EQ(tfAtlas.summary[voxel], expected.empty() ? 0 : expected[0].second + 1) << voxel;
  }
}

TEST_F(ProbabilisticAtlasLoad, RefusesAnAtlasWhoseFilesDisagreeNamingTheFile) {
  AtlasSource fourVolumes = fsl(), notVolumes = fsl();
  fourVolumes.image = writeQuarters("four.nii", DT_UINT8, 25, 4);
  notVolumes.regions = {{1, "A"}, {2, "B"}, {3, "C"}};
  const AtlasSource otherGrid = fsl(5), strayValue = fsl(4, 9);
  const struct Case {
    const AtlasSource& source;
    std::string file, expected;
  } cases[] = {
      {fourVolumes, fourVolumes.image, "4 volumes for 3 regions"},
      {notVolumes, notVolumes.description, "region index 1 is not a volume of its image (0 to 2)"},
      {otherGrid, otherGrid.summary, "its grid is not that of"},
      {strayValue, strayValue.summary, "the value 9 names no region"},
  };
  for (const Case& c : cases) {
    try {
      loadProbabilisticAtlas(c.source);
      ADD_FAILURE() << "accepted: " << c.expected;
    } catch (const std::runtime_error& e) {
      EXPECT_TRUE(std::string(e.what()).starts_with(c.file + ": " + c.expected)) << e.what();
    }
  }
}

}  // namespace
}  // namespace atlas
