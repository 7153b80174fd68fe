// Tests of atlases read through the cache: every form answers as it does from its files, and a
// compiled atlas found corrupt only when a block is read is removed and answered around.
#include "atlas/cached_atlas.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <tuple>

#include "atlas/atlas_loading.hpp"
#include "atlas/labelling.hpp"
#include "tests/atlas/atlas_fixture.hpp"
#include "tests/imaging/nifti_file.hpp"

namespace atlas {
namespace {

namespace fs = std::filesystem;
using vantrel_atlas::LoadedAtlases;
using vantrel_atlas::LoadOptions;

class CachedAtlases : public imaging::fixture::MapFiles {
 protected:
  cache::Store store(std::vector<std::string>* warnings) const {
    return cache::Store({true, dir_ / "cache", std::nullopt,
                         [warnings](const std::string& line) { warnings->push_back(line); }});
  }

  // The aal as the catalogue gives it, as an FSL atlas and as a TemplateFlow dseg, and a
  // TemplateFlow probseg of three regions on a small grid.
  std::vector<ChosenAtlas> everyForm() {
    fixture::writeAalForms(dir_);
    std::ofstream(dir_ / "tpl-X_atlas-Parts_probseg.tsv") << "index\tname\n1\tA\n2\tB\n3\tC\n";
    std::vector<double> values;
    for (std::size_t v = 0; v < 3 * 1000; ++v) {
      values.push_back(static_cast<double>((v * 7919) % 13) / 12);
    }
    writeMap("tpl-X_res-2_atlas-Parts_probseg.nii",
             {.nx = 10, .ny = 10, .nz = 10, .nt = 3, .datatype = DT_FLOAT32}, values);
    return {
        {findAtlasEntry("aal"), {}},
        {nullptr, describeAtlasFile((dir_ / "aal.xml").string(), "")},
        {nullptr,
         describeAtlasFile((dir_ / "tpl-MNIColin27_res-1_atlas-AAL_dseg.nii.gz").string(), "")},
        {nullptr, describeAtlasFile((dir_ / "tpl-X_res-2_atlas-Parts_probseg.nii").string(), "")}};
  }
};

// Everything a point's answer says, by compact index.
auto everythingOf(const vantrel_atlas::AtlasAnswer& a) {
  std::vector<std::pair<int, int>> probabilities;
  for (const RegionProbability& p : a.probabilities) {
    probabilities.emplace_back(p.region, p.centiPercent);
  }
  return std::tuple(a.label, a.nearest, a.within, probabilities);
}

// Points over the brain, and over the probabilistic atlas's small grid.
std::vector<imaging::Vec3> somePoints() {
  std::mt19937 random(20);
  std::uniform_real_distribution<double> x(-80, 80), y(-110, 80), z(-60, 85), u(-4, 24);
  std::vector<imaging::Vec3> points;
  for (int i = 0; i < 150; ++i) {
    points.push_back({x(random), y(random), z(random)});
    points.push_back({70 + u(random), -128 + u(random), -74 + u(random)});
  }
  return points;
}

TEST_F(CachedAtlases, EveryFormAnswersFromTheCacheAsFromItsFiles) {
  ATLAS_SKIP_WITHOUT_DATA();
  const std::vector<ChosenAtlas> chosen = everyForm();
  std::vector<std::string> warnings;
  const cache::Store cache = store(&warnings);
  for (const bool manyPoints : {false, true}) {
    SCOPED_TRACE(manyPoints ? "with maps" : "searching");
    const LoadedAtlases files(chosen, ATLAS_TEST_DATA_DIR, {10, 4}, {.manyPoints = manyPoints});
    // Compiled by the first pass, read by every later one.
    const LoadedAtlases cached(chosen, ATLAS_TEST_DATA_DIR, {10, 4},
                               {.manyPoints = manyPoints, .cache = &cache});
    for (const LabelAtlas& a : cached.atlases()) {
      EXPECT_EQ(a.description().cache, manyPoints ? "read" : "compiled");
      EXPECT_EQ(a.description().files.front().sha256, a.provenance().sha256);
    }
    for (const imaging::Vec3& point : somePoints()) {
      const vantrel_atlas::PointAnswer fromFiles = files.labelMni(point);
      const vantrel_atlas::PointAnswer fromCache = cached.labelMni(point);
      for (std::size_t a = 0; a < chosen.size(); ++a) {
        ASSERT_EQ(everythingOf(fromCache.atlases[a]), everythingOf(fromFiles.atlases[a]))
            << "atlas " << a << " at " << point[0] << " " << point[1] << " " << point[2];
      }
    }
  }
  EXPECT_EQ(warnings, std::vector<std::string>{});
}

TEST_F(CachedAtlases, ACacheThatCanKeepNothingMeansReadingTheFilesWithOneWarning) {
  ATLAS_SKIP_WITHOUT_DATA();
  std::vector<std::string> warnings;
  const cache::Store cache({true, fs::path("/proc/vantrel"), std::nullopt,
                            [&warnings](const std::string& line) { warnings.push_back(line); }});
  const std::vector<ChosenAtlas> two = {{findAtlasEntry("aal"), {}}, {findAtlasEntry("aicha"), {}}};
  const LoadedAtlases atlases(two, ATLAS_TEST_DATA_DIR, {10, 4}, {.cache = &cache});
  for (const LabelAtlas& a : atlases.atlases()) {
    EXPECT_EQ(a.description().cache, "off");
  }
  ASSERT_EQ(warnings.size(), 1U);
  EXPECT_TRUE(warnings[0].ends_with("; reading each atlas from its files")) << warnings[0];
}

// Flips one byte of the labelling of the aal's compiled file, in the block of `voxel`.
void corruptLabellingAt(const fs::path& path, const LabelAtlas& atlas, const VoxelIndex& voxel) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> chars((std::istreambuf_iterator<char>(in)), {});
  std::vector<std::byte> bytes(chars.size());
  std::memcpy(bytes.data(), chars.data(), chars.size());
  const std::byte* start = bytes.data();
  const auto key = cache::declaredKey(bytes);
  const cache::CompiledFile file = cache::CompiledFile::adopt(std::move(bytes), *key);
  const std::size_t at = static_cast<std::size_t>(file.unreadSection("indices").data() - start) +
                         2 * atlas.grid().linearOf(voxel);
  chars[at] = static_cast<char>(chars[at] ^ 0x40);
  std::ofstream(path, std::ios::binary)
      .write(chars.data(), static_cast<std::streamsize>(chars.size()));
}

TEST_F(CachedAtlases, ABlockFoundCorruptIsRemovedAndTheAtlasReadFromItsFiles) {
  ATLAS_SKIP_WITHOUT_DATA();
  const std::vector<ChosenAtlas> aal = {{findAtlasEntry("aal"), {}}};
  const imaging::Vec3 point{-38, -22, 56};
  const LoadedAtlases files(aal, ATLAS_TEST_DATA_DIR, {10, 4}, {});
  const auto expected = everythingOf(files.labelMni(point).atlases[0]);
  // Found while answering a point, or at once when the whole atlas is read.
  for (const bool wholeAtlases : {false, true}) {
    SCOPED_TRACE(wholeAtlases ? "whole" : "a point");
    std::vector<std::string> warnings;
    const cache::Store cache = store(&warnings);
    const LoadOptions options{.wholeAtlases = wholeAtlases, .cache = &cache};
    const fs::path compiled = LoadedAtlases(aal, ATLAS_TEST_DATA_DIR, {10, 4}, options)
                                  .atlases()[0]
                                  .description()
                                  .compiledFile;
    corruptLabellingAt(compiled, files.atlases()[0], files.atlases()[0].grid().nearestVoxel(point));
    const LoadedAtlases cached(aal, ATLAS_TEST_DATA_DIR, {10, 4}, options);
    EXPECT_EQ(everythingOf(cached.labelMni(point).atlases[0]), expected);
    EXPECT_EQ(everythingOf(cached.labelMni(point).atlases[0]), expected);
    ASSERT_EQ(warnings.size(), 1U);
    EXPECT_NE(warnings[0].find(compiled.string() + " is corrupt; removed"), std::string::npos)
        << warnings[0];
    EXPECT_FALSE(fs::exists(compiled));
  }
}

}  // namespace
}  // namespace atlas
