// Tests of the statistical map reader: every datatype and layout, and the files it refuses.
#include "maps/stat_map.hpp"

#include <gtest/gtest.h>

#include "tests/maps/map_file.hpp"

namespace atlas {
namespace {

using fixture::MapShape;

class StatMapTest : public fixture::MapFiles {};

TEST_F(StatMapTest, ReadsEveryRealTypeInBothVersionsAndCompressions) {
  struct Case {
    int datatype;
    double value;
    int niftiType;
    const char* name;
  } cases[] = {
      {DT_INT8, -100, NIFTI_FTYPE_NIFTI1_1, "a.nii"},
      {DT_UINT8, 250, NIFTI_FTYPE_NIFTI1_1, "b.nii.gz"},
      {DT_INT16, -30000, NIFTI_FTYPE_NIFTI2_1, "c.nii"},
      {DT_UINT16, 60000, NIFTI_FTYPE_NIFTI1_1, "d.nii"},
      {DT_INT32, -2e9, NIFTI_FTYPE_NIFTI2_1, "e.nii.gz"},
      {DT_UINT32, 4e9, NIFTI_FTYPE_NIFTI1_1, "f.nii"},
      {DT_INT64, -1099511627776.0, NIFTI_FTYPE_NIFTI1_1, "g.nii"},
      {DT_UINT64, 18014398509481984.0, NIFTI_FTYPE_NIFTI2_1, "h.nii"},
      {DT_FLOAT32, -1.5, NIFTI_FTYPE_NIFTI1_1, "i.nii.gz"},
      {DT_FLOAT64, 1e-300, NIFTI_FTYPE_NIFTI2_1, "j.nii"},
  };
  for (const Case& c : cases) {
    MapShape shape{.datatype = c.datatype, .niftiType = c.niftiType};
    std::vector<double> values(24, 7);
    values[23] = c.value;
    const StatMap map = readStatMap(writeMap(c.name, shape, values));
    EXPECT_EQ(map.values.front(), 7) << c.name;
    EXPECT_EQ(map.values.back(), c.value) << c.name;
    EXPECT_EQ(map.niftiVersion, c.niftiType == NIFTI_FTYPE_NIFTI1_1 ? 1 : 2) << c.name;
  }
}

TEST_F(StatMapTest, AppliesSlopeAndPicksTheVolume) {
  struct Case {
    double slope, inter;
    std::int64_t volume;
    double expected;
  } cases[] = {{0.5, -1, 0, 49}, {0, 3, 0, 100}, {1, 0, 1, 200}, {2, 1, 2, 601}};
  for (const Case& c : cases) {
    MapShape shape{.nt = 3, .datatype = DT_INT16, .adjust = [&](nifti_image& image) {
                     image.scl_slope = static_cast<float>(c.slope);
                     image.scl_inter = static_cast<float>(c.inter);
                   }};
    std::vector<double> values(72);
    for (std::size_t i = 0; i < values.size(); ++i) {
      values[i] = 100.0 * static_cast<double>(i / 24 + 1);
    }
    const StatMap map = readStatMap(writeMap("m.nii", shape, values), c.volume);
    EXPECT_EQ(map.values[5], c.expected) << c.slope << " " << c.volume;
    EXPECT_EQ(map.volumes, 3);
  }
}

TEST_F(StatMapTest, UsesTheSformElseTheQformAndSaysWhetherTheSpaceIsStandard) {
  const auto qformOnly = [](int qcode) {
    return [qcode](nifti_image& image) {
      image.qform_code = qcode;
      image.quatern_b = image.quatern_c = image.quatern_d = 0;
      image.qoffset_x = 5;
      image.dx = image.dy = image.dz = 3;
      image.qfac = 1;
    };
  };
  struct Case {
    int sformCode;
    bool singularSform;
    int qformCode;
    const char* transform;
    double originX;
    bool standard;
  } cases[] = {
      {NIFTI_XFORM_MNI_152, false, NIFTI_XFORM_SCANNER_ANAT, "sform", 90, true},
      {NIFTI_XFORM_ALIGNED_ANAT, false, NIFTI_XFORM_SCANNER_ANAT, "sform", 90, false},
      {0, false, NIFTI_XFORM_TALAIRACH, "qform", 5, true},
      {NIFTI_XFORM_ALIGNED_ANAT, true, NIFTI_XFORM_SCANNER_ANAT, "qform", 5, false},
  };
  for (const Case& c : cases) {
    MapShape shape{.sformCode = c.sformCode, .adjust = qformOnly(c.qformCode)};
    if (c.singularSform) {
      shape.sform[2][2] = 0;
    }
    const StatMap map = readStatMap(writeMap("t.nii", shape, {}));
    EXPECT_EQ(map.transform, c.transform);
    EXPECT_EQ(map.voxelToWorld[0][3], c.originX);
    EXPECT_EQ(map.standardSpace, c.standard) << c.transform;
  }
}

}  // namespace
}  // namespace atlas
