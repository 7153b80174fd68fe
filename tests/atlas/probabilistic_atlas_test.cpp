// Tests of loading probabilistic atlases: FSL-style percentages in uint8 with a summary image,
// TemplateFlow-style fractions in float without one, and the atlases refused.
#include "atlas/probabilistic_atlas.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "tests/imaging/nifti_file.hpp"

namespace atlas {
namespace {

constexpr std::size_t kVoxels = 24, kRegions = 3;

// Volume r at voxel v holds 0, 1, 2 or 3 quarters, so voxels hold ties and empty voxels.
double quarters(std::size_t voxel, std::size_t region) {
  return static_cast<double>((voxel + 2 * region) % 4);
}

class ProbabilisticAtlasLoad : public imaging::fixture::MapFiles {
 protected:
  std::string writeProbabilities(const std::string& name, int datatype, double quarter,
                                 std::int64_t volumes = kRegions) {
    std::vector<double> values;
    for (std::size_t region = 0; region < static_cast<std::size_t>(volumes); ++region) {
      for (std::size_t voxel = 0; voxel < kVoxels; ++voxel) {
        values.push_back(quarters(voxel, region) * quarter);
      }
    }
    return writeMap(name, {.nt = volumes, .datatype = datatype}, values);
  }
  // FSL's summary values are index + 1: here voxel v names index v % 4 - 1.
  std::string writeSummary(const std::string& name, std::int64_t nx = 4, double value = 0) {
    std::vector<double> values;
    for (std::size_t voxel = 0; voxel < kVoxels; ++voxel) {
      values.push_back(value != 0 && voxel == 5 ? value : static_cast<double>(voxel % 4));
    }
    return writeMap(name, {.nx = nx, .datatype = DT_UINT8}, values);
  }
  AtlasSource fsl() {
    AtlasSource source;
    source.form = AtlasForm::kFsl;
    source.type = AtlasType::kProbabilistic;
    source.description = (dir_ / "fsl.xml").string();
    source.image = writeProbabilities("fsl.nii.gz", DT_UINT8, 25);
    source.summary = writeSummary("fsl-summary.nii.gz");
    source.regions = {{2, "C"}, {0, "A"}, {1, "B"}};
    source.summaryIsIndexPlusOne = true;
    return source;
  }
};

// The expected ranking at a voxel: positions by quarters, highest first, ties by position.
std::vector<std::pair<std::uint16_t, double>> expectedAt(std::size_t voxel) {
  std::vector<std::pair<std::uint16_t, double>> expected;
  for (std::uint16_t region = 0; region < kRegions; ++region) {
    if (quarters(voxel, region) > 0) {
      expected.emplace_back(region, 25 * quarters(voxel, region));
    }
  }
  std::stable_sort(expected.begin(), expected.end(),
                   [](const auto& a, const auto& b) { return a.second > b.second; });
  return expected;
}

TEST_F(ProbabilisticAtlasLoad, ReadsPercentagesOrFractionsAsPercentInVolumeOrder) {
  AtlasSource templateFlow;
  templateFlow.form = AtlasForm::kTemplateFlow;
  templateFlow.type = AtlasType::kProbabilistic;
  templateFlow.image = writeProbabilities("tpl_probseg.nii", DT_FLOAT32, 0.25);
  templateFlow.regions = {{10, "X"}, {5, "Y"}, {7, "Z"}};
  const ProbabilisticAtlas fslAtlas = loadProbabilisticAtlas(fsl());
  const ProbabilisticAtlas tfAtlas = loadProbabilisticAtlas(templateFlow);
  EXPECT_EQ(fslAtlas.regions[0].name, "A");  // an FSL atlas's regions are its volumes by index
  EXPECT_EQ(fslAtlas.regions[2].name, "C");
  EXPECT_EQ(tfAtlas.regions[0].name, "X");  // the others' are in their table's order
  for (const ProbabilisticAtlas* atlas : {&fslAtlas, &tfAtlas}) {
    for (std::size_t voxel = 0; voxel < kVoxels; ++voxel) {
      std::vector<std::pair<std::uint16_t, double>> got;
      for (const RegionProbability& p :
           atlas->probabilities->at(static_cast<std::int64_t>(voxel))) {
        got.emplace_back(p.region, p.percent());
      }
      EXPECT_EQ(got, expectedAt(voxel)) << voxel;
    }
  }
  const imaging::Vec3 voxel7 = fslAtlas.grid().worldOfLinear(7);
  EXPECT_EQ(probabilitiesAt(fslAtlas, voxel7).size(), expectedAt(7).size());
  EXPECT_TRUE(probabilitiesAt(fslAtlas, {500, 0, 0}).empty());
  for (std::size_t voxel = 0; voxel < kVoxels; ++voxel) {
    EXPECT_EQ(fslAtlas.summary[voxel], voxel % 4) << voxel;  // the summary image's own
    const auto ranked = expectedAt(voxel);
    EXPECT_EQ(tfAtlas.summary[voxel], ranked.empty() ? 0 : ranked.front().first + 1) << voxel;
  }
  EXPECT_EQ(fslAtlas.grid().volumes(), 1);
}

TEST_F(ProbabilisticAtlasLoad, RefusesAnAtlasWhoseFilesDisagreeNamingTheFile) {
  AtlasSource fourVolumes = fsl(), notVolumes = fsl(), otherGrid = fsl(), strayValue = fsl();
  fourVolumes.image = writeProbabilities("four.nii", DT_UINT8, 25, 4);
  notVolumes.regions = {{1, "A"}, {2, "B"}, {3, "C"}};
  otherGrid.summary = writeSummary("wide.nii", 5);
  strayValue.summary = writeSummary("stray.nii", 4, 9);
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
