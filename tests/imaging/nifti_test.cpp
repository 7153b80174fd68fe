// Tests of the NIfTI reader and writer on small files made with nifticlib's headers: every type,
// both versions and byte orders, scaling, volumes, transforms, and every refusal.
#include <gtest/gtest.h>
#include <zlib.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <numeric>
#include <stdexcept>
#include <tuple>

#include "imaging/nifti_read.hpp"
#include "imaging/nifti_write.hpp"
#include "tests/imaging/nifti_file.hpp"

namespace imaging {
namespace {

using fixture::MapShape;
constexpr int kNifti1 = NIFTI_FTYPE_NIFTI1_1, kNifti2 = NIFTI_FTYPE_NIFTI2_1;

// Three volumes of 24 voxels, each voxel of volume v holding step * (v + 1).
std::vector<double> threeVolumes(double step) {
  std::vector<double> values(72);
  for (std::size_t i = 0; i < values.size(); ++i) {
    values[i] = step * static_cast<double>(i / 24 + 1);
  }
  return values;
}

class Nifti : public fixture::MapFiles {
 protected:
  std::string contentsOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  // Saves bytes as they are, compressed when the name ends in .gz.
  std::string save(const std::string& name, const std::string& content) {
    const std::string path = (dir_ / name).string();
    gzFile file = gzopen(path.c_str(), name.ends_with(".gz") ? "wb" : "wbT");
    gzwrite(file, content.data(), static_cast<unsigned>(content.size()));
    gzclose(file);
    return path;
  }
  std::string refusal(const std::string& path, const ReadOptions& options) {
    try {
      NiftiReader reader(path, options);
      options.labels ? (void)reader.read<std::uint8_t>() : (void)reader.read<double>();
    } catch (const std::runtime_error& e) {
      return e.what();
    }
    return "accepted";
  }
};

TEST_F(Nifti, ReadsEveryRealTypeInBothVersionsByteOrdersAndCompressions) {
  const std::tuple<int, double, int, bool, const char*> cases[] = {
      {DT_INT8, -100, kNifti1, false, "a.nii"},
      {DT_UINT8, 250, kNifti1, true, "b.nii.gz"},
      {DT_INT16, -30000, kNifti2, true, "c.nii"},
      {DT_UINT16, 60000, kNifti1, false, "d.nii"},
      {DT_INT32, -2e9, kNifti2, false, "e.nii.gz"},
      {DT_UINT32, 4e9, kNifti1, true, "f.nii"},
      {DT_INT64, -1099511627776.0, kNifti1, true, "g.nii"},
      {DT_UINT64, 18014398509481984.0, kNifti2, false, "h.nii"},
      {DT_FLOAT32, -1.5, kNifti1, true, "i.nii.gz"},
      {DT_FLOAT64, 1e-300, kNifti2, true, "j.nii"},
  };
  for (const auto& [datatype, value, niftiType, swapped, name] : cases) {
    std::vector<double> values(24, 7);
    values[23] = value;
    NiftiReader reader(
        writeMap(name, {.datatype = datatype, .niftiType = niftiType, .swapped = swapped}, values));
    const Volume<double> volume = reader.read<double>();
    EXPECT_EQ(volume[0], 7) << name;
    EXPECT_EQ(volume[23], value) << name;
    EXPECT_EQ(volume.grid().size(), (Index3{4, 3, 2})) << name;
    EXPECT_EQ(volume.grid().voxelToWorld()[1][3], -126) << name;
    EXPECT_EQ(reader.header().version, niftiType == kNifti1 ? 1 : 2) << name;
    EXPECT_EQ(reader.header().datatype, nifti_datatype_string(datatype)) << name;
  }
}

TEST_F(Nifti, ReadsLabelsExactlyInTheirStoredTypeAndTheTextBeforeThem) {
  constexpr std::int64_t kWide = (std::int64_t{1} << 62) + 1;  // no double holds it
  const MapShape shape{
      .datatype = DT_INT64,
      .adjust = [](nifti_image& image) { static_cast<std::int64_t*>(image.data)[5] = kWide; },
      .swapped = true,
      .text = "1 Left\n2 Right\n"};
  NiftiReader reader(writeMap("labels.nii.gz", shape, {}), {.labels = true});
  EXPECT_EQ(reader.bytesBeforeVoxels(14), "");
  EXPECT_EQ(reader.bytesBeforeVoxels(15), shape.text);
  EXPECT_EQ(reader.readStored([](const auto& labels) { return std::int64_t(labels[5]); }), kWide);
  EXPECT_EQ(NiftiReader(writeMap("bare.nii", {}, {})).bytesBeforeVoxels(1000), "");
  std::vector<double> values(24, 0);
  values[7] = 255;
  EXPECT_EQ(readVolume<std::uint8_t>(writeMap("u8.nii", {.datatype = DT_UINT8}, values),
                                     {.labels = true})[7],
            255);
}

TEST_F(Nifti, ScalesUnlessTheSlopeIsZeroAndPicksTheVolume) {
  struct Case {
    double slope, inter;
    std::int64_t volume;
    double expected;  // at voxel 5 of the volume
  } cases[] = {{0.5, -1, 0, 49}, {0, 3, 0, 100}, {1, 5, 1, 205}, {2, 1, 2, 601}};
  const std::vector<double> values = threeVolumes(100);
  for (const Case& c : cases) {
    MapShape shape{.nt = 3, .datatype = DT_INT16, .adjust = [&](nifti_image& image) {
                     image.scl_slope = static_cast<float>(c.slope);
                     image.scl_inter = static_cast<float>(c.inter);
                   }};
    const std::string path = writeMap("m.nii.gz", shape, values);
    NiftiReader reader(path, {.volume = c.volume});
    EXPECT_EQ(reader.read<double>()[5], c.expected) << c.slope << " " << c.volume;
    EXPECT_EQ(reader.header().volumes, 3);
    const Volume<double> all = readVolume<double>(path, {.volume = kAllVolumes});
    EXPECT_EQ(all.grid().volumes(), 3);
    EXPECT_EQ(all[static_cast<std::size_t>(24 * c.volume + 5)], c.expected);
  }
}

TEST_F(Nifti, StreamsVolumesOneAtATimeInTheStoredTypeOrScaledAsFloats) {
  struct Case {
    int datatype;
    double slope;
    std::int64_t volume;           // asked for
    std::vector<double> expected;  // voxel 5 of each volume visited, in order
    std::size_t bytesPerValue;     // of the values visited
  } cases[] = {{DT_UINT8, 0, kAllVolumes, {40, 80, 120}, 1},
               {DT_INT16, 0.5, kAllVolumes, {20, 40, 60}, 4},
               {DT_FLOAT64, 1, 1, {80}, 8}};
  const std::vector<double> values = threeVolumes(40);
  for (const Case& c : cases) {
    const MapShape shape{.nt = 3, .datatype = c.datatype, .adjust = [&](nifti_image& image) {
                           image.scl_slope = static_cast<float>(c.slope);
                         }};
    NiftiReader reader(writeMap("m.nii.gz", shape, values), {.volume = c.volume});
    std::vector<double> seen;
    reader.readVolumesAsStored([&](std::int64_t volume, auto span) {
      EXPECT_EQ(volume, static_cast<std::int64_t>(seen.size()));
      EXPECT_EQ(sizeof span[0], c.bytesPerValue);
      seen.push_back(static_cast<double>(span[5]));
    });
    EXPECT_EQ(seen, c.expected) << c.datatype;
  }
  const std::string whole = contentsOf(writeMap("whole.nii", {.nt = 3}, values));
  NiftiReader cut(save("cut.nii.gz", whole.substr(0, whole.size() - 10)), {.volume = kAllVolumes});
  int visited = 0;
  EXPECT_THROW(cut.readVolumes<double>([&](std::int64_t, auto) { ++visited; }), std::runtime_error);
  EXPECT_EQ(visited, 2);
}

TEST_F(Nifti, TakesTheUsableSformElseTheQformAndSaysWhetherTheSpaceIsStandard) {
  struct Case {
    int sformCode;
    bool singularSform;
    int qformCode;
    Transform chosen;  // with its origin 90 for the sform, 5 for the qform
    const char* code;
    bool standard;
  } cases[] = {
      {NIFTI_XFORM_MNI_152, false, NIFTI_XFORM_SCANNER_ANAT, Transform::kSform, "MNI_152", true},
      {NIFTI_XFORM_ALIGNED_ANAT, false, 0, Transform::kSform, "Aligned Anat", false},
      {0, false, NIFTI_XFORM_TALAIRACH, Transform::kQform, "Talairach", true},
      {NIFTI_XFORM_ALIGNED_ANAT, true, NIFTI_XFORM_SCANNER_ANAT, Transform::kQform, "Scanner Anat",
       false},
  };
  for (const Case& c : cases) {
    MapShape shape{.sformCode = c.sformCode, .adjust = [&](nifti_image& image) {
                     image.qform_code = c.qformCode;
                     image.quatern_b = image.quatern_c = image.quatern_d = 0;
                     image.qoffset_x = 5;
                     image.dx = image.dy = image.dz = 3;
                     image.qfac = 1;
                   }};
    if (c.singularSform) {
      shape.sform[2][2] = 0;
    }
    NiftiReader reader(writeMap("t.nii", shape, {}));
    EXPECT_EQ(reader.grid().transform(), c.chosen) << c.code;
    EXPECT_EQ(reader.grid().voxelToWorld()[0][3], c.chosen == Transform::kSform ? 90 : 5) << c.code;
    EXPECT_EQ(reader.header().transformCode, c.code);
    EXPECT_EQ(reader.header().standardSpace, c.standard) << c.code;
  }
}

TEST_F(Nifti, RefusesWhatItCannotReadWithOneLineNamingTheFile) {
  const std::string bytes = contentsOf(writeMap("good.nii", {}, std::vector<double>(24, 1)));
  const auto patched = [&](std::size_t at, const std::string& with) {
    return bytes.substr(0, at) + with + bytes.substr(at + with.size());
  };
  // dim[] holds 16-bit lengths from byte 40, vox_offset is a float at 108, the magic at 344.
  const std::string hugeDims("\x03\0\0\x04\0\x04\0\x04", 8);
  const std::string half = bytes.substr(0, bytes.size() - 10);
  std::string nifti2 = contentsOf(writeMap("two.nii", {.niftiType = kNifti2}, {}));
  const std::int64_t overflowing[4] = {3, std::int64_t{1} << 40, std::int64_t{1} << 40, 1 << 20};
  nifti2.replace(16, sizeof overflowing, reinterpret_cast<const char*>(overflowing),
                 sizeof overflowing);
  const auto scaled = [](nifti_image& image) { image.scl_slope = image.scl_inter = 1; };
  const std::string five("\x05\0\x02\0\x02\0\x02\0\x02\0\x02", 11);
  struct Case {
    std::string path;
    const char* message;
    ReadOptions options{};
  } cases[] = {
      {save("text.nii", std::string(400, 'x')), "not a NIfTI file"},
      {save("short.nii", "x\ty\n"), "shorter than a header"},
      {save("half.nii", half), "more than the file holds"},
      {save("half.nii.gz", half), "ends inside its voxel data"},
      {save("huge.nii", patched(40, hugeDims)), "more than the file holds"},
      {save("huge.nii.gz", patched(40, hugeDims)), "more than the file holds"},
      {save("overflow.nii", nifti2), "overflows"},
      {save("five.nii", patched(40, five)), "more than four dimensions"},
      {save("offset.nii", patched(108, std::string("\0\0\xc8\x42", 4))), "vox_offset"},
      {save("pair.nii", patched(344, std::string("ni1\0", 4))), "two-file"},
      {save("magic.nii", patched(344, std::string("n+2\0", 4))), "bad magic"},
      {writeMap("complex.nii", {.datatype = DT_COMPLEX64}, {}), "COMPLEX64"},
      {writeMap("rgb.nii", {.datatype = DT_RGB24}, {}), "RGB24"},
      {writeMap("bare.nii", {.sformCode = 0}, {}), "neither sform nor qform"},
      {writeMap("one.nii", {}, {}), "volume 1 asked for, the map has 1", {.volume = 1}},
      {writeMap("big.nii", {}, {}), "a volume of 24 voxels is too large", {.maxVoxels = 23}},
      {(dir_ / "missing.nii").string(), "cannot open"},
      {dir_.string(), "is a directory"},
      {writeMap("series.nii", {.nt = 2, .datatype = DT_UINT8}, {}),
       "more than one volume",
       {.labels = true}},
      {writeMap("scaled.nii", {.datatype = DT_UINT8, .adjust = scaled}, {}),
       "labels must not be scaled",
       {.labels = true}},
      {writeMap("float.nii", {}, {}), "FLOAT32, expected integer labels", {.labels = true}},
      {writeMap("wide.nii", {.datatype = DT_INT16}, {}),
       "INT16, expected UINT8 labels",
       {.labels = true}},
  };
  for (const Case& c : cases) {
    const std::string message = refusal(c.path, c.options);
    EXPECT_TRUE(message.starts_with(c.path + ": ")) << message;
    EXPECT_NE(message.find(c.message), std::string::npos) << c.message << " / " << message;
  }
  EXPECT_EQ(refusal(writeMap("fits.nii", {}, {}), {.maxVoxels = 24}), "accepted");
}

TEST_F(Nifti, WritesLabelsWithTheHeaderOfTheirSourceInEitherVersion) {
  for (const std::int64_t nx : {5, 40000}) {
    const MapShape shape{.nx = nx,
                         .nt = 2,
                         .niftiType = nx > 32767 ? kNifti2 : kNifti1,
                         .adjust = [](nifti_image& image) {
                           image.qform_code = NIFTI_XFORM_SCANNER_ANAT;
                           image.qoffset_x = 7;
                           image.qfac = 1;
                         }};
    NiftiReader source(writeMap("stat.nii.gz", shape, {}));
    std::vector<std::int16_t> numbers(static_cast<std::size_t>(source.grid().voxelCount()));
    numbers.back() = -300;
    const std::string path = (dir_ / "labels.nii.gz").string();
    writeLabelsLike(path, Volume<std::int16_t>(source.read<double>().grid(), numbers),
                    source.header(), {"cluster numbers", 300});
    NiftiReader back(path, {.labels = true});
    EXPECT_EQ(back.header().version, nx > 32767 ? 2 : 1);
    EXPECT_EQ(back.header().datatype, "INT16");
    EXPECT_EQ(back.header().volumes, 1);
    EXPECT_EQ(back.grid().voxelToWorld(), source.grid().voxelToWorld());
    EXPECT_EQ(back.read<std::int16_t>().values(), numbers);
    const std::unique_ptr<nifti_image, decltype(&nifti_image_free)> image(
        nifti_image_read(path.c_str(), 0), &nifti_image_free);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->qform_code, NIFTI_XFORM_SCANNER_ANAT);
    EXPECT_EQ(image->qto_xyz.m[0][3], 7);
    EXPECT_EQ(image->intent_code, NIFTI_INTENT_LABEL);
    EXPECT_EQ(image->cal_max, 300);
    EXPECT_STREQ(image->descrip, "cluster numbers");
  }
}

TEST_F(Nifti, WritesFloatVolumesInMemoryThatReadBack) {
  const Grid grid({3, 4, 5}, {{{0, 1.5, 0, -10}, {-2, 0, 0, 4}, {0, 0, 3, 30}}});
  std::vector<float> values(60);
  std::iota(values.begin(), values.end(), -2.5F);
  const std::vector<std::uint8_t> bytes = gzippedNifti(Volume<float>(grid, values), Space::kMni152);
  const std::string path = save("viewer.nii", std::string(bytes.begin(), bytes.end()));
  NiftiReader reader(path);
  EXPECT_EQ(reader.header().transformCode, "MNI_152");
  EXPECT_EQ(reader.header().datatype, "FLOAT32");
  const Volume<double> back = reader.read<double>();
  EXPECT_EQ(back.grid().size(), grid.size());
  EXPECT_EQ(back.grid().voxelToWorld(), grid.voxelToWorld());
  EXPECT_EQ(std::vector<float>(back.values().begin(), back.values().end()), values);
  const Grid tooWide({40000, 1, 1}, grid.voxelToWorld());
  EXPECT_THROW(gzippedNifti(Volume<float>(tooWide, std::vector<float>(40000)), Space::kMni152),
               std::runtime_error);
}

}  // namespace
}  // namespace imaging
