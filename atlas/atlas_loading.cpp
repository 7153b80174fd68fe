// Reads the atlas an AtlasSource describes into the one in-memory form every atlas has.
#include "atlas/atlas_loading.hpp"

#include <algorithm>
#include <string>

#include "atlas/probabilistic_atlas.hpp"
#include "atlas/provenance.hpp"
#include "imaging/nifti_read.hpp"

namespace atlas {

AtlasDescription describeSource(const AtlasSource& source, const DigestOfFile& digestOf) {
  AtlasDescription description{.key = source.key,
                               .form = source.form,
                               .type = source.type,
                               .templateSpace = source.templateSpace.empty()
                                                    ? std::string(kUnstatedSpace)
                                                    : source.templateSpace,
                               .citation = {},
                               .file = source.description,
                               .files = {},
                               .cache = "off",
                               .compiledFile = {}};
  for (const std::string& file : filesOf(source)) {
    description.files.push_back({file, digestOf(file)});
  }
  return description;
}

namespace {

std::string digestOf(const AtlasDescription& description, const std::string& path) {
  for (const FileDigest& file : description.files) {
    if (file.path == path) {
      return file.sha256;
    }
  }
  return sha256OfFile(path);
}

LabelAtlas loadLabelSource(const AtlasSource& source) {
  imaging::NiftiReader reader(source.image, {.labels = true, .maxVoxels = kMaxAtlasVoxels});
  if (reader.header().volumes != 1) {
    imaging::refuse(source.image, "a label image has one volume, this one has " +
                                      std::to_string(reader.header().volumes));
  }
  std::vector<AtlasLabel> labels;
  if (!source.regions.empty()) {
    labels =
        labelsOf(namesOf(source.regions), source.table.empty() ? source.description : source.table);
  }
  imaging::Volume<std::uint16_t> volume = readLabelIndices(reader, labels, source.image);
  AtlasDescription description = describeSource(source, sha256OfFile);
  AtlasProvenance provenance{source.image, digestOf(description, source.image),
                             volume.grid().size(), volume.grid().voxelSize(), labels.size()};
  return LabelAtlas(std::move(description), std::move(volume), std::move(labels),
                    std::move(provenance));
}

// The summary labelling holds 1 + a region's position; a LabelAtlas holds compact indices into
// its labels sorted by value, as every label atlas does.
LabelAtlas loadProbabilisticSource(const AtlasSource& source) {
  ProbabilisticAtlas loaded = loadProbabilisticAtlas(source);
  std::vector<AtlasLabel> labels;
  for (const Region& region : loaded.regions) {
    labels.push_back({region.index, region.name});
  }
  std::sort(labels.begin(), labels.end(),
            [](const AtlasLabel& a, const AtlasLabel& b) { return a.value < b.value; });
  std::vector<std::uint16_t> compact{0};
  for (const Region& region : loaded.regions) {
    compact.push_back(indexOfValue(region.index, labels));
  }
  std::vector<std::uint16_t> voxels(loaded.summary.values().begin(), loaded.summary.values().end());
  for (std::uint16_t& voxel : voxels) {
    voxel = compact[voxel];
  }
  imaging::Volume<std::uint16_t> volume(loaded.grid(), std::move(voxels));
  AtlasDescription description = describeSource(source, sha256OfFile);
  AtlasProvenance provenance{source.image, digestOf(description, source.image),
                             volume.grid().size(), volume.grid().voxelSize(), labels.size()};
  return LabelAtlas(std::move(description), std::move(volume), std::move(labels),
                    std::move(provenance), std::move(loaded.regions),
                    std::move(loaded.probabilities));
}

}  // namespace

std::size_t finestImage(const std::vector<std::string>& images) {
  std::size_t finest = 0;
  double smallest = 0;
  for (std::size_t i = 0; i < images.size(); ++i) {
    const imaging::NiftiReader reader(images[i], {.volume = imaging::kAllVolumes});
    const imaging::Vec3 size = reader.grid().voxelSize();
    const double voxel = size[0] * size[1] * size[2];
    if (i == 0 || voxel < smallest) {
      finest = i;
      smallest = voxel;
    }
  }
  return finest;
}

AtlasSource describeAtlasFile(const std::string& path, const std::string& key) {
  return describeAtlas(path, key, finestImage);
}

LabelAtlas loadAtlas(const AtlasSource& source) {
  return source.type == AtlasType::kProbabilistic ? loadProbabilisticSource(source)
                                                  : loadLabelSource(source);
}

}  // namespace atlas

namespace atlas {

std::optional<std::string> mixedTemplateSpaces(const std::vector<LabelAtlas>& atlases) {
  std::string listed;
  std::string first;
  bool mixed = false;
  for (const LabelAtlas& atlas : atlases) {
    const AtlasDescription& description = atlas.description();
    if (description.templateSpace == kUnstatedSpace) {
      continue;
    }
    if (first.empty()) {
      first = description.templateSpace;
    }
    mixed = mixed || description.templateSpace != first;
    listed += (listed.empty() ? "" : ", ") + description.key + " in " + description.templateSpace;
  }
  if (!mixed) {
    return std::nullopt;
  }
  return listed;
}

}  // namespace atlas
