// Tests of the compiled form of a label atlas: it gives back the atlas and map it was compiled
// from, and labels or a map that do not fit the grid are never trusted.
#include "atlas/compiled_atlas.hpp"

#include <gtest/gtest.h>

#include <cstring>

namespace atlas {
namespace {

const imaging::Affine kTwoMm{{{-2, 0, 0, 90}, {0, 2, 0, -126}, {0, 0, 2, -72}}};

LabelAtlas smallAtlas() {
  std::vector<std::uint16_t> indices(5 * 4 * 3);
  for (std::size_t i = 0; i < indices.size(); ++i) {
    indices[i] = static_cast<std::uint16_t>(i % 7 == 0 ? 1 + i % 3 : 0);
  }
  imaging::Volume<std::uint16_t> volume(imaging::Grid({5, 4, 3}, kTwoMm), std::move(indices));
  std::vector<AtlasLabel> labels{{3, "Three"}, {40, ""}, {-2000000000000, "Far \t value"}};
  AtlasProvenance provenance{"/data/small.nii.gz", std::string(64, 'e'), {5, 4, 3}, {2, 2, 2}, 3};
  AtlasDescription description;
  description.key = "small";
  return LabelAtlas(description, std::move(volume), std::move(labels), provenance);
}

const AtlasSources kSources{{"/data/small.nii.gz", cache::sha256OfParts({"image"})},
                            {"/data/small.nii.txt", cache::sha256OfParts({"names"})}};

TEST(CompiledAtlas, GivesBackTheAtlasAndMapItWasCompiledFrom) {
  const LabelAtlas atlas = smallAtlas();
  const VoxelIndex margin{2, 1, 0};
  const std::vector<NearestEntry> map = *nearestLabelMap(atlas, margin);
  const cache::CompiledKey key = compiledAtlasKey(kSources, "");
  EXPECT_NE(compiledAtlasKey(kSources, "white-matter header fix"), key);
  const cache::CompiledFile file = cache::CompiledFile::adopt(
      compileAtlas(atlas, key, kSources, NearestMap{map, margin}).bytes(), key);
  for (const bool withMap : {false, true}) {
    const CompiledAtlas compiled = readCompiledAtlas(file, withMap);
    EXPECT_EQ(compiled.indices.values(), atlas.indices().values());
    EXPECT_EQ(compiled.indices.grid().voxelToWorld(), kTwoMm);
    ASSERT_EQ(compiled.labels.size(), 3U);
    for (std::uint16_t i = 1; i <= 3; ++i) {
      EXPECT_EQ(compiled.labels[i - 1U].value, atlas.label(i).value);
      EXPECT_EQ(compiled.labels[i - 1U].name, atlas.label(i).name);
    }
    EXPECT_EQ(compiled.sha256, atlas.provenance().sha256);
    ASSERT_EQ(compiled.map.has_value(), withMap);
    if (withMap) {
      EXPECT_TRUE(std::equal(map.begin(), map.end(), compiled.map->entries.begin(),
                             compiled.map->entries.end()));
      EXPECT_EQ(compiled.map->margin, margin);
    }
  }
}

TEST(CompiledAtlas, LabelsOrAMapThatDoNotFitAreNotTrusted) {
  const LabelAtlas atlas = smallAtlas();
  const cache::CompiledKey key = compiledAtlasKey(kSources, "");
  const std::vector<NearestEntry> map = *nearestLabelMap(atlas, {0, 0, 0});
  std::vector<NearestEntry> shortMap(map.begin(), map.end() - 1), unknownLabel = map;
  unknownLabel[5] = (1U << 16) | 4U;
  for (const std::vector<NearestEntry>* entries : {&shortMap, &unknownLabel}) {
    const cache::CompiledFile file = cache::CompiledFile::adopt(
        compileAtlas(atlas, key, kSources, NearestMap{*entries, {0, 0, 0}}).bytes(), key);
    EXPECT_NO_THROW(readCompiledAtlas(file, false));
    EXPECT_THROW(readCompiledAtlas(file, true), cache::UntrustedFile);
  }
  // An atlas whose labelling names a label it does not hold.
  std::vector<std::uint16_t> indices = atlas.indices().values();
  indices[1] = 4;
  const LabelAtlas wrong(atlas.description(), imaging::Volume<std::uint16_t>(atlas.grid(), indices),
                         {atlas.label(1), atlas.label(2), atlas.label(3)}, atlas.provenance());
  const cache::CompiledFile file =
      cache::CompiledFile::adopt(compileAtlas(wrong, key, kSources, {}).bytes(), key);
  EXPECT_THROW(readCompiledAtlas(file, false), cache::UntrustedFile);
}

}  // namespace
}  // namespace atlas
