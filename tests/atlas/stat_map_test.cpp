// Tests of the statistical map reader: every datatype and layout, and the files it refuses.
#include "atlas/stat_map.hpp"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "atlas/map_file.hpp"

namespace atlas {
namespace {

using fixture::MapSpec;

class StatMapTest : public fixture::MapFiles {
 protected:
  std::vector<char> bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  std::string rewrite(const std::string& name, const std::vector<char>& bytes, bool gzip) {
    const std::string path = (dir_ / name).string();
    gzFile file = gzopen(path.c_str(), gzip ? "wb" : "wbT");
    gzwrite(file, bytes.data(), static_cast<unsigned>(bytes.size()));
    gzclose(file);
    return path;
  }
  std::string refusalOf(const std::string& path, std::int64_t volume = 0) {
    try {
      readStatMap(path, volume);
    } catch (const std::runtime_error& e) {
      return e.what();
    }
    return "accepted";
  }
};

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
    MapSpec spec{.datatype = c.datatype, .niftiType = c.niftiType};
    std::vector<double> values(24, 7);
    values[23] = c.value;
    const StatMap map = readStatMap(writeMap(c.name, spec, values));
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
    MapSpec spec{.nt = 3, .datatype = DT_INT16, .adjust = [&](nifti_image& image) {
                   image.scl_slope = static_cast<float>(c.slope);
                   image.scl_inter = static_cast<float>(c.inter);
                 }};
    std::vector<double> values(72);
    for (std::size_t i = 0; i < values.size(); ++i) {
      values[i] = 100.0 * static_cast<double>(i / 24 + 1);
    }
    const StatMap map = readStatMap(writeMap("m.nii", spec, values), c.volume);
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
    MapSpec spec{.sformCode = c.sformCode, .adjust = qformOnly(c.qformCode)};
    if (c.singularSform) {
      spec.sform[2][2] = 0;
    }
    const StatMap map = readStatMap(writeMap("t.nii", spec, {}));
    EXPECT_EQ(map.transform, c.transform);
    EXPECT_EQ(map.voxelToWorld[0][3], c.originX);
    EXPECT_EQ(map.standardSpace, c.standard) << c.transform;
  }
}

TEST_F(StatMapTest, RefusesHostileAndUnsupportedFiles) {
  const std::string good = writeMap("good.nii", MapSpec{}, std::vector<double>(24, 1));
  const std::vector<char> bytes = bytesOf(good);
  const auto patched = [&](std::size_t at, std::vector<char> with) {
    std::vector<char> copy = bytes;
    std::copy(with.begin(), with.end(), copy.begin() + static_cast<std::ptrdiff_t>(at));
    return copy;
  };
  // dim[] starts at byte 40 of a NIfTI-1 header: seven 16-bit lengths after the rank.
  const std::vector<char> hugeDims = {3, 0, 4, 4, 4, 4, 4, 4};
  const std::vector<char> fiveDims = {5, 0, 2, 0, 2, 0, 2, 0, 2, 0, 2, 0};
  struct Case {
    std::string path;
    std::int64_t volume;
    const char* reason;
  } cases[] = {
      {rewrite("text.nii", {'x', 'y', 'z'}, false), 0, "not a NIfTI file"},
      {rewrite("short.nii", std::vector<char>(bytes.begin(), bytes.end() - 9), false), 0,
       "more than the file holds"},
      {rewrite("short.nii.gz", std::vector<char>(bytes.begin(), bytes.end() - 9), true), 0,
       "ends inside its voxel data"},
      {rewrite("huge.nii", patched(40, hugeDims), false), 0, "more than the file holds"},
      {rewrite("huge.nii.gz", patched(40, hugeDims), true), 0, "more than the file holds"},
      {rewrite("fived.nii", patched(40, fiveDims), false), 0, "more than four dimensions"},
      {rewrite("magic.nii", patched(344, {'n', 'i', '1', 0}), false), 0, "two-file"},
      {writeMap("complex.nii", MapSpec{.datatype = DT_COMPLEX64}, {}), 0, "COMPLEX64"},
      {writeMap("rgb.nii", MapSpec{.datatype = DT_RGB24}, {}), 0, "RGB24"},
      {good, 1, "volume 1 asked for, the map has 1"},
      {writeMap("bare.nii", MapSpec{.sformCode = 0}, {}), 0, "neither sform nor qform"},
      {(dir_ / "missing.nii").string(), 0, "cannot open"},
  };
  for (const Case& c : cases) {
    EXPECT_NE(refusalOf(c.path, c.volume).find(c.reason), std::string::npos)
        << c.path << ": " << refusalOf(c.path, c.volume);
  }
}

TEST_F(StatMapTest, RefusesDimensionsWhoseProductOverflows) {
  MapSpec spec{.niftiType = NIFTI_FTYPE_NIFTI2_1};
  const std::string good = writeMap("good2.nii", spec, {});
  std::vector<char> bytes = bytesOf(good);
  // NIfTI-2 dim[] is eight 64-bit values from byte 16.
  const std::int64_t dims[5] = {4, std::int64_t{1} << 40, std::int64_t{1} << 40, 1 << 20, 8};
  std::memcpy(bytes.data() + 16, dims, sizeof dims);
  EXPECT_NE(refusalOf(rewrite("overflow.nii", bytes, false)).find("overflows"), std::string::npos);
}

}  // namespace
}  // namespace atlas
