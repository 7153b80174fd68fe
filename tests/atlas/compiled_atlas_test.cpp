// Tests of the compiled form of a label atlas: it gives back the atlas and map it was compiled
// from, and labels or a map that do not fit the grid are never trusted.
#include "atlas/compiled_atlas.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace atlas {
namespace {

const imaging::Affine kTwoMm{{{-2, 0, 0, 90}, {0, 2, 0, -126}, {0, 0, 2, -72}}};

LabelAtlas smallAtlas() {
  std::vector<std::uint16_t> indices(5 * 4 * 3);
  for (std::size_t i = 0; i < indices.size(); ++i) {
    indices[i] = static_cast<std::uint16_t>(i % 7 == 0 ? 1 + i % 3 : 0);
  }
  imaging::Volume<std::uint16_t> volume(imaging::Grid({5, 4, 3}, kTwoMm), std::move(indices));
  std::vector<AtlasLabel> labels{{-2000000000000, "Far \t value"}, {3, "Three"}, {40, ""}};
  AtlasProvenance provenance{"/data/small.nii.gz", std::string(64, 'e'), {5, 4, 3}, {2, 2, 2}, 3};
  AtlasDescription description;
  description.key = "small";
  return LabelAtlas(description, std::move(volume), std::move(labels), provenance);
}

const AtlasSources kSources{{"/data/small.nii.gz", cache::sha256OfParts({"image"})},
                            {"/data/small.nii.txt", cache::sha256OfParts({"names"})}};

std::shared_ptr<const cache::CompiledFile> compiled(const LabelAtlas& atlas,
                                                    const std::optional<NearestMap>& map) {
  const cache::CompiledKey key = compiledAtlasKey(kSources, "");
  return std::make_shared<const cache::CompiledFile>(
      cache::CompiledFile::adopt(compileAtlas(atlas, key, kSources, map).bytes(), key));
}

LabelAtlas atlasOf(CompiledAtlas c) {
  return LabelAtlas({}, std::move(c.indices), std::move(c.labels), {}, std::move(c.regions),
                    std::move(c.probabilities));
}

TEST(CompiledAtlas, GivesBackTheAtlasAndMapItWasCompiledFrom) {
  const LabelAtlas atlas = smallAtlas();
  const VoxelIndex margin{2, 1, 0};
  const std::vector<NearestEntry> map = *nearestLabelMap(atlas, margin);
  EXPECT_NE(compiledAtlasKey(kSources, "white-matter header fix"), compiledAtlasKey(kSources, ""));
  const auto file = compiled(atlas, NearestMap{map, margin, nullptr});
  for (const bool withMap : {false, true}) {
    CompiledAtlas read = readCompiledAtlas(file, withMap);
    EXPECT_EQ(read.sha256, atlas.provenance().sha256);
    ASSERT_EQ(read.map.has_value(), withMap);
    if (withMap) {
      EXPECT_TRUE(
          std::equal(map.begin(), map.end(), read.map->entries.begin(), read.map->entries.end()));
      EXPECT_EQ(read.map->margin, margin);
    }
    const LabelAtlas back = atlasOf(std::move(read));
    EXPECT_TRUE(std::ranges::equal(back.indices(), atlas.indices()));
    EXPECT_EQ(back.grid().voxelToWorld(), kTwoMm);
    for (std::uint16_t i = 1; i <= 3; ++i) {
      EXPECT_EQ(back.label(i).value, atlas.label(i).value);
      EXPECT_EQ(back.label(i).name, atlas.label(i).name);
    }
  }
}

TEST(CompiledAtlas, GivesBackTheProbabilitiesOfAProbabilisticAtlas) {
  const LabelAtlas labels = smallAtlas();
  auto probabilities = std::make_shared<SparseProbabilities>(5 * 4 * 3, 2);
  std::vector<float> first(60, 0), second(60, 0);
  first[7] = 0.25F;
  second[7] = 0.5F;
  second[59] = 1;
  probabilities->addVolume<float>(first);
  probabilities->addVolume<float>(second);
  probabilities->finish();
  const Regions regions{{40, ""}, {3, "Three"}};
  const LabelAtlas atlas(labels.description(),
                         imaging::Volume<std::uint16_t>(
                             labels.grid(), {labels.indices().begin(), labels.indices().end()}),
                         {labels.label(1), labels.label(2), labels.label(3)}, labels.provenance(),
                         regions, probabilities);
  const LabelAtlas back = atlasOf(readCompiledAtlas(compiled(atlas, {}), false));
  // A region the labels do not hold would have no label to name it by.
  const LabelAtlas unnamed(labels.description(),
                           imaging::Volume<std::uint16_t>(
                               labels.grid(), {labels.indices().begin(), labels.indices().end()}),
                           {labels.label(1), labels.label(2), labels.label(3)},
                           labels.provenance(), {{40, ""}, {99, "Gone"}}, probabilities);
  EXPECT_THROW(readCompiledAtlas(compiled(unnamed, {}), false), cache::UntrustedFile);
  ASSERT_NE(back.probabilities(), nullptr);
  EXPECT_EQ(back.regions().size(), 2U);
  EXPECT_EQ(back.indexOfRegion(0), atlas.indexOfRegion(0));
  EXPECT_EQ(back.probabilities()->regionMass(), probabilities->regionMass());
  for (const std::int64_t voxel : {0, 7, 59}) {
    EXPECT_TRUE(std::ranges::equal(back.probabilities()->at(voxel), probabilities->at(voxel),
                                   [](RegionProbability a, RegionProbability b) {
                                     return a.region == b.region &&
                                            a.centiPercent == b.centiPercent;
                                   }));
  }
}

TEST(CompiledAtlas, LabelsOrAMapThatDoNotFitAreNotTrusted) {
  const LabelAtlas atlas = smallAtlas();
  const std::vector<NearestEntry> map = *nearestLabelMap(atlas, {0, 0, 0});
  std::vector<NearestEntry> shortMap(map.begin(), map.end() - 1), unknownLabel = map;
  unknownLabel[5] = (1U << 16) | 4U;
  const auto cutShort = compiled(atlas, NearestMap{shortMap, {0, 0, 0}, nullptr});
  EXPECT_NO_THROW(readCompiledAtlas(cutShort, false));
  EXPECT_THROW(readCompiledAtlas(cutShort, true), cache::UntrustedFile);
  // A map naming a label the atlas does not hold is refused when its block is read.
  const CompiledAtlas unknown =
      readCompiledAtlas(compiled(atlas, NearestMap{unknownLabel, {0, 0, 0}, nullptr}), true);
  EXPECT_THROW(unknown.map->verifier->verify(5 * sizeof(NearestEntry), 1), cache::UntrustedFile);
  // A labelling that names a label the atlas does not hold is refused when its block is read.
  std::vector<std::uint16_t> indices(atlas.indices().begin(), atlas.indices().end());
  indices[1] = 4;
  const LabelAtlas wrong(atlas.description(), imaging::Volume<std::uint16_t>(atlas.grid(), indices),
                         {atlas.label(1), atlas.label(2), atlas.label(3)}, atlas.provenance());
  const LabelAtlas back = atlasOf(readCompiledAtlas(compiled(wrong, {}), false));
  EXPECT_THROW(back.indexAt({0, 0, 0}), cache::UntrustedFile);
}

}  // namespace
}  // namespace atlas
