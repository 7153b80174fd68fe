// The chosen atlases loaded side by side, and the answer each gives for one MNI point.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "atlas/atlas_choice.hpp"
#include "atlas/compiled_atlas.hpp"
#include "atlas/label_atlas.hpp"
#include "atlas/nearby_labels.hpp"
#include "cache/store.hpp"
#include "imaging/affine.hpp"

namespace vantrel_atlas {

// How far the searches reach, in millimetres; 0 turns a search off.
struct SearchRadii {
  double nearestMm = 10;
  std::optional<double> withinMm;  // set by --within
};

struct AtlasAnswer {
  std::uint16_t label = 0;  // compact index of the label at the point; 0: none
  std::optional<atlas::LabelDistance> nearest;
  std::vector<atlas::LabelDistance> within;
  // A probabilistic atlas's regions above 0 at the point, highest first; empty for a label atlas.
  std::span<const atlas::RegionProbability> probabilities;
};

struct PointAnswer {
  imaging::Vec3 mni{}, talairach{};
  std::vector<AtlasAnswer> atlases;  // in the order the atlases were chosen
};

struct LoadOptions {
  // Without the cache, also builds each atlas's nearest-label map, which pays off over a table;
  // a compiled atlas holds its map, read a block at a time, whatever the number of points.
  bool manyPoints = false;
  // Reads every voxel of each atlas now, for outputs that look at whole atlases (cluster
  // composition, figures, the viewer); otherwise only the voxels near the points asked are read.
  bool wholeAtlases = false;
  // Where compiled atlases are kept; null: each atlas is read from its files.
  const cache::Store* cache = nullptr;
};

class LoadedAtlases {
 public:
  // Loads the atlases two at a time. Throws std::runtime_error naming the file that is missing
  // or refused.
  LoadedAtlases(const std::vector<atlas::ChosenAtlas>& chosen, const std::string& directory,
                const SearchRadii& radii, const LoadOptions& options);
  // The searches point into the atlases, so the set stays where it was built.
  LoadedAtlases(const LoadedAtlases&) = delete;
  LoadedAtlases& operator=(const LoadedAtlases&) = delete;

  const std::vector<atlas::LabelAtlas>& atlases() const { return atlases_; }
  const SearchRadii& radii() const { return radii_; }

  // A compiled atlas found corrupt here is removed from the cache, with one warning, and the
  // point answered from the atlas's files.
  PointAnswer labelMni(const imaging::Vec3& mni) const;

 private:
  struct Loaded {
    atlas::LabelAtlas atlas;
    std::optional<atlas::NearestMap> map;
  };
  Loaded load(const atlas::ChosenAtlas& chosen, bool fromCache) const;
  atlas::NearbyLabels searchOf(const atlas::LabelAtlas& atlas,
                               const std::optional<atlas::NearestMap>& map) const;
  AtlasAnswer answerOf(std::size_t i, const atlas::LabelAtlas& atlas,
                       const atlas::NearbyLabels& nearby, const imaging::Vec3& mni) const;
  // The atlas read from its files in place of a compiled one found corrupt.
  struct Replacement {
    atlas::LabelAtlas atlas;
    std::optional<atlas::NearbyLabels> nearby;
  };
  const Replacement& replacementOf(std::size_t i) const;

  std::vector<atlas::ChosenAtlas> chosen_;
  std::string directory_;
  LoadOptions options_;
  std::vector<atlas::LabelAtlas> atlases_;
  std::vector<atlas::NearbyLabels> nearby_;
  SearchRadii radii_;
  mutable std::mutex replacing_;
  mutable std::vector<std::unique_ptr<Replacement>> replacements_;
  std::unique_ptr<std::atomic<const Replacement*>[]> replaced_;  // by atlas; null: none
};

// The MNI point of a point given in `talairach` or MNI space: the inverse pooled transform,
// exactly, with no rounding.
imaging::Vec3 toMni(const imaging::Vec3& point, bool talairach);

}  // namespace vantrel_atlas
